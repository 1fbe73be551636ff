// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Paths.h"
#include "split/ArchiveSplit.h"

#include "common/UniqueFd.h"
#include "posix/FileOps.h"
#include "split/PartNames.h"
#include "split/PlanCheck.h"
#include "split/SerialWorker.h"
#include "split/Shell32.h"
#include "split/SplitReason.h"
#include "split/ToolFile.h"
#include "split/ZipSplit.h"

#include <QFile>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>

namespace qm {

namespace {

// The row's file, opened once: a regular file, and never a pipe that would block the open.
UniqueFd openSource(const QString &archive)
{
    struct stat st {};
    UniqueFd fd = posix::openRegularFile(paths::toRaw(archive).constData(), st);
    return st.st_size > 0 ? std::move(fd) : UniqueFd();
}

// What tells a file rewritten in place: its size and both its times.
struct FileState
{
    struct stat st {};
    bool read(int fd) { return ::fstat(fd, &st) == 0; }
    bool operator==(const FileState &o) const
    {
        return st.st_size == o.st.st_size && st.st_mtim.tv_sec == o.st.st_mtim.tv_sec
               && st.st_mtim.tv_nsec == o.st.st_mtim.tv_nsec && st.st_ctim.tv_sec == o.st.st_ctim.tv_sec
               && st.st_ctim.tv_nsec == o.st.st_ctim.tv_nsec;
    }
};

// Entries from which a directory is freed off the window's thread.
constexpr std::size_t kFreedAside = 100000;

// An archive this small is listed, planned and checked in a few milliseconds: on the window's
// thread, sooner than a handover to the worker and back.
bool ShortWork(std::int64_t bytes)
{
    return bytes >= 0 && bytes <= 4 * 1024 * 1024;
}

// The file's length by its name, only to choose where its work runs; -1 when unknown.
std::int64_t FileBytes(const QString &archive)
{
    struct stat st {};
    return ::stat(paths::toRaw(archive).constData(), &st) == 0 ? std::int64_t(st.st_size) : -1;
}

} // namespace

// The source read and planned: the open file, its state when planned, its directory, the plan.
struct PlannedSource
{
    UniqueFd fd;
    FileState state;
    ZipDirectory directory;
    PartPlan plan;
    SplitFailure failure;
    bool starved = false; // the failure came while handles or memory were short
};

namespace {

PlannedSource planSource(const ArchiveSplitRequest &request)
{
    PlannedSource source;
    source.fd = openSource(request.archive);
    if (!source.fd.isValid() || !source.state.read(source.fd.get())) {
        source.failure = SourceFileProblem(request.archive);
        if (!source.failure.failed())
            source.failure = {FailureKind::Source, SplitReason::tr("the file cannot be read.")};
        return source;
    }
    if (!HandleReachable(source.fd.get())) { // /proc: neither the reader nor zipsplit would find it
        source.failure = {FailureKind::System, ProcNotMounted()};
        return source;
    }
    source.directory = ListStoredDirectory(source.fd.get(), request.library, source.failure);
    if (source.failure.failed())
        return source;
    source.failure = ZipSplitCannotSplit(source.directory);
    if (source.failure.failed())
        return source;
    const PartPlanner planner(source.directory);
    source.plan = request.parts > 0
                      ? planner.forParts(request.parts, SplitSizeFromParts(source.state.st.st_size, request.parts))
                      : planner.forSize(request.askedSize);
    if (source.plan.parts.empty())
        source.failure = {FailureKind::Empty, SplitReason::tr("it holds no entries, so there is nothing to split.")};
    return source;
}

// The entry that holds the largest part over the size asked for: its largest entry.
std::optional<OversizedArchive> oversizedBy(const ArchiveSplitRequest &request, const PlannedSource &source)
{
    const PartPlan &plan = source.plan;
    if (request.parts > 0 || plan.largest() <= request.askedSize)
        return std::nullopt;
    const PlannedPart *largest = &plan.parts.front();
    for (const PlannedPart &part : plan.parts)
        if (part.size > largest->size)
            largest = &part;
    const StoredZipEntry *entry = &source.directory.entries[largest->entries.front()];
    for (const std::size_t i : largest->entries)
        if (source.directory.entries[i].compressedSize > entry->compressedSize)
            entry = &source.directory.entries[i];
    const std::string_view name = source.directory.name(*entry);
    OversizedArchive oversized{request.archive, paths::fromRaw(QByteArray(name.data(), qsizetype(name.size()))),
                               std::int64_t(entry->compressedSize), {}};
    // Named as planned; moving the parts may rename them.
    const int count = int(plan.parts.size());
    for (int i = 0; i < count; ++i)
        if (plan.parts[std::size_t(i)].size > request.askedSize)
            oversized.parts.append({PartName(request.archive, i + 1, int(QString::number(count).size())),
                                    plan.parts[std::size_t(i)].size});
    return oversized;
}

} // namespace

ArchiveTask::ArchiveTask(ArchiveSplitRequest request, StagingFolder &staging, SerialWorker &worker, QObject *parent)
    : QObject(parent), m_request(std::move(request)), m_staging(staging), m_worker(worker)
{
}

ArchiveTask::~ArchiveTask()
{
    // A directory of a million entries takes tens of milliseconds to free: the worker lets it go.
    // A small one goes here, leaving the worker's thread free to end before the next launch.
    if (m_planning)
        m_planning->cancel(); // a plan not begun is never made
    m_planning.reset(); // its future holds the source too
    if (m_source.use_count() == 1 && m_source->directory.entries.size() >= kFreedAside) {
        m_source->fd.reset(); // at once: the archive may be tried again for want of handles
        m_worker.post([source = std::move(m_source)] {});
    }
}

void ArchiveTask::start()
{
    // Listing and planning a large archive takes long: a worker does it, on a handle of its own
    // and a copy of the request, so the task may go meanwhile.
    ArchiveSplitRequest asked = m_request;
    asked.tool = nullptr;
    m_planning = m_worker.run<std::shared_ptr<PlannedSource>>(
        [asked] {
            auto source = std::make_shared<PlannedSource>(planSource(asked));
            // Judged at once: the shortage may be over by the time the plan is heard.
            source->starved = source->failure.failed() && ResourcesShort();
            return source;
        },
        [this](std::optional<std::shared_ptr<PlannedSource>> source) { planned(std::move(source)); },
        ShortWork(FileBytes(m_request.archive)));
}

void ArchiveTask::planned(std::optional<std::shared_ptr<PlannedSource>> source)
{
    if (m_finished) // stopped meanwhile
        return;
    if (!source) {
        m_result.mayPass = true;
        return fail({FailureKind::System, ShortOfResources()});
    }
    m_source = std::move(*source);
    m_result.plan = m_source->plan;
    // Before zipsplit runs, a failure may come of handles or memory others hold for now.
    if (m_source->failure.failed()) {
        m_result.mayPass = m_source->failure.kind != FailureKind::Empty && m_source->starved;
        return fail(m_result.mayPass ? SplitFailure{m_source->failure.kind, ShortOfResources()} : m_source->failure);
    }
    m_link = m_staging.useSource(m_source->fd.get());
    if (m_link.isEmpty()) {
        m_result.mayPass = ResourcesShort();
        return fail({FailureKind::Output,
                     m_result.mayPass ? ShortOfResources() : NoWorkingFolder(m_staging.outputFolder())});
    }
    const DeployedTool *tool = m_request.tool;
    if (!tool && !m_request.toolProblem.isEmpty())
        return fail({FailureKind::Tool, ToolNotWritten(m_request.toolProblem)});
    m_tool = std::make_unique<ToolProcess>();
    launch();
}

void ArchiveTask::launch()
{
    const DeployedTool *tool = m_request.tool;
    const ProcessCommand command = ZipSplitStagedCommand(tool ? tool->program() : QString(), m_source->plan.zipSplitSize,
                                                         HandlePath(m_staging.handle()), QFile::decodeName(m_link));
    const auto ended = [this](int code) { code < 0 ? launchFailed() : zipSplitEnded(); };
    if (RunAndWait(*m_tool, command, 0, ended) < 0)
        launchFailed();
}

void ArchiveTask::launchFailed()
{
    const bool starved = LaunchStarved(m_tool->outcome().launchError);
    // Where processes are few, the worker's idle thread may hold the one zipsplit needs.
    if (starved && !m_relaunched && !m_tool->stopRequested() && m_worker.release()) {
        m_relaunched = true;
        // From the event loop: this may be the failed process's own signal.
        QTimer::singleShot(0, this, [this] { launch(); });
        return;
    }
    m_result.mayPass = m_request.tool != nullptr; // a tool that is there fails to start for want of processes
    fail({FailureKind::Tool, m_result.mayPass && starved
                                 ? ShortOfResources()
                                 : ZipSplitFailure(m_tool->outcome()).text});
}

void ArchiveTask::stop()
{
    if (m_tool) {
        m_tool->stop();
    } else if (m_planning && !m_finished) { // the plan is dropped, or never made
        m_planning->cancel();
        m_stoppedPlanning = true;
        fail({FailureKind::Stopped, StoppedBeforeSplit()});
    }
}

bool ArchiveTask::stopped() const
{
    return m_stoppedPlanning || (m_tool && m_tool->stopRequested());
}

std::int64_t ArchiveTask::plannedBytes() const
{
    std::int64_t total = 0;
    if (m_source)
        for (const PlannedPart &part : m_source->plan.parts)
            total += part.size;
    return total;
}

std::int64_t ArchiveTask::bytesWritten() const
{
    std::int64_t written = 0;
    if (m_tool && m_tool->running())
        for (const StagingFolder::StagedPart &part : m_staging.parts())
            written += part.size;
    return written;
}

void ArchiveTask::zipSplitEnded()
{
    const ProcessOutcome &outcome = m_tool->outcome();
    const SplitFailure failure = ZipSplitFailure(outcome, QFile::decodeName(m_link), m_request.archive);
    if (failure.failed()) {
        const SplitFailure problem = SourceFileProblem(m_request.archive);
        return fail(problem.failed() && !outcome.stopped ? problem : failure);
    }
    FileState after;
    if (!after.read(m_source->fd.get()) || !(after == m_source->state))
        return fail({FailureKind::Changed, SplitReason::tr("it changed while it was being split.")});
    checkParts();
}

void ArchiveTask::checked(std::optional<SplitFailure> wrong)
{
    if (m_finished)
        return;
    if (!wrong)
        return fail({FailureKind::Parts, ShortOfResources()});
    if (wrong->failed())
        return fail(*wrong);
    m_result.oversized = oversizedBy(m_request, *m_source);
    finish();
}

void ArchiveTask::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT done();
}

// A failure after the end (the parts could not be moved in) only changes the result: the end was
// told once already, and the job may have let the task go since.
void ArchiveTask::fail(SplitFailure failure)
{
    if (!m_staging.exists())
        failure = {FailureKind::Output, SplitReason::tr("the output folder was removed during the split.")};
    m_staging.clear(); // whatever zipsplit left of this archive goes now
    m_result.failure = failure;
    m_result.parts.clear();
    m_result.oversized.reset();
    finish();
}

void ArchiveTask::moveParts()
{
    // Straight from zipsplit's names to the ones it would have given them for this archive.
    if (!m_source) // stopped before it was planned
        return;
    const QByteArray linkName = m_link.mid(m_link.lastIndexOf('/') + 1);
    const std::size_t count = m_source->plan.parts.size();
    const int width = int(QString::number(qulonglong(count)).size());
    QVector<StagingFolder::NamedPart> named;
    for (std::size_t i = 1; i <= count; ++i)
        named.append({ZipSplitPartName(linkName, i, count), PartName(m_request.archive, int(i), width)});
    if (!m_result.failure.failed() && !m_staging.moveParts(m_request.archive, named, &m_result.parts))
        return fail({FailureKind::Output, SplitReason::tr("its parts could not be moved into the output folder.")});
    if (!m_result.oversized)
        return;
    for (OversizedPart &part : m_result.oversized->parts) {
        const auto moved = std::find_if(m_result.parts.cbegin(), m_result.parts.cend(),
                                        [&part](const StagingFolder::Part &p) { return p.zipSplitName == part.name; });
        if (moved != m_result.parts.cend())
            part.name = moved->savedAs;
    }
}

// The parts are the plan to the byte, the comment added, and hold the source's entries;
// checked where zipsplit left them, through the handles, before anything is moved. Reading every
// part back takes long: a worker does it, through a handle of the staging folder of its own and
// the planned source it shares, so the task may go meanwhile.
void ArchiveTask::checkParts()
{
    auto folder = std::make_shared<UniqueFd>(::fcntl(m_staging.handle(), F_DUPFD_CLOEXEC, 0));
    if (!folder->isValid())
        return fail({FailureKind::Parts, ShortOfResources()});
    const QByteArray linkName = m_link.mid(m_link.lastIndexOf('/') + 1);
    const QVector<StagingFolder::StagedPart> staged = m_staging.parts();
    std::shared_ptr<const PlannedSource> source = m_source;
    const QString archive = m_request.archive;
    const auto check = [folder, staged, source, linkName, archive] {
        if (staged.size() == qsizetype(source->plan.parts.size())
            && !AddArchiveComment(folder->get(), staged, QByteArray::fromStdString(source->directory.comment)))
            return SplitFailure{FailureKind::Parts, SplitReason::tr("the archive's comment could not be added to its parts.")};
        return CompareWithPlan(folder->get(), staged, source->plan, source->fd.get(), source->directory, linkName,
                               [&archive](int index, int count) {
                                   return paths::shown(PartName(archive, index, int(QString::number(count).size())));
                               });
    };
    m_checking = m_worker.run<SplitFailure>(
        check, [this](std::optional<SplitFailure> wrong) { checked(std::move(wrong)); }, ShortWork(plannedBytes()));
}

ArchiveSplitResult PlanArchive(const ArchiveSplitRequest &request)
{
    const PlannedSource source = planSource(request);
    ArchiveSplitResult result;
    result.failure = source.failure;
    result.plan = source.plan;
    if (!result.failure.failed())
        result.oversized = oversizedBy(request, source);
    return result;
}

} // namespace qm
