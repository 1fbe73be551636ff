// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlanPreview.h"

#include "split/ArchiveSplit.h"
#include "split/SplitJob.h"
#include "split/ZipSplit.h"

#include <QLocale>
#include <QThread>

#include <algorithm>

namespace qm {

namespace {

// MB as the size field means them, to one decimal.
QString megabytes(std::int64_t bytes)
{
    //: The locale (language_COUNTRY) whose decimal mark the plan column's sizes use
    const QLocale numbers(PlanPreview::tr("en_US"));
    const double value = double(bytes) / double(MegabytesToBytes(1));
    if (value < 0.05) // 0.0 would read as an empty part
        return QStringLiteral("< ") + numbers.toString(0.1, 'f', 1);
    return numbers.toString(value, 'f', 1);
}

QString sourceProblem(const QString &archive)
{
    switch (SourceFileState(archive)) {
    case SourceState::Missing:
        return PlanPreview::tr("file not found");
    case SourceState::Folder:
        return PlanPreview::tr("a folder");
    case SourceState::Special:
        return PlanPreview::tr("not a regular file");
    case SourceState::Empty:
        return PlanPreview::tr("empty file");
    case SourceState::Unreadable:
    case SourceState::Readable: // it could not be read all the same
        break;
    }
    return PlanPreview::tr("cannot be read");
}

// The reason in a few words: the list's cell is narrow; the whole reason is its tooltip.
QString whyNot(FailureKind kind, const QString &archive)
{
    switch (kind) {
    case FailureKind::Source:
        return sourceProblem(archive);
    case FailureKind::NotZip:
        return PlanPreview::tr("not a ZIP archive or damaged");
    case FailureKind::Unsplittable:
        return PlanPreview::tr("the tool cannot split it");
    case FailureKind::Empty:
        return PlanPreview::tr("no entries");
    case FailureKind::Reader:
        return PlanPreview::tr("archive reader missing");
    case FailureKind::System:
        return PlanPreview::tr("/proc not mounted");
    default:
        return PlanPreview::tr("cannot be split");
    }
}

bool sameRule(const std::optional<SplitChoice> &a, const std::optional<SplitChoice> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->megabytes == b->megabytes && a->parts == b->parts;
}

} // namespace

RowPlan ShownPlan(const ArchiveSplitResult &result, const QString &archive)
{
    if (result.failure.failed())
        return {whyNot(result.failure.kind, archive), result.failure.text};
    const int parts = int(result.plan.parts.size());
    return {PlanPreview::tr("%n part(s), largest %1 MB", nullptr, parts).arg(megabytes(result.plan.largest())),
            QString()};
}

// Rows planned together: the request a dry run of them makes, and the next one to plan.
struct PlanPreview::Batch
{
    quint64 generation = 0;
    SplitRequest request;
    QVector<quint64> ids;
    int next = 0; // under m_mutex
};

// One core stays with the window, so a long list planning never slows what the user does there.
PlanPreview::PlanPreview(QObject *parent)
    : QObject(parent), m_mostWorkers(std::max(1, QThread::idealThreadCount() - 1))
{
    m_pool.setMaxThreadCount(m_mostWorkers);
}

PlanPreview::~PlanPreview()
{
    cancel();
    m_pool.waitForDone();
}

bool PlanPreview::setChoice(const std::optional<SplitChoice> &choice)
{
    if (sameRule(choice, m_choice))
        return false;
    m_choice = choice;
    cancel();
    return true;
}

void PlanPreview::plan(const QVector<PlanRow> &rows, const std::shared_ptr<UnzipLibrary> &library)
{
    if (!m_choice || rows.isEmpty())
        return;
    // The request a dry run of these rows makes, so the plans are the ones Start will follow.
    auto batch = std::make_shared<Batch>();
    SplitChoice choice = *m_choice;
    choice.dryRun = true;
    for (const PlanRow &row : rows) {
        choice.archives << row.path;
        batch->ids << row.id;
    }
    batch->request = MakeSplitRequest(choice);
    batch->request.library = library;
    const std::lock_guard<std::mutex> lock(m_mutex);
    batch->generation = m_generation;
    m_queue.push_back(std::move(batch));
    for (; m_workers < m_mostWorkers; ++m_workers)
        m_pool.start([this] { work(); });
}

void PlanPreview::cancel()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_generation;
    m_queue.clear();
    m_made.clear();
}

void PlanPreview::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        while (!m_queue.empty() && m_queue.front()->next == m_queue.front()->ids.size())
            m_queue.pop_front();
        if (m_queue.empty()) {
            --m_workers;
            return;
        }
        const std::shared_ptr<Batch> batch = m_queue.front();
        const int index = batch->next++;
        lock.unlock();
        const ArchiveSplitRequest request = ArchiveRequest(batch->request, index);
        RowPlan shown = ShownPlan(PlanArchive(request), request.archive);
        lock.lock();
        if (batch->generation != m_generation) // dropped while it was planned
            continue;
        m_made.append({batch->ids.at(index), std::move(shown)});
        if (m_made.size() == 1) // the first since the window last took them: it takes them all
            QMetaObject::invokeMethod(this, &PlanPreview::handBack, Qt::QueuedConnection);
    }
}

void PlanPreview::handBack()
{
    QVector<LandedPlan> plans;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        plans.swap(m_made);
    }
    if (!plans.isEmpty())
        Q_EMIT planned(plans);
}

} // namespace qm
