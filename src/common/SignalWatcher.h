// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UniqueFd.h"

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace qm {

// Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT (a logout, Ctrl+C, a closed terminal, Ctrl+\) into a
// Qt signal on the GUI thread, so the program can stop a run and clean up as when its window is
// closed instead of dying with a tool running and its files left behind. A signal ignored when the
// watcher is made stays ignored. One watcher at a time, from start-up to the end of main(), so a
// signal that comes at any moment in between ends the program by that signal (finish()).
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // Emits `received` for every signal caught and not yet told; for a caller about to end that
    // must not miss one that came with the last events.
    void readPending();
    // For the very end of the program, once everything is cleaned up: puts back the actions the
    // signals had before (one that comes from now on acts as if there were no watcher: it ends
    // the program), then tells those caught and not yet told. Returns the first signal caught in
    // the watcher's life; 0: none. The caller dies by it (DieBySignal).
    int finish();
    // The first signal told so far; 0: none.
    int caught() const { return m_first; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void restore();

    UniqueFd m_read;
    UniqueFd m_write;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[4] = {};
    bool m_restored = false;
    int m_first = 0;
};

} // namespace qm
