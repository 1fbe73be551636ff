// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/SplitJob.h"

#include "archive/UnzipLibrary.h"
#include "common/Paths.h"
#include "common/UniqueFd.h"
#include "split/OutputFolder.h"
#include "split/SplitReason.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace qm {

void SplitSummary::add(const ArchiveOutcome &outcome)
{
    if (outcome.stopped()) {
        notSplit << outcome.archive;
        return;
    }
    if (outcome.result.failure.failed()) {
        failures.append({outcome.archive, outcome.result.failure});
        return;
    }
    ++split;
    partsMade += int(outcome.result.parts.size());
    for (const StagingFolder::Part &part : outcome.result.parts)
        if (part.renamed())
            renamed.append({outcome.archive, part.zipSplitName, part.savedAs, saved.contains(part.zipSplitName)});
    for (const StagingFolder::Part &part : outcome.result.parts)
        saved.insert(part.savedAs);
    if (outcome.result.oversized)
        oversized.append(*outcome.result.oversized);
}

ArchiveSplitRequest ArchiveRequest(const SplitRequest &request, int index)
{
    return {request.archives.at(index), request.tool.get(), request.library,
            request.sizeBytes, request.parts, request.toolProblem};
}

// A staging folder and the archive it serves (-1: free).
struct SplitJob::Slot
{
    std::unique_ptr<StagingFolder> staging;
    int index = -1;
};

// The output folder as the run opened it: every part lands through this handle.
struct SplitJob::OutputFolder
{
    UniqueFd fd;
    struct stat st {};
    bool starved = false; // it could not be opened for want of handles or memory
};

SplitJob::SplitJob(SplitRequest request, QObject *parent) : QObject(parent), m_request(std::move(request))
{
    if (!m_request.library)
        m_request.library = std::make_shared<UnzipLibrary>();
}

SplitJob::~SplitJob()
{
    m_tasks.clear(); // their zipsplit ends here
    m_slots.clear(); // and the staging folders go
}

void SplitJob::start()
{
    const int count = int(m_request.archives.size());
    m_running = true;
    m_tasks.resize(std::size_t(count));
    m_outcomes.resize(std::size_t(count));
    m_done.assign(std::size_t(count), false);
    m_large.assign(std::size_t(count), false);
    m_progress.archives = count;
    m_written.assign(std::size_t(count), 0);
    for (const QString &archive : m_request.archives) {
        struct stat st {};
        const bool sized = ::stat(paths::toRaw(archive).constData(), &st) == 0 && S_ISREG(st.st_mode);
        m_weights.push_back(sized ? std::int64_t(st.st_size) : 0);
        m_progress.bytesTotal += m_weights.back();
    }
    if (!m_request.dryRun) {
        m_watch = new QTimer(this); // the parts on disk, a few times a second
        connect(m_watch, &QTimer::timeout, this, &SplitJob::watchParts);
        m_watch->start(250);
        m_output = std::make_unique<OutputFolder>();
        m_output->fd.reset(::open(paths::toRaw(m_request.outputFolder).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const int error = errno;
        if (m_output->fd.isValid())
            ::fstat(m_output->fd.get(), &m_output->st);
        else
            m_output->starved = IsShortage(error);
        // Checked once, before any archive: a folder that can take no part ends the run with why.
        if (!m_output->starved)
            m_summary.outputProblem = m_output->fd.isValid()
                                          ? OutputFolderUnfit(m_output->fd.get(), m_request.outputFolder)
                                          : OutputFolderError(m_request.outputFolder, error);
        m_stopped = !m_summary.outputProblem.isEmpty();
    }
    for (int i = 0; i < std::max(1, m_request.jobs); ++i)
        m_slots.push_back(std::make_unique<Slot>());
    m_capacity = int(m_slots.size());
    QTimer::singleShot(0, this, [this] { pump(); });
}

void SplitJob::stop()
{
    m_stopped = true;
    for (const int i : m_retry) { // waiting to be tried again: stopped before they were split
        m_outcomes[std::size_t(i)].result.failure.kind = FailureKind::Stopped;
        m_done[std::size_t(i)] = true;
    }
    m_retry.clear();
    for (const auto &task : m_tasks)
        if (task)
            task->stop();
    QTimer::singleShot(0, this, [this] { pump(); });
}

// After an archive failed on the output folder: a folder gone, moved or unable to take parts
// stops the rest of the run, for that one reason.
void SplitJob::haltIfOutputUnfit()
{
    if (!m_output->fd.isValid() || m_stopped)
        return;
    QString reason = outputFailure().text;
    if (reason.isEmpty())
        reason = OutputFolderUnfit(m_output->fd.get(), m_request.outputFolder);
    if (reason.isEmpty())
        return;
    m_summary.outputProblem = reason;
    stop();
}

SplitFailure SplitJob::outputFailure() const
{
    const QString folder = m_request.outputFolder;
    struct stat now {};
    if (!m_output->fd.isValid())
        return {FailureKind::Output, ShortOfResources()};
    if (::fstat(m_output->fd.get(), &now) != 0 || now.st_nlink == 0)
        return {FailureKind::Output, SplitReason::tr("the output folder was removed during the split.")};
    // Renamed, or another folder or a link put in its place: nothing follows the new path.
    if (::stat(paths::toRaw(folder).constData(), &now) != 0 || now.st_dev != m_output->st.st_dev
        || now.st_ino != m_output->st.st_ino)
        return {FailureKind::Output, SplitReason::tr("the output folder \"%1\" was moved or replaced during the run, "
                                                     "so nothing was written.")
                                         .arg(paths::shown(folder))};
    return {};
}

// Whether archive i may start beside those running: archives so large that the disk is the
// limit run alone.
bool SplitJob::mayStart(int i) const
{
    struct stat st {};
    const bool large = ::stat(paths::toRaw(m_request.archives[i]).constData(), &st) == 0 && st.st_size >= m_request.aloneFrom;
    bool running = false;
    for (int k = m_nextToReport; k < m_nextToStart; ++k)
        if (m_tasks[std::size_t(k)] && !m_done[std::size_t(k)]) {
            running = true;
            if (m_large[std::size_t(k)])
                return false;
        }
    m_large[std::size_t(i)] = large;
    return !running || !large;
}

// Archives whose zipsplit runs now, `except` aside.
int SplitJob::runningCount(int except) const
{
    int running = 0;
    for (const auto &slot : m_slots)
        running += slot->index >= 0 && slot->index != except && !m_done[std::size_t(slot->index)];
    return running;
}

// Puts archive i back in the queue, which runs in list order: the archive the report waits for
// always gets the next free slot.
void SplitJob::queueRetry(int i)
{
    m_retry.insert(std::lower_bound(m_retry.begin(), m_retry.end(), i), i);
    m_requeued = true;
}

// Lets go of what archive i does not need to run as it would alone: idle slots' staging folders,
// and (with `later`) the parts of archives after it that wait to be reported; those are split
// again. True when anything was let go.
bool SplitJob::releaseHeld(int i, bool later)
{
    bool released = false;
    for (const auto &slot : m_slots) {
        const int k = slot->index;
        if (k > i && later && m_done[std::size_t(k)]) {
            m_tasks[std::size_t(k)].reset();
            m_done[std::size_t(k)] = false;
            m_written[std::size_t(k)] = 0;
            slot->index = -1;
            queueRetry(k);
        }
        if (slot->index < 0 && slot->staging) {
            slot->staging.reset();
            released = true;
        }
    }
    return released;
}

// An archive that failed for want of handles, memory or processes while others held some waits
// for them and is tried again, with no more at once than run now; alone, it fails for what it is.
bool SplitJob::retryLater(int i, bool mayPass)
{
    if (!mayPass || m_stopped)
        return false;
    const int others = runningCount(i);
    // Not the archive the report waits for: that one comes first and frees what it holds.
    const bool waits = others > 0 || i != m_nextToReport;
    if (!releaseHeld(i, !waits) && !waits)
        return false;
    m_capacity = std::max(1, std::min(m_capacity, others));
    queueRetry(i);
    return true;
}

// The free slot to start in: one whose staging folder is made already, if any.
SplitJob::Slot *SplitJob::idleSlot() const
{
    Slot *idle = nullptr;
    for (const auto &slot : m_slots)
        if (slot->index < 0 && (!idle || (slot->staging && !idle->staging)))
            idle = slot.get();
    return idle;
}

// Starts archives in list order while tools may run and a slot is free (those waiting to be tried
// again first); dry runs and archives that cannot start are done at once. Archives whose parts
// wait to be reported hold their slot but not a place among those running.
void SplitJob::launchNext()
{
    bool started = false;
    m_requeued = false;
    for (Slot *slot = idleSlot(); slot && !m_stopped && !m_requeued; slot = idleSlot()) {
        const bool retry = !m_retry.empty();
        if (runningCount(-1) >= m_capacity || (!retry && m_nextToStart >= int(m_outcomes.size()))
            || (!retry && !m_request.dryRun && !mayStart(m_nextToStart)))
            break;
        const int i = retry ? m_retry.front() : m_nextToStart++;
        if (retry)
            m_retry.pop_front();
        started |= startArchive(*slot, i);
    }
    if (started) // the archive now on shows at once, before its first bytes
        reportProgress();
}

bool SplitJob::startArchive(Slot &slot, int i)
{
    ArchiveOutcome &outcome = m_outcomes[std::size_t(i)];
    outcome = ArchiveOutcome();
    outcome.index = i;
    outcome.archive = m_request.archives[i];
    const ArchiveSplitRequest request = ArchiveRequest(m_request, i);
    if (m_request.dryRun) {
        outcome.result = PlanArchive(request);
        m_done[std::size_t(i)] = true;
        return false;
    }
    SplitFailure &failure = outcome.result.failure;
    failure = outputFailure();
    if (!failure.failed() && (!slot.staging || !slot.staging->clear()))
        slot.staging = std::make_unique<StagingFolder>(m_request.outputFolder, m_output->fd.get());
    if (!failure.failed() && !slot.staging->isValid()) {
        const bool mayPass = ResourcesShort();
        slot.staging.reset();
        if (retryLater(i, mayPass))
            return false;
        const QString unfit = mayPass ? QString() : OutputFolderUnfit(m_output->fd.get(), m_request.outputFolder);
        failure = {FailureKind::Output,
                   mayPass ? ShortOfResources() : unfit.isEmpty() ? NoWorkingFolder(m_request.outputFolder) : unfit};
    }
    if (failure.failed()) {
        m_done[std::size_t(i)] = true;
        haltIfOutputUnfit();
        return false;
    }
    slot.index = i;
    auto &task = m_tasks[std::size_t(i)];
    task = std::make_unique<ArchiveTask>(request, *slot.staging, m_worker);
    connect(task.get(), &ArchiveTask::done, this, [this, i] { archiveDone(i); }, Qt::QueuedConnection);
    task->start();
    return true;
}

void SplitJob::freeSlot(int i)
{
    for (const auto &slot : m_slots)
        if (slot->index == i)
            slot->index = -1;
}

// Its parts stay in its slot's staging folder until it is reported, in list order.
void SplitJob::archiveDone(int i)
{
    auto &task = m_tasks[std::size_t(i)];
    if (retryLater(i, task->result().mayPass)) {
        task.reset();
        freeSlot(i);
    } else {
        m_done[std::size_t(i)] = true;
    }
    pump();
}

// Reports finished archives in list order, moving each one's parts into the output folder first.
bool SplitJob::reportReady()
{
    bool any = false;
    while (m_nextToReport < int(m_outcomes.size())) {
        const std::size_t i = std::size_t(m_nextToReport);
        ArchiveOutcome &outcome = m_outcomes[i];
        const bool started = m_nextToReport < m_nextToStart;
        if ((started && !m_done[i]) || (!started && !m_stopped))
            break; // running, or waiting for a free slot
        if (!started) { // a stop came first
            outcome.index = int(i);
            outcome.archive = m_request.archives[int(i)];
            outcome.result.failure.kind = FailureKind::Stopped;
        } else if (const auto &task = m_tasks[i]) {
            const SplitFailure moved = task->result().failure.failed() ? SplitFailure() : outputFailure();
            if (!moved.failed())
                task->moveParts();
            outcome.result = task->result();
            if (moved.failed())
                outcome.result.failure = moved;
            if (task->stopped() && outcome.result.failure.failed())
                outcome.result.failure.kind = FailureKind::Stopped;
            freeSlot(int(i));
            m_tasks[i].reset();
            if (outcome.result.failure.kind == FailureKind::Output)
                haltIfOutputUnfit();
        }
        m_summary.add(outcome);
        m_reportedBytes += m_weights[i];
        ++m_nextToReport;
        any = true;
        Q_EMIT archiveFinished(outcome);
        reportProgress();
    }
    return any;
}

void SplitJob::pump()
{
    if (!m_running)
        return;
    // An archive put back in the queue may start at once: others let go of what it lacked.
    do
        launchNext();
    while (reportReady() || m_requeued);
    if (m_nextToReport == int(m_outcomes.size()))
        finishRun();
}

// The parts on disk are listed on the watch's beat alone: a run of many small archives would
// otherwise list a folder at every start and end.
void SplitJob::watchParts()
{
    for (int k = m_nextToReport; k < m_nextToStart; ++k)
        if (const ArchiveTask *task = m_tasks[std::size_t(k)].get(); task && !m_done[std::size_t(k)])
            m_written[std::size_t(k)] = task->bytesWritten();
    reportProgress();
}

void SplitJob::reportProgress()
{
    RunProgress now = m_progress;
    now.archivesDone = m_nextToReport;
    now.current = -1;
    double done = double(m_reportedBytes);
    for (int k = m_nextToReport; k < m_nextToStart; ++k) {
        const std::size_t i = std::size_t(k);
        const ArchiveTask *task = m_tasks[i].get();
        if (m_done[i]) {
            done += double(m_weights[i]);
            continue;
        }
        if (!task) // waiting to be tried again
            continue;
        if (now.current < 0)
            now.current = k;
        const std::int64_t planned = task->plannedBytes();
        if (planned > 0)
            done += double(m_weights[i]) * std::min(1.0, double(m_written[i]) / double(planned));
    }
    now.bytesDone = std::max(m_progress.bytesDone, std::min(now.bytesTotal, std::int64_t(done)));
    if (now.archivesDone == int(m_outcomes.size()))
        now.bytesDone = now.bytesTotal;
    const bool moved = now.bytesDone != m_progress.bytesDone || now.archivesDone != m_progress.archivesDone
                       || now.current != m_progress.current;
    m_progress = now;
    if (moved)
        Q_EMIT progress(m_progress);
}

void SplitJob::finishRun()
{
    m_running = false;
    if (m_watch)
        m_watch->stop();
    m_slots.clear();
    m_request.tool.reset();
    Q_EMIT finished(m_summary);
}

} // namespace qm
