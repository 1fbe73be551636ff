// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatchSplit.h"

#include "app/CommandLine.h"
#include "common/AppError.h"
#include "common/Paths.h"
#include "common/SignalWatcher.h"
#include "split/SplitJob.h"
#include "split/SplitReason.h"
#include "split/SplitRun.h"
#include "split/ToolFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <csignal>

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

// The command line's request: the same the window builds from its fields.
SplitRequest requestFrom(const CommandLine &line)
{
    SplitRequest request;
    request.outputFolder = QFileInfo(line.output).absoluteFilePath();
    for (const QString &file : line.files)
        request.archives << QFileInfo(file).absoluteFilePath();
    const qint64 number = line.number.trimmed().toLongLong();
    request.parts = line.byParts ? int(number) : 0;
    request.sizeBytes = line.byParts ? 0 : number * 1024 * 1024;
    request.jobs = line.jobs > 0 ? line.jobs : QThread::idealThreadCount();
    request.dryRun = line.dryRun;
    return request;
}

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
    SplitRequest request = requestFrom(line);
    if (!request.dryRun) {
        try {
            request.tool = std::make_shared<DeployedTool>(LoadToolBytes(), ToolFolder());
        } catch (const AppError &) {
            // Without the tool every archive fails with the reason that says so.
        }
    }
    const int rows = int(request.archives.size());
    const QString folder = request.outputFolder;
    SplitJob job(std::move(request));
    QEventLoop loop;
    QObject::connect(&job, &SplitJob::archiveFinished, &job, [&](const ArchiveOutcome &o) {
        const bool failed = o.stopped || !o.result.failure.isEmpty();
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
    if (!line.quiet || !job.summary().allSplit())
        print(err, RunSummaryText(job.summary()));
    return job.summary().allSplit() ? kExitAllSplit : kExitSomeFailed;
}

} // namespace qm
