// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatchSplit.h"

#include "app/CommandLine.h"
#include "app/RunReport.h"
#include "app/SplitChoice.h"
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

#include <csignal>
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
    if (o.stopped)
        return head + StoppedBeforeSplit();
    if (!o.result.failure.isEmpty())
        return head + o.result.failure;
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
    SplitChoice choice;
    choice.archives = line.files;
    choice.outputFolder = line.output;
    const int number = line.number.trimmed().toInt();
    choice.parts = line.byParts ? number : 0;
    choice.megabytes = line.byParts ? 0 : number;
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
        if (!m_on || progress.current < 0 || m_clock.elapsed() - m_shownAt < 100)
            return;
        m_shownAt = m_clock.elapsed();
        const QString name = QFileInfo(paths::shown(m_archives[progress.current])).fileName();
        const QString line = ProgressLine(progress, name, m_clock.elapsed(), width() - 1);
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
    qint64 m_shownAt = -1000;
    bool m_on = false;
    bool m_showing = false;
};

} // namespace

int RunBatchSplit(const CommandLine &line, std::FILE *out, std::FILE *err)
{
    const QFileInfo output(line.output);
    if (output.exists() && !output.isDir()) {
        print(err, QStringLiteral("quillmere: ") + BatchText::tr("%1 is not a folder.").arg(line.output)
                       + QLatin1Char('\n') + UsageHint());
        return kExitUsage;
    }
    // As unzip -d and 7z -o do: the folder is made, with its parents.
    if (!output.exists() && !line.dryRun && !QDir().mkpath(line.output)) {
        print(err, QStringLiteral("quillmere: ") + BatchText::tr("the folder %1 could not be made.").arg(line.output));
        return kExitSomeFailed;
    }
    // A reader that goes away (| head) never ends the run half-way: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    SplitRequest request = MakeSplitRequest(choiceFrom(line));
    const int rows = int(request.archives.size());
    const QString folder = request.outputFolder;
    ProgressLineOut progressLine(err, request);
    SplitJob job(std::move(request));
    QEventLoop loop;
    if (!line.quiet)
        QObject::connect(&job, &SplitJob::progress, &job, [&](const RunProgress &p) { progressLine.show(p); });
    QObject::connect(&job, &SplitJob::archiveFinished, &job, [&](const ArchiveOutcome &o) {
        const bool failed = o.stopped || !o.result.failure.isEmpty();
        progressLine.clear();
        if (failed || !line.quiet)
            print(err, outcomeLine(o, rows, line.dryRun));
        for (const StagingFolder::Part &part : o.result.parts) { // the path's own bytes, for scripts
            std::fputs((paths::toRaw(folder + QLatin1Char('/') + part.savedAs) + '\n').constData(), out);
            std::fflush(out);
        }
    });
    QObject::connect(&job, &SplitJob::finished, &loop, &QEventLoop::quit);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::received, &job, [&job] { job.stop(); });
    job.start();
    loop.exec();
    progressLine.clear();
    const SplitSummary &summary = job.summary();
    if (!line.quiet || !summary.allSplit()) {
        // The failures were named as they came; what else there is to tell comes before the sum.
        SplitSummary rest = summary;
        rest.failures.clear();
        rest.notSplit.clear();
        if (!line.dryRun && !RunDetailsText(rest).isEmpty())
            print(err, RunDetailsText(rest));
        const QStringList outcome = line.dryRun ? QStringList() : RunOutcomeLines(summary, folder);
        print(err, (QStringList(BatchText::tr("Done.")) + outcome).join(QLatin1Char(' ')));
    }
    return summary.allSplit() ? kExitAllSplit : kExitSomeFailed;
}

} // namespace qm
