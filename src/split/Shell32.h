// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <QObject>
#include <QProcessEnvironment>

#include <functional>
#include <optional>

class QProcess;

namespace qm {

// A launch failure comes back as its error number plus this, so it is always negative.
constexpr int kLaunchFailureBase = -2147221504;

// What is started: program and arguments as they are, never through a shell.
struct ProcessCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the program's own
    QStringList environment;  // NAME=value, set over the program's own
};

// What became of one process, for callers that judge more than the exit code.
struct ProcessOutcome
{
    bool started = false;
    bool crashed = false;     // ended by a signal
    bool stopped = false;     // ended by ToolProcess::stop()
    int exitCode = 0;
    QByteArray output;        // standard output and error, merged: the first kOutputKept bytes
    bool flooded = false;     // it wrote more than kOutputLimit bytes and was killed
    QString launchError;      // why it could not be started, as Qt says it
};

// zipsplit says what went wrong in its first lines; a tool that writes without end (waiting for an
// answer it never gets) is killed rather than buffered.
constexpr qint64 kOutputKept = 64 * 1024;
constexpr qint64 kOutputLimit = 16 * 1024 * 1024;

// One started tool: its end arrives through Qt's event loop (`ended`), never by a loop that
// waits. stop() asks it to end and returns at once; the destructor ends it for certain.
class ToolProcess : public QObject
{
    Q_OBJECT
public:
    explicit ToolProcess(QObject *parent = nullptr);
    ~ToolProcess() override;

    bool running() const;
    const ProcessOutcome &outcome() const { return m_outcome; }
    // SIGTERM now and SIGKILL after graceMs if it still runs; a tool stopped before it starts
    // never starts.
    void stop(int graceMs = 150);
    bool stopRequested() const { return m_stopRequested; }

Q_SIGNALS:
    void ended();

private:
    friend int RunAndWait(ToolProcess &, const ProcessCommand &, std::optional<int>, std::function<void(int)>);
    void finish();
    void readOutput();
    void launchFailed();
    void end(int code); // hands the code to RunAndWait's `done`, once

    QProcess *m_process = nullptr;
    ProcessOutcome m_outcome;
    bool m_stopRequested = false;
    qint64 m_outputSeen = 0;
    int m_attempt = 0; // launches tried again after ETXTBSY
    std::function<void(int)> m_done;
};

// The program's environment with these NAME=value settings put over it.
QProcessEnvironment EnvironmentWith(const QStringList &settings);

// Starts the command with standard input on the null device, never through a shell, and returns
// at once: a negative launch-failure code when nothing may start (a stop came first; `done` is not
// called), else 0. `done` then gets, through the event loop, the exit code when the process ends,
// or the negative launch-failure code when it could not be started (nothing is shown). Nothing
// waits for the launch: a file exec refuses as just written (ETXTBSY) is tried again on a timer.
int RunAndWait(ToolProcess &process, const ProcessCommand &command, std::optional<int> windowStyle,
               std::function<void(int)> done);

} // namespace qm
