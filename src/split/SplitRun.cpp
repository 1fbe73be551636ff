// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/SplitRun.h"

#include "archive/UnzipLibrary.h"
#include "common/AppError.h"
#include "common/Context.h"
#include "common/Main.h"
#include "common/NumberConversion.h"
#include "common/Paths.h"
#include "common/ReportingHandler.h"
#include "common/Toolkit.h"
#include "split/SplitHost.h"
#include "split/SplitReason.h"
#include "split/ToolFile.h"
#include "split/ZipSplit.h"

#include <QFileInfo>
#include <QThread>
#include <QStringList>

#include <limits>
#include <sys/stat.h>

namespace qm {


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
    const QString newLine = QStringLiteral("\r\n");
    QStringList blocks;
    if (failures.isEmpty() && stopped.isEmpty()) {
        blocks << SplitRun::tr("Done.");
    } else if (!failures.isEmpty()) {
        QString text = SplitRun::tr("These %n archives could not be split:", nullptr, int(failures.size()));
        for (const SplitFailure &failure : failures)
            text += newLine + paths::shown(failure.archive) + QStringLiteral(": ") + failure.reason;
        blocks << text;
    }
    if (!stopped.isEmpty()) {
        QString text =
            SplitRun::tr("Splitting was stopped; these %n archives were not split:", nullptr, int(stopped.size()));
        for (const QString &archive : stopped)
            text += newLine + paths::shown(archive) + QStringLiteral(": ") + StoppedBeforeSplit();
        blocks << text;
    }
    if (!renamed.isEmpty()) {
        QString text = SplitRun::tr("The output folder already held files of the same name, so these "
                                    "parts were saved under other names:");
        //: %1 the name the part was saved under, %2 the name the splitting tool gave it, %3 its archive
        for (const RenamedPart &part : renamed)
            text += newLine
                    + SplitRun::tr("%1 (%2 of %3)").arg(part.savedAs, part.zipSplitName, paths::shown(part.archive));
        blocks << text;
    }
    if (!oversized.isEmpty()) {
        QString text = SplitRun::tr("Some parts are larger than the size asked for, because one entry does "
                                    "not fit in a smaller part:");
        //: %1 the archive, %2 its largest entry, %3 that entry's size
        for (const OversizedArchive &archive : oversized)
            text += newLine
                    + SplitRun::tr("%1: %2 (%3 bytes)")
                          .arg(paths::shown(archive.archive), archive.entry, QString::number(archive.entrySize));
        blocks << text;
    }
    return blocks.join(QStringLiteral("\r\n\r\n"));
}

QString RunSummaryText(const SplitSummary &summary)
{
    return RunSummaryText(summary.failures, summary.renamed, summary.oversized, summary.notSplit);
}

SplitRun::SplitRun(SplitHost &host, Context &context, QObject *parent)
    : QObject(parent), m_host(host), m_ctx(context)
{
}

SplitRun::~SplitRun() = default;

bool SplitRun::start()
{
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton2_Click"));
    if (!passChecks(h))
        return false;
    h.step(118, [&] { m_host.setMousePointer(vbHourglass); });
    if (!h.test(120, [&] { return m_host.rowCount() > 0; })) {
        h.step(172, [&] { m_ctx.toolkit.msgBox(tr("No files added.")); });
        h.step(174, [&] { m_host.setMousePointer(vbDefault); });
        return false;
    }
    SplitRequest request;
    if (!prepare(h, request)) {
        // No size to split by: nothing is written, and the user goes to the field.
        h.step(174, [&] { m_host.setMousePointer(vbDefault); });
        m_host.focusSizeField();
        return false;
    }
    readRows(h, request);
    m_rows = int(request.archives.size());
    m_outputFolder = request.outputFolder;
    m_clock.start();
    m_job = std::make_unique<SplitJob>(std::move(request));
    connect(m_job.get(), &SplitJob::progress, this,
            [this](int finished, int total) { m_host.setProgress(double(finished) / total * 100.0); });
    connect(m_job.get(), &SplitJob::archiveFinished, this, [this](const ArchiveOutcome &o) {
        const QString failure = o.stopped ? StoppedBeforeSplit() : o.result.failure;
        m_host.archiveDone(o.index + 1, m_rows, o.archive,
                           int(o.result.parts.size()), failure);
    });
    connect(m_job.get(), &SplitJob::finished, this, &SplitRun::finish);
    m_host.setRunning(true);
    m_job->start();
    return true;
}

bool SplitRun::passChecks(ReportingHandler &h)
{
    // The pointer is not touched yet.
    if (h.test(100, [&] { return m_host.outputFolderText().trimmed().isEmpty(); })) {
        h.step(102, [&] {
            m_ctx.toolkit.msgBox(tr("Please input folder name."), vbOKOnly, vbExclamation, tr("Input Folder Name"));
        });
        h.step(104, [&] { m_host.focusOutputFolder(); });
        return false;
    }
    if (h.test(106, [&] { return !QFileInfo(m_host.outputFolderText()).isDir(); })) {
        h.step(108, [&] { m_ctx.toolkit.msgBox(tr("Destination folder not found."), vbOKOnly, vbCritical); });
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

bool SplitRun::prepare(ReportingHandler &h, SplitRequest &request)
{
    QByteArray toolBytes;
    h.step(122, [&] { toolBytes = LoadToolBytes(m_ctx.toolSource); });
    h.step(124, [&] {
        const QString folder = ToolFolder();
        if (!toolBytes.isEmpty())
            request.tool = std::make_shared<DeployedTool>(toolBytes, folder);
    });
    // Without a size the split by size would fall to each archive's smallest part: thousands
    // of tiny files. By parts the size is not used.
    std::int32_t baseSize = 0;
    const bool sized = h.step(126, [&] { baseSize = TimesKilo(ToLong(m_host.sizeText())); })
                       && h.step(128, [&] { baseSize = TimesKilo(baseSize); });
    h.begin(130);
    request.sizeBytes = baseSize;
    request.library = m_host.archiveLibrary();
    if (!request.library)
        request.library = std::make_shared<UnzipLibrary>(m_ctx.unzipLibrary);
    return sized || m_host.partsSelected();
}

// The rows and fields, read once: the run keeps to them whatever changes in the window meanwhile.
void SplitRun::readRows(ReportingHandler &h, SplitRequest &request)
{
    int rows = 0;
    h.step(132, [&] { rows = m_host.rowCount(); });
    for (int row = 1; row <= rows; ++row)
        h.step(136, [&] { request.archives << m_host.rowText(row); });
    h.step(140, [&] { request.outputFolder = m_host.outputFolderText(); });
    if (h.test(144, [&] { return m_host.partsSelected(); }))
        h.step(148, [&] {
            const std::int16_t wanted = ToInteger(m_host.partsText());
            request.parts = wanted <= 0 ? 1 : wanted;
        });
    request.jobs = m_ctx.splitJobs > 0 ? m_ctx.splitJobs : QThread::idealThreadCount();
}

void SplitRun::finish(const SplitSummary &summary)
{
    m_summary = summary;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton2_Click"));
    // 164: the job removed its staging folders and the tool went with the request.
    h.step(166, [&] { m_host.setProgress(0); });
    h.step(168, [&] { m_host.setMousePointer(vbDefault); });
    m_host.setRunning(false);
    h.step(170, [&] {
        if (m_clock.elapsed() >= m_ctx.notifyAfterMs && !m_ctx.toolkit.ownerActive())
            notifyEnd(summary);
        // Where parts were written, the box offers to go and see them.
        const int buttons = summary.partsMade > 0 ? vbOKOpenFolder : vbOKOnly;
        const int answer = m_ctx.toolkit.msgBox(RunSummaryText(summary), buttons,
                                                summary.failures.isEmpty() ? vbNoIcon : vbExclamation);
        if (answer == vbOpenFolder && !m_ctx.toolkit.openFolder(m_outputFolder))
            m_ctx.toolkit.msgBox(tr("The folder %1 could not be opened.").arg(paths::shown(m_outputFolder)),
                                 vbOKOnly, vbExclamation);
    });
    h.step(174, [&] { m_host.setMousePointer(vbDefault); });
    Q_EMIT ended();
}

void SplitRun::notifyEnd(const SplitSummary &summary)
{
    const QString folder = paths::shown(m_outputFolder);
    const int failed = int(summary.failures.size() + summary.notSplit.size());
    const QString split = summary.split == 0 ? tr("No archive was split")
                                             : tr("%n archives split into %1", nullptr, summary.split).arg(folder);
    const QString body = failed == 0 ? QString() : tr("%n archives could not be split.", nullptr, failed);
    m_ctx.toolkit.notify(split, body);
}

void SplitRun::stop()
{
    if (m_job)
        m_job->stop();
}

void SplitRun::abort()
{
    if (!m_job)
        return;
    m_job->disconnect(this);
    m_job.reset(); // ends zipsplit and removes the staging folders and the tool now
    m_host.setProgress(0);
    m_host.setMousePointer(vbDefault);
    m_host.setRunning(false);
}

} // namespace qm
