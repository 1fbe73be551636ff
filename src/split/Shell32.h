#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QProcess;

namespace qm {

class Toolkit;

// Show-window style: 0..6 as given, anything else (or none) is 6. No visible effect on Linux:
// the tool has no window.
int ClampWindowStyle(std::optional<int> windowStyle);

// A launch failure comes back as its error number plus this, so it is always negative.
constexpr int kLaunchFailureBase = -2147221504;

// What is started: the text shows the command the way the program forms it; the process itself
// gets program and arguments as they are, never through a shell.
struct ProcessCommand
{
    QString text;
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the program's own
};

// What became of one process, for callers that judge more than the exit code.
struct ProcessOutcome
{
    bool started = false;
    bool crashed = false;     // ended by a signal
    bool stopped = false;     // ended through ProcessStopper
    int exitCode = 0;
    QByteArray output;        // standard output and error, merged
};

// Lets the window end the process that a RunAndWait is waiting for (window closed mid-run).
class ProcessStopper
{
public:
    // SIGTERM, then SIGKILL when the process has not ended after graceMs; returns once it ended.
    void stop(int graceMs = 5000);
    bool requested() const { return m_requested; }

private:
    friend int RunAndWait(Toolkit &, const ProcessCommand &, std::optional<int>, ProcessOutcome *, ProcessStopper *);
    QProcess *m_process = nullptr;
    bool m_requested = false;
};

// Starts the command with standard input on the null device and waits for it while the window
// keeps processing events (through toolkit); returns as soon as the process ends. Result: the exit code, or a
// negative launch-failure code (nothing is shown). Failures after the launch throw AppError.
int RunAndWait(Toolkit &toolkit, const ProcessCommand &command, std::optional<int> windowStyle = std::nullopt,
               ProcessOutcome *outcome = nullptr, ProcessStopper *stopper = nullptr);

} // namespace qm
