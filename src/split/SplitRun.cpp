#include "split/SplitRun.h"

#include "common/AppError.h"
#include "common/Context.h"
#include "common/Main.h"
#include "common/NumberConversion.h"
#include "common/Paths.h"
#include "common/ReportingHandler.h"
#include "common/Toolkit.h"
#include "split/ArchiveSplit.h"
#include "split/SplitHost.h"
#include "split/ToolFile.h"
#include "split/ZipSplit.h"

#include <QFileInfo>
#include <QStringList>

#include <limits>
#include <sys/stat.h>

namespace qm {

namespace {

// The list stays locked from the hourglass to the end of the run, however the run ends.
class RunningLock
{
public:
    explicit RunningLock(SplitHost &host) : m_host(host) { m_host.setRunning(true); }
    ~RunningLock() { m_host.setRunning(false); }
    RunningLock(const RunningLock &) = delete;
    RunningLock &operator=(const RunningLock &) = delete;

private:
    SplitHost &m_host;
};

} // namespace

std::int64_t SplitSizeFromParts(std::int64_t fileLength, std::int16_t parts)
{
    return fileLength / (parts == 0 ? 1 : parts);
}

std::int32_t TimesKilo(std::int32_t value)
{
    const std::int64_t result = static_cast<std::int64_t>(value) * 1024;
    if (result > std::numeric_limits<std::int32_t>::max() || result < std::numeric_limits<std::int32_t>::min())
        throw AppError::overflow();
    return static_cast<std::int32_t>(result);
}

std::int64_t FileLen(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(paths::toRaw(path).constData(), &st) != 0)
        throw AppError::fileNotFound(paths::shown(path));
    if (S_ISDIR(st.st_mode))
        throw AppError::pathFileAccess(paths::shown(path));
    return st.st_size;
}

QString RunSummaryText(const QVector<SplitFailure> &failures, const QVector<RenamedPart> &renamed,
                       const QVector<OversizedArchive> &oversized, const QStringList &stopped)
{
    QStringList blocks;
    if (failures.isEmpty() && stopped.isEmpty()) {
        blocks << QStringLiteral("Done.");
    } else if (!failures.isEmpty()) {
        QString text = failures.size() == 1
                           ? QStringLiteral("This archive could not be split:")
                           : QStringLiteral("These %1 archives could not be split:").arg(failures.size());
        for (const SplitFailure &failure : failures)
            text += QStringLiteral("\r\n") + paths::shown(failure.archive) + QStringLiteral(": ") + failure.reason;
        blocks << text;
    }
    if (!stopped.isEmpty()) {
        QString text = stopped.size() == 1 ? QStringLiteral("Splitting was stopped; this archive was not split:")
                                           : QStringLiteral("Splitting was stopped; these %1 archives were not split:")
                                                 .arg(stopped.size());
        for (const QString &archive : stopped)
            text += QStringLiteral("\r\n") + paths::shown(archive) + QStringLiteral(": stopped before it was split.");
        blocks << text;
    }
    if (!renamed.isEmpty()) {
        QString text = QStringLiteral("The output folder already held files of the same name, so these "
                                      "parts were saved under other names:");
        for (const RenamedPart &part : renamed)
            text += QStringLiteral("\r\n") + part.savedAs + QStringLiteral(" (") + part.zipSplitName
                    + QStringLiteral(" of ") + paths::shown(part.archive) + QLatin1Char(')');
        blocks << text;
    }
    if (!oversized.isEmpty()) {
        QString text = QStringLiteral("Some parts are larger than the size asked for, because one entry does "
                                      "not fit in a smaller part:");
        for (const OversizedArchive &archive : oversized)
            text += QStringLiteral("\r\n%1: %2 (%3 bytes)").arg(paths::shown(archive.archive), archive.entry).arg(archive.entrySize);
        blocks << text;
    }
    return blocks.join(QStringLiteral("\r\n\r\n"));
}

SplitRun::SplitRun(SplitHost &host, Context &context)
    : m_host(host), m_ctx(context)
{
}

SplitRun::~SplitRun()
{
    removeStaging();
}

void SplitRun::execute()
{
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton2_Click"));
    if (!passChecks(h))
        return;
    h.step(118, [&] { m_host.setMousePointer(vbHourglass); });
    RunningLock lock(m_host);
    if (h.test(120, [&] { return m_host.rowCount() > 0; })) {
        if (!prepare(h)) {
            // No size to split by: nothing is written, and the user goes to the field.
            removeTool();
            h.step(174, [&] { m_host.setMousePointer(vbDefault); });
            m_host.focusSizeField();
            return;
        }
        int rows = 0;
        h.step(132, [&] { rows = m_host.rowCount(); });
        m_rows = rows;
        for (m_row = 1; m_row <= rows && !m_aborted; ++m_row) {
            if (m_stopped)
                recordNotSplit(m_host.rowText(m_row));
            else
                splitRow(h, m_row);
        }
        if (m_aborted) {
            // The window is closing: no more boxes.
            removeStaging();
            removeTool();
            m_host.setProgress(0);
            m_host.setMousePointer(vbDefault);
            return;
        }
        finish(h);
    } else {
        h.step(172, [&] { m_ctx.toolkit.msgBox(QStringLiteral("No files added.")); });
    }
    h.step(174, [&] { m_host.setMousePointer(vbDefault); });
}

bool SplitRun::passChecks(ReportingHandler &h)
{
    // The pointer is not touched yet.
    if (h.test(100, [&] { return m_host.outputFolderText().trimmed().isEmpty(); })) {
        h.step(102, [&] {
            m_ctx.toolkit.msgBox(QStringLiteral("Please input folder name."), vbOKOnly, vbExclamation,
                        QStringLiteral("Input Folder Name"));
        });
        h.step(104, [&] { m_host.focusOutputFolder(); });
        return false;
    }
    if (h.test(106, [&] { return !QFileInfo(m_host.outputFolderText()).isDir(); })) {
        h.step(108, [&] { m_ctx.toolkit.msgBox(QStringLiteral("Destination folder not found."), vbOKOnly, vbCritical); });
        h.step(110, [&] { m_host.focusOutputFolder(); });
        return false;
    }
    if (h.test(112, [&] { return !paths::isRoot(m_host.outputFolderText()); })
        && h.test(114, [&] { return paths::endsWithSeparator(m_host.outputFolderText()); }))
        h.step(116, [&] {
            const QString text = m_host.outputFolderText();
            m_host.setOutputFolderText(text.left(text.size() - 1));
        });
    return true;
}

bool SplitRun::prepare(ReportingHandler &h)
{
    QByteArray toolBytes;
    h.step(122, [&] { toolBytes = LoadToolBytes(m_ctx.toolSource); });
    h.step(124, [&] {
        const QString folder = ToolFolder();
        if (!toolBytes.isEmpty() && !m_dryRun)
            m_tool = std::make_unique<DeployedTool>(toolBytes, folder);
    });
    // Without a size the split by size would fall to each archive's smallest part: thousands
    // of tiny files. By parts the size serves only for an empty file, which fails anyway.
    const bool sized = h.step(126, [&] { m_values.baseSize = TimesKilo(ToLong(m_host.sizeText())); })
                       && h.step(128, [&] { m_values.baseSize = TimesKilo(m_values.baseSize); });
    h.begin(130);
    return sized || m_host.partsSelected();
}

void SplitRun::splitRow(ReportingHandler &h, int row)
{
    LoopValues &v = m_values;
    h.step(134, [&] {
        const int now = m_host.rowCount();
        if (now <= 0)
            throw AppError(11, QStringLiteral("Division by zero"));
        m_host.setProgress(static_cast<double>(row) / now * 100.0);
    });
    // Never the previous row's archive: a run must not split one archive twice.
    QString archive;
    h.step(136, [&] { archive = m_host.rowText(row); });
    h.step(138, [&] { m_host.setMousePointer(vbHourglass); });
    h.step(140, [&] { v.outputFolder = m_host.outputFolderText(); });
    h.step(142, [&] { v.splitSize = v.baseSize; });
    int parts = 0; // by size
    if (h.test(144, [&] { return m_host.partsSelected(); }) && h.test(146, [&] { return FileLen(archive) > 0; }))
        h.step(148, [&] {
            const std::int16_t wanted = ToInteger(m_host.partsText());
            v.splitSize = SplitSizeFromParts(FileLen(archive), wanted);
            parts = wanted <= 0 ? 1 : wanted;
        });
    // 150-154 raised the size to the largest entry + 256; the plan now raises it where one entry
    // needs more, to exactly what that entry's part takes, from the directory it reads.
    if (archive.isEmpty())
        return;
    h.step(156, [&] { v.toolCommand = QLatin1Char('"') + (m_tool ? m_tool->path() : QString()) + QLatin1Char('"'); });
    if (!m_dryRun)
        h.step(158, [&] { prepareStaging(v.outputFolder); });
    h.step(160, [&] { splitOne({archive, m_tool.get(), v.splitSize, parts, m_dryRun}); });
    h.begin(162);
}

void SplitRun::finish(ReportingHandler &h)
{
    h.step(164, [&] {
        removeStaging();
        removeTool();
    });
    h.step(166, [&] { m_host.setProgress(0); });
    h.step(168, [&] { m_host.setMousePointer(vbDefault); });
    h.step(170, [&] {
        m_ctx.toolkit.msgBox(RunSummaryText(m_failures, m_renamed, m_oversized, m_notSplit), vbOKOnly,
                    m_failures.isEmpty() ? vbNoIcon : vbExclamation);
    });
}

void SplitRun::prepareStaging(const QString &outputFolder)
{
    m_stagingProblem.clear();
    // The folder field may have been cleared or changed since the checks.
    if (outputFolder.trimmed().isEmpty() || !QFileInfo(outputFolder).isDir()) {
        m_staging.reset();
        m_stagingProblem = QStringLiteral("the output folder \"%1\" is not an existing folder, so nothing was "
                                          "written.").arg(outputFolder);
        return;
    }
    // One staging folder serves every archive that goes to the same output folder.
    if (!m_staging || m_staging->outputFolder() != outputFolder || !m_staging->clear()) {
        m_staging.reset();
        m_staging = std::make_unique<StagingFolder>(outputFolder);
    }
    if (!m_staging->isValid()) {
        m_staging.reset();
        m_stagingProblem = QStringLiteral("no working folder could be made in the output folder %1; it may be "
                                          "missing, read-only or full.").arg(outputFolder);
    }
}

void SplitRun::splitOne(const ArchiveSplitRequest &request)
{
    const QString &archive = request.archive;
    if (m_dryRun) {
        const ArchiveSplitResult result = PlanArchive(request);
        if (result.failure.isEmpty())
            m_host.archivePlanned(m_row, m_rows, archive, result.plan);
        else
            recordFailure(archive, result.failure);
        return;
    }
    if (!m_staging) {
        recordFailure(archive, m_stagingProblem);
        return;
    }
    const ArchiveSplitResult result = SplitArchive(m_ctx.toolkit, request, *m_staging, m_stopper);
    if (m_aborted)
        return;
    if (m_stopped && !result.failure.isEmpty()) {
        recordNotSplit(archive); // its partial parts went with the staging folder's content
        return;
    }
    if (!result.failure.isEmpty())
        recordFailure(archive, result.failure);
    else
        m_host.archiveDone(m_row, m_rows, archive, int(result.parts.size()), QString());
    for (const StagingFolder::Part &part : result.parts)
        if (part.renamed())
            m_renamed.append({archive, part.zipSplitName, part.savedAs});
    if (result.oversized)
        m_oversized.append(*result.oversized);
}

void SplitRun::abort()
{
    // The archive being split still uses the staging folder and the tool: the run removes them
    // as it unwinds, right after zipsplit has stopped.
    m_aborted = true;
    m_stopper.stop();
}

void SplitRun::recordFailure(const QString &archive, const QString &reason)
{
    m_failures.append({archive, reason});
    m_host.archiveDone(m_row, m_rows, archive, 0, reason);
}

void SplitRun::recordNotSplit(const QString &archive)
{
    m_notSplit.append(archive);
    m_host.archiveDone(m_row, m_rows, archive, 0, QStringLiteral("stopped before it was split."));
}

void SplitRun::stop()
{
    m_stopped = true;
    // zipsplit ends on SIGTERM at once; a short grace keeps the window's answer quick.
    m_stopper.stop(150);
}

void SplitRun::removeStaging()
{
    if (m_staging)
        m_staging->remove();
    m_staging.reset();
}

void SplitRun::removeTool()
{
    m_tool.reset();
}

} // namespace qm
