#include "split/Shell32.h"

#include "common/Toolkit.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <cstring>

namespace qm {

int ClampWindowStyle(std::optional<int> windowStyle)
{
    if (!windowStyle || *windowStyle < 0 || *windowStyle > 6)
        return 6;
    return *windowStyle;
}

void ProcessStopper::stop(int graceMs)
{
    m_requested = true;
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(graceMs)) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

namespace {

// Clears the stopper's view of the process however the wait ends.
struct StopperLink
{
    QProcess **slot;
    ~StopperLink()
    {
        if (slot)
            *slot = nullptr;
    }
};

bool textFileBusy(const QProcess &process)
{
    return process.errorString().contains(QString::fromLocal8Bit(std::strerror(ETXTBSY)));
}

} // namespace

int RunAndWait(Toolkit &toolkit, const ProcessCommand &command, std::optional<int> windowStyle,
               ProcessOutcome *outcome, ProcessStopper *stopper)
{
    (void)ClampWindowStyle(windowStyle); // kept for the callers' sake; there is no window to style
    ProcessOutcome local;
    ProcessOutcome &result = outcome ? *outcome : local;
    result = ProcessOutcome();

    if (stopper && stopper->requested())
        return kLaunchFailureBase + 5;

    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setStandardInputFile(QProcess::nullDevice()); // the tool can never wait for an answer
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!command.workingDirectory.isEmpty())
        process.setWorkingDirectory(command.workingDirectory);

    // A writer that has only just closed the file can leave exec briefly refusing it (ETXTBSY).
    for (int attempt = 0;; ++attempt) {
        process.start();
        if (process.waitForStarted(-1))
            break;
        if (attempt < 10 && textFileBusy(process)) {
            QThread::msleep(20);
            continue;
        }
        const int number = QFileInfo::exists(command.program) ? 75 : 53;
        return kLaunchFailureBase + number;
    }
    result.started = true;

    StopperLink link{stopper ? &stopper->m_process : nullptr};
    if (stopper)
        stopper->m_process = &process;

    // The process's end wakes the event loop itself, so the wait ends the moment it exits.
    while (process.state() != QProcess::NotRunning)
        toolkit.waitForEvents(100);

    result.output = process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.stopped = stopper && stopper->requested();
    result.exitCode = process.exitCode();
    return result.exitCode;
}

} // namespace qm
