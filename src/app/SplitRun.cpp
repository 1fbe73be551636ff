// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SplitRun.h"

#include "split/RunReport.h"
#include "split/SplitChoice.h"
#include "app/SplitHost.h"
#include "archive/UnzipLibrary.h"
#include "common/AppError.h"
#include "app/Context.h"
#include "common/Paths.h"
#include "toolkit/ReportingHandler.h"
#include "toolkit/Toolkit.h"
#include "split/SplitReason.h"
#include "split/ToolFile.h"

#include <QFileInfo>
#include <QStringList>


namespace qm {


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
        h.step(174, [&] { m_host.setMousePointer(vbDefault); });
        if (m_host.partsSelected())
            m_host.focusPartsField();
        else
            m_host.focusSizeField();
        return false;
    }
    m_rows = int(request.archives.size());
    m_outputFolder = request.outputFolder;
    m_clock.start();
    m_job = std::make_unique<SplitJob>(std::move(request));
    connect(m_job.get(), &SplitJob::progress, this, &SplitRun::showProgress);
    connect(m_job.get(), &SplitJob::archiveFinished, this, [this](const ArchiveOutcome &o) {
        const QString failure = o.stopped() ? StoppedBeforeSplit() : o.result.failure.text;
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
    // Only the chosen mode's field is read. Without a number in range nothing is written (by size
    // it would fall to each archive's smallest parts: thousands of tiny files), and the user goes
    // back to the field.
    const bool byParts = m_host.partsSelected();
    std::optional<SplitChoice> choice = ChoiceFromText(byParts, byParts ? m_host.partsText() : m_host.sizeText());
    if (!choice) {
        if (byParts)
            m_ctx.toolkit.msgBox(tr("Please input a number of parts from %1 to %2.").arg(kLeastParts).arg(kMostParts),
                                 vbOKOnly, vbExclamation);
        else
            m_ctx.toolkit.msgBox(tr("Please input a split size from %1 to %2 MB.").arg(kLeastMegabytes).arg(kMostMegabytes),
                                 vbOKOnly, vbExclamation);
        return false;
    }
    QByteArray toolBytes;
    std::shared_ptr<const DeployedTool> tool;
    QString toolProblem;
    h.step(122, [&] { toolBytes = LoadToolBytes(m_ctx.toolSource); });
    h.step(124, [&] {
        try {
            tool = DeployTool(toolBytes);
        } catch (const AppError &e) {
            toolProblem = e.description(); // reported here, and by every archive
            throw;
        }
    });
    choice->jobs = m_ctx.splitJobs;
    readRows(h, *choice);
    if (!h.step(130, [&] { request = MakeSplitRequest(*choice); }))
        return false;
    request.tool = std::move(tool);
    request.toolProblem = toolProblem;
    request.library = m_host.archiveLibrary();
    if (!request.library)
        request.library = std::make_shared<UnzipLibrary>(m_ctx.unzipLibrary);
    return true;
}

// The rows and the folder, read once: the run keeps to them whatever changes in the window meanwhile.
void SplitRun::readRows(ReportingHandler &h, SplitChoice &choice)
{
    int rows = 0;
    h.step(132, [&] { rows = m_host.rowCount(); });
    for (int row = 1; row <= rows; ++row)
        h.step(136, [&] { choice.archives << m_host.rowText(row); });
    h.step(140, [&] { choice.outputFolder = m_host.outputFolderText(); });
}

void SplitRun::showProgress(const RunProgress &progress)
{
    const double share = progress.bytesTotal > 0 ? double(progress.bytesDone) / double(progress.bytesTotal)
                                                 : double(progress.archivesDone) / std::max(1, progress.archives);
    m_host.setProgress(share * 100.0);
    m_timeLeft.feed(m_clock.elapsed(), progress.bytesDone, progress.bytesTotal);
    m_host.setProgressText(ProgressBarText(progress, m_timeLeft));
}

void SplitRun::finish(const SplitSummary &summary)
{
    m_summary = summary;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton2_Click"));
    // 164: the job removed its staging folders and the tool went with the request.
    h.step(166, [&] {
        m_host.setProgress(0);
        m_host.setProgressText(QString());
    });
    h.step(168, [&] { m_host.setMousePointer(vbDefault); });
    m_host.setRunning(false);
    h.step(170, [&] {
        QStringList lines = RunOutcomeLines(summary, m_outputFolder);
        const QString headline = lines.takeFirst();
        const QString counts = lines.join(QLatin1Char('\n'));
        // Where parts were written, the box and the notification offer to go and see them.
        const QString folder = summary.partsMade > 0 ? m_outputFolder : QString();
        if (m_clock.elapsed() >= m_ctx.notifyAfterMs && !m_ctx.toolkit.ownerActive())
            m_ctx.toolkit.notify(headline, counts, folder);
        const int answer = m_ctx.toolkit.msgBox(headline + QStringLiteral("\n\n") + counts,
                                                folder.isEmpty() ? vbOKOnly : vbOKOpenFolder,
                                                summary.failures.isEmpty() ? vbNoIcon : vbExclamation, QString(),
                                                RunDetailsText(summary));
        if (answer == vbOpenFolder && !m_ctx.toolkit.openFolder(m_outputFolder))
            m_ctx.toolkit.folderNotOpened(m_outputFolder);
    });
    h.step(174, [&] { m_host.setMousePointer(vbDefault); });
    Q_EMIT ended();
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
    m_host.setProgressText(QString());
    m_host.setMousePointer(vbDefault);
    m_host.setRunning(false);
}

} // namespace qm
