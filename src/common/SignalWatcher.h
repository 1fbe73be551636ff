// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UniqueFd.h"

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace qm {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) into a Qt signal on the
// GUI thread, so the program can stop a run and clean up as when its window is closed instead of
// dying with a tool running and its files left behind. A signal ignored when the watcher is made
// stays ignored. One watcher at a time.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // Emits `received` for every signal caught and not yet told; for a caller about to end that
    // must not miss one that came with the last events.
    void readPending();

Q_SIGNALS:
    void received(int signalNumber);

private:
    UniqueFd m_read;
    UniqueFd m_write;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};

} // namespace qm
