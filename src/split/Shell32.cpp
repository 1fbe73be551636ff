// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/Shell32.h"


#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr int kBusyRetries = 10;
constexpr int kBusyWaitMs = 20;

bool textFileBusy(const QProcess &process)
{
    return process.errorString().contains(QString::fromLocal8Bit(std::strerror(ETXTBSY)));
}

} // namespace

ToolProcess::ToolProcess(QObject *parent) : QObject(parent) {}

ToolProcess::~ToolProcess()
{
    if (running()) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

bool ToolProcess::running() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void ToolProcess::stop(int graceMs)
{
    m_stopRequested = true;
    if (!running())
        return;
    m_process->terminate();
    QPointer<QProcess> process(m_process);
    QTimer::singleShot(graceMs, this, [process] {
        if (process && process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void ToolProcess::readOutput()
{
    char buffer[16384];
    for (qint64 n; (n = m_process->read(buffer, sizeof buffer)) > 0;) {
        m_outputSeen += n;
        const qint64 room = kOutputKept - m_outcome.output.size();
        if (room > 0)
            m_outcome.output.append(buffer, qsizetype(std::min(n, room)));
    }
    if (m_outputSeen > kOutputLimit && !m_outcome.flooded) {
        m_outcome.flooded = true;
        m_process->kill();
    }
}

void ToolProcess::finish()
{
    readOutput();
    m_outcome.crashed = m_process->exitStatus() == QProcess::CrashExit;
    m_outcome.stopped = m_stopRequested;
    m_outcome.exitCode = m_process->exitCode();
    Q_EMIT ended();
}

QProcessEnvironment EnvironmentWith(const QStringList &settings)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &setting : settings)
        environment.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    return environment;
}

// A launch that failed: tried again a while later when the file was only just written (exec
// refuses it briefly, ETXTBSY), else the caller hears the failure's code.
void ToolProcess::launchFailed()
{
    if (!m_stopRequested && m_attempt < kBusyRetries && textFileBusy(*m_process)) {
        ++m_attempt;
        QTimer::singleShot(kBusyWaitMs, this, [this] {
            if (m_stopRequested)
                return end(kLaunchFailureBase + 5);
            m_process->start();
        });
        return;
    }
    m_outcome.launchError = m_process->errorString();
    end(kLaunchFailureBase + (QFileInfo::exists(m_process->program()) ? 75 : 53));
}

void ToolProcess::end(int code)
{
    if (const std::function<void(int)> done = std::exchange(m_done, nullptr))
        done(code);
}

int RunAndWait(ToolProcess &tool, const ProcessCommand &command, std::optional<int> windowStyle,
               std::function<void(int)> done)
{
    Q_UNUSED(windowStyle) // taken as callers give it; a tool without a window has no use for it
    tool.m_outcome = ProcessOutcome();
    tool.m_outputSeen = 0;
    tool.m_attempt = 0;
    if (tool.m_stopRequested)
        return kLaunchFailureBase + 5;
    delete tool.m_process;
    auto *process = tool.m_process = new QProcess(&tool);
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setStandardInputFile(QProcess::nullDevice()); // the tool can never wait for an answer
    process->setProcessChannelMode(QProcess::MergedChannels);
    // The tool dies with the program (an orphan would race the next run over its folder), and
    // keeps out of the terminal's process group: Ctrl+C reaches the program alone, which stops the
    // tool and cleans up as Stop Splitting does.
    process->setChildProcessModifier([] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::setpgid(0, 0);
    });
    if (!command.workingDirectory.isEmpty())
        process->setWorkingDirectory(command.workingDirectory);
    if (!command.environment.isEmpty())
        process->setProcessEnvironment(EnvironmentWith(command.environment));
    tool.m_done = std::move(done);
    QObject::connect(process, &QProcess::started, &tool, [&tool] { tool.m_outcome.started = true; });
    // Queued: a launch that fails inside start() is heard after RunAndWait has returned.
    QObject::connect(
        process, &QProcess::errorOccurred, &tool,
        [&tool](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                tool.launchFailed();
        },
        Qt::QueuedConnection);
    QObject::connect(process, &QProcess::readyRead, &tool, &ToolProcess::readOutput);
    QObject::connect(process, &QProcess::finished, &tool, [&tool] {
        tool.finish();
        tool.end(tool.m_outcome.exitCode);
    });
    process->start();
    return 0;
}

} // namespace qm
