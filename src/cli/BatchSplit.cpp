// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchSplit.h"

#include "cli/CommandLine.h"
#include "split/RunReport.h"
#include "split/SplitChoice.h"
#include "common/AppError.h"
#include "common/Paths.h"
#include "common/SignalWatcher.h"
#include "split/SplitJob.h"
#include "split/SplitReason.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qm {

namespace {

struct BatchText
{
    Q_DECLARE_TR_FUNCTIONS(qm::BatchSplit)
};

void print(std::FILE *err, const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fputs((lines + QLatin1Char('\n')).toLocal8Bit().constData(), err);
    std::fflush(err);
}

QString outcomeLine(const ArchiveOutcome &o, int rows, bool dryRun)
{
    const QString name = QFileInfo(paths::shown(o.archive)).fileName();
    const QString head = QStringLiteral("[%1/%2] %3: ").arg(o.index + 1).arg(rows).arg(name);
    if (o.stopped())
        return head + StoppedBeforeSplit();
    if (o.result.failure.failed())
        return head + o.result.failure.text;
    const PartPlan &plan = o.result.plan;
    const int parts = dryRun ? int(plan.parts.size()) : int(o.result.parts.size());
    QString line = head + BatchText::tr("%n part(s)", nullptr, parts);
    if (dryRun) {
        // Byte counts are grouped as the language of the text groups them: 1,048,576 or 1.048.576.
        //: The locale (language_COUNTRY) whose digit grouping the dry run's byte counts use
        const QLocale numbers(BatchText::tr("en_US"));
        line += BatchText::tr(", largest %1 bytes, split size %2")
                    .arg(numbers.toString(qlonglong(plan.largest())), numbers.toString(qlonglong(plan.splitSize)));
    }
    return line;
}

SplitChoice choiceFrom(const CommandLine &line)
{
    SplitChoice choice = ChoiceFromText(line.byParts, line.number).value_or(SplitChoice());
    choice.archives = line.files;
    choice.outputFolder = line.output;
    choice.jobs = line.jobs;
    choice.dryRun = line.dryRun;
    return choice;
}

// One line kept up to date in place at the foot of a terminal: written over with a carriage
// return, and cleared before any other line is printed. Where standard error is no terminal it
// writes nothing, so a log holds the archives' lines alone, with no control characters.
class ProgressLineOut
{
public:
    ProgressLineOut(std::FILE *err, const SplitRequest &request) : m_err(err), m_archives(request.archives)
    {
        m_on = ::isatty(::fileno(err)) == 1;
        m_clock.start();
    }
    void show(const RunProgress &progress)
    {
        if (!m_on)
            return;
        m_timeLeft.feed(m_clock.elapsed(), progress.bytesDone, progress.bytesTotal);
        if (progress.current < 0 || m_clock.elapsed() - m_shownAt < 100)
            return;
        m_shownAt = m_clock.elapsed();
        const QString name = QFileInfo(paths::shown(m_archives[progress.current])).fileName();
        const QString line = ProgressLine(progress, name, m_timeLeft, width() - 1);
        std::fputs(("\r" + line + QStringLiteral("\x1b[K")).toLocal8Bit().constData(), m_err);
        std::fflush(m_err);
        m_showing = true;
    }
    void clear()
    {
        if (m_showing)
            std::fputs("\r\x1b[K", m_err);
        m_showing = false;
    }

private:
    int width() const
    {
        struct winsize size {};
        return ::ioctl(::fileno(m_err), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    }
    std::FILE *m_err;
    QStringList m_archives;
    QElapsedTimer m_clock;
    TimeLeftEstimator m_timeLeft;
    qint64 m_shownAt = -1000;
    bool m_on = false;
    bool m_showing = false;
};

void printSummary(const CommandLine &line, const SplitSummary &summary, const QString &folder, std::FILE *err)
{
    if (line.quiet && summary.allSplit())
        return;
    // The failures were named as they came; what else there is to tell comes before the sum.
    SplitSummary rest = summary;
    rest.failures.clear();
    rest.notSplit.clear();
    const QString details = line.dryRun ? QString() : RunDetailsText(rest);
    if (!details.isEmpty())
        print(err, details);
    // A dry run has only what could not be split to tell, after the same first words as a run.
    const QStringList outcome = !line.dryRun        ? RunOutcomeLines(summary, folder)
                                : summary.allSplit() ? QStringList(BatchText::tr("Done."))
                                                     : NotSplitLines(summary);
    print(err, outcome.join(QLatin1Char(' ')));
}

// Said once, before the sum, when the open-file limit lowered --jobs.
void printJobsLowered(const CommandLine &line, int jobs, std::FILE *err)
{
    struct rlimit limit {};
    if (line.jobs <= jobs || line.quiet || ::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    print(err, BatchText::tr("--jobs %1 was lowered to %2: the open-file limit (ulimit -n %3) allows no more.")
                   .arg(line.jobs)
                   .arg(jobs)
                   .arg(qulonglong(limit.rlim_cur)));
}

// Standard output as scripts read it: each record the path's own bytes and its end (a newline, or
// NUL with --null). A failed write is remembered and the run goes on: the parts are made.
class ScriptOutput
{
public:
    ScriptOutput(std::FILE *out, bool null) : m_out(out), m_end(null ? '\0' : '\n') {}
    void put(const QByteArray &record)
    {
        if (m_error != 0)
            return;
        errno = 0;
        if (std::fwrite(record.constData(), 1, std::size_t(record.size()), m_out) != std::size_t(record.size())
            || std::fputc(m_end, m_out) == EOF || std::fflush(m_out) != 0)
            m_error = errno != 0 ? errno : EIO;
    }
    int error() const { return m_error; }

private:
    std::FILE *m_out;
    char m_end;
    int m_error = 0;
};

// A dry run's plan for scripts: archive, parts, largest part, split size (bytes), tab-separated.
QByteArray planRecord(const ArchiveOutcome &o)
{
    const PartPlan &plan = o.result.plan;
    return paths::toRaw(o.archive) + '\t' + QByteArray::number(qulonglong(plan.parts.size())) + '\t'
           + QByteArray::number(qlonglong(plan.largest())) + '\t' + QByteArray::number(qlonglong(plan.splitSize));
}

// The folder the parts go to, made with its parents when missing (as unzip -d and 7z -o do), by
// its bytes. An empty text when it is there; otherwise what to print, and the exit status.
QString prepareOutputFolder(const CommandLine &line, int &status)
{
    const QByteArray raw = paths::toRaw(line.output);
    struct stat st {};
    const QString shown = paths::shown(line.output);
    if (::stat(raw.constData(), &st) == 0) {
        status = kExitUsage;
        return S_ISDIR(st.st_mode) ? QString() : BatchText::tr("%1 is not a folder.").arg(shown) + QLatin1Char('\n') + UsageHint();
    }
    status = kExitSomeFailed;
    if (line.dryRun)
        return QString();
    for (qsizetype slash = raw.indexOf('/', 1); ; slash = raw.indexOf('/', slash + 1)) {
        const QByteArray folder = slash < 0 ? raw : raw.left(slash);
        if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
            return BatchText::tr("the folder %1 could not be made.").arg(shown);
        if (slash < 0)
            return QString();
    }
}

} // namespace

namespace {

QString writeError(int error)
{
    return QStringLiteral("quillmere: ")
           + BatchText::tr("write error: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

int PrintForScripts(const QString &text, std::FILE *out, std::FILE *err)
{
    ScriptOutput output(out, false);
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.endsWith('\n'))
        bytes.chop(1); // put() ends the record
    output.put(bytes);
    if (output.error() == 0)
        return 0;
    print(err, writeError(output.error()));
    return 1;
}

void DieBySignal(int signalNumber)
{
    std::fflush(nullptr);
    std::signal(signalNumber, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signalNumber);
    std::_Exit(128 + signalNumber); // not reached
}

QString NoDisplayText()
{
    return QStringLiteral("quillmere: ")
           + BatchText::tr("cannot open a display; to split without a window use --split (see --help)");
}

namespace {

// Qt's own warnings (a pipe it could not make, say) are no words of ours: a failure it meets
// reaches the user as the run's reason.
void dropQtWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::abort();
}

// Keeps Qt quiet while batch mode runs.
struct QtQuiet
{
    QtMessageHandler previous = qInstallMessageHandler(dropQtWarnings);
    ~QtQuiet() { qInstallMessageHandler(previous); }
};

} // namespace

int RunBatchSplit(const CommandLine &line, std::FILE *out, std::FILE *err, SignalWatcher &watcher)
{
    const QtQuiet quiet;
    int status = kExitAllSplit;
    const QString problem = prepareOutputFolder(line, status);
    if (!problem.isEmpty()) {
        print(err, QStringLiteral("quillmere: ") + problem);
        return status;
    }
    // A reader that goes away (| head) never ends the run half-way: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    SplitRequest request = MakeSplitRequest(choiceFrom(line));
    DeployToolFor(request);
    // With the tool written: every handle the run starts with is open now.
    if (const QString tooLow = request.dryRun ? QString() : OpenFileLimitTooLow(); !tooLow.isEmpty()) {
        print(err, QStringLiteral("quillmere: ") + tooLow);
        return kExitSomeFailed;
    }
    const int rows = int(request.archives.size());
    const int jobs = request.jobs;
    const QString folder = request.outputFolder;
    ProgressLineOut progressLine(err, request);
    ScriptOutput scriptOut(out, line.null);
    SplitJob job(std::move(request));
    QEventLoop loop;
    if (!line.quiet)
        QObject::connect(&job, &SplitJob::progress, &job, [&](const RunProgress &p) { progressLine.show(p); });
    QObject::connect(&job, &SplitJob::archiveFinished, &job, [&](const ArchiveOutcome &o) {
        const bool failed = o.result.failure.failed();
        progressLine.clear();
        // Archives the output folder stopped are told of once, in the sum.
        if ((failed || !line.quiet) && !(o.stopped() && !job.summary().outputProblem.isEmpty()))
            print(err, outcomeLine(o, rows, line.dryRun));
        if (line.dryRun && !failed)
            scriptOut.put(planRecord(o));
        for (const StagingFolder::Part &part : o.result.parts) // the path's own bytes, for scripts
            scriptOut.put(paths::toRaw(folder + QLatin1Char('/') + part.savedAs));
    });
    QObject::connect(&job, &SplitJob::finished, &loop, &QEventLoop::quit);
    QObject::connect(&watcher, &SignalWatcher::received, &job, [&job] { job.stop(); });
    job.start();
    loop.exec(); // a signal from before the start is read here too, and stops the run
    progressLine.clear();
    printJobsLowered(line, jobs, err);
    printSummary(line, job.summary(), folder, err);
    if (scriptOut.error() != 0) {
        print(err, writeError(scriptOut.error()));
        return kExitSomeFailed;
    }
    return job.summary().allSplit() ? kExitAllSplit : kExitSomeFailed;
}

} // namespace qm
