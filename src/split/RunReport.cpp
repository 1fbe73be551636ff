// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/RunReport.h"

#include "common/Paths.h"
#include "split/SplitReason.h"

#include <QCoreApplication>
#include <QLocale>

namespace qm {

namespace {

// The end-of-run words keep the context the window's run gave them.
struct RunText
{
    Q_DECLARE_TR_FUNCTIONS(qm::SplitRun)
};

QString block(const QString &heading, const QStringList &lines)
{
    return heading + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
}

QString bytesText(std::int64_t bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

// Parts saved under other names: those whose names files already in the folder held, then those
// whose names parts of archives earlier in the run took.
void renamedBlocks(const QVector<RenamedPart> &renamed, QStringList &blocks)
{
    for (const bool earlier : {false, true}) {
        QStringList lines;
        //: %1 the name the part was saved under, %2 the name the splitting tool gave it, %3 its archive
        for (const RenamedPart &part : renamed)
            if (part.takenInRun == earlier)
                lines << RunText::tr("%1 (%2 of %3)")
                             .arg(paths::shown(part.savedAs), paths::shown(part.zipSplitName),
                                  paths::shown(part.archive));
        if (lines.isEmpty())
            continue;
        blocks << block(earlier ? RunText::tr("Parts of archives earlier in this run had the same names, so "
                                              "these parts were saved under other names:")
                                : RunText::tr("The output folder already held files of the same name, so "
                                              "these parts were saved under other names:"),
                        lines);
    }
}

} // namespace

QStringList NotSplitLines(const SplitSummary &s)
{
    QStringList lines;
    if (!s.failures.isEmpty())
        lines << RunText::tr("%n archive(s) could not be split.", nullptr, int(s.failures.size()));
    if (!s.notSplit.isEmpty() && !s.outputProblem.isEmpty()) //: %1 why the output folder took no more parts
        lines << RunText::tr("%n archive(s) were not split: %1", nullptr, int(s.notSplit.size())).arg(s.outputProblem);
    else if (!s.notSplit.isEmpty())
        lines << RunText::tr("Splitting was stopped before %n archive(s).", nullptr, int(s.notSplit.size()));
    return lines;
}

QStringList RunOutcomeLines(const SplitSummary &s, const QString &outputFolder)
{
    // "Done." heads only a run that split every archive; any other starts with what went wrong.
    QStringList lines = s.allSplit() ? QStringList(RunText::tr("Done.")) : NotSplitLines(s);
    if (s.split == 0)
        lines << RunText::tr("No archive was split.");
    else //: %1 "3 archives", %2 "9 parts", %3 the folder
        lines << RunText::tr("Split %1 into %2 in %3.")
                     .arg(RunText::tr("%n archive(s)", nullptr, s.split), RunText::tr("%n part(s)", nullptr, s.partsMade),
                          paths::shown(outputFolder));
    if (!s.renamed.isEmpty())
        lines << RunText::tr("%n part(s) were saved under other names.", nullptr, int(s.renamed.size()));
    if (!s.oversized.isEmpty())
        lines << RunText::tr("%n archive(s) have parts larger than the size asked for.", nullptr,
                             int(s.oversized.size()));
    return lines;
}

QString RunDetailsText(const SplitSummary &s)
{
    QStringList blocks;
    QStringList lines;
    for (const FailedArchive &failed : s.failures)
        lines << paths::shown(failed.archive) + QStringLiteral(": ") + failed.failure.text;
    if (!lines.isEmpty())
        blocks << block(RunText::tr("These %n archives could not be split:", nullptr, int(lines.size())), lines);
    lines.clear();
    for (const QString &archive : s.notSplit)
        lines << paths::shown(archive) + QStringLiteral(": ") + StoppedBeforeSplit();
    if (!lines.isEmpty())
        blocks << block(RunText::tr("Splitting was stopped; these %n archives were not split:", nullptr,
                                    int(lines.size())),
                        lines);
    renamedBlocks(s.renamed, blocks);
    lines.clear();
    for (const OversizedArchive &archive : s.oversized) {
        QStringList parts;
        //: %1 a part, %2 its size
        for (const OversizedPart &part : archive.parts)
            parts << RunText::tr("%1 (%2 bytes)").arg(paths::shown(part.name), QString::number(part.size));
        //: %1 the archive, %2 its largest entry, %3 that entry's size, %4 its parts over the size asked for
        lines << RunText::tr("%1 (largest entry %2, %3 bytes): %4")
                     .arg(paths::shown(archive.archive), paths::shown(archive.entry), QString::number(archive.entrySize),
                          parts.join(QStringLiteral(", ")));
    }
    if (!lines.isEmpty())
        blocks << block(RunText::tr("The split size was raised to fit the largest entry, so these parts are "
                                    "larger than the size asked for:"),
                        lines);
    return blocks.join(QStringLiteral("\n\n"));
}

QString TimeLeftText(const TimeLeftEstimator &estimator)
{
    const std::optional<double> left = estimator.secondsLeft();
    if (!left)
        return QString();
    const double seconds = *left;
    if (seconds < 60)
        return RunText::tr("about %n second(s) left", nullptr, std::max(1, int(seconds + 0.5)));
    if (seconds < 3600)
        return RunText::tr("about %n minute(s) left", nullptr, int(seconds / 60 + 0.5));
    //: %1 hours, %2 minutes
    return RunText::tr("about %1 h %2 min left").arg(int(seconds / 3600)).arg(int(seconds) % 3600 / 60);
}

QString ProgressBarText(const RunProgress &p, const TimeLeftEstimator &estimator)
{
    //: %1 archives done, %n all archives of the run
    QString text = RunText::tr("%1 of %n archive(s)", nullptr, p.archives).arg(p.archivesDone);
    const QString left = TimeLeftText(estimator);
    if (!left.isEmpty())
        text += QStringLiteral(" \u2013 ") + left;
    return text;
}

QString ProgressLine(const RunProgress &p, const QString &archiveName, const TimeLeftEstimator &estimator, int width)
{
    const int index = p.current >= 0 ? p.current + 1 : p.archivesDone;
    const int percent = p.bytesTotal > 0 ? int(p.bytesDone * 100 / p.bytesTotal) : 0;
    QString line = QStringLiteral("[%1/%2] %3  %4%  ").arg(index).arg(p.archives).arg(archiveName).arg(percent);
    //: %1 bytes done, %2 bytes in all
    line += RunText::tr("%1 of %2").arg(bytesText(p.bytesDone), bytesText(p.bytesTotal));
    if (const std::optional<double> rate = estimator.bytesPerSecond())
        line += QStringLiteral("  ") + bytesText(std::int64_t(*rate)) + QStringLiteral("/s");
    const QString left = TimeLeftText(estimator);
    if (!left.isEmpty())
        line += QStringLiteral("  ") + left;
    return width > 0 && line.size() > width ? line.left(width) : line;
}

} // namespace qm
