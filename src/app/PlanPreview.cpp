// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlanPreview.h"

#include "split/ArchiveSplit.h"
#include "split/SplitJob.h"
#include "split/ZipSplit.h"

#include <QLocale>

namespace qm {

namespace {

// MB as the size field means them, to one decimal.
QString megabytes(std::int64_t bytes)
{
    //: The locale (language_COUNTRY) whose decimal mark the plan column's sizes use
    const QLocale numbers(PlanPreview::tr("en_US"));
    const double value = double(bytes) / double(MegabytesToBytes(1));
    if (value < 0.05) // a small part is not of no size
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
        return PlanPreview::tr("the splitting tool cannot split it");
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
    if (!result.failure.isEmpty())
        return {whyNot(result.kind, archive), result.failure};
    const int parts = int(result.plan.parts.size());
    return {PlanPreview::tr("%n part(s), largest %1 MB", nullptr, parts).arg(megabytes(result.plan.largest())),
            QString()};
}

PlanPreview::PlanPreview(QObject *parent) : QObject(parent)
{
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
    SplitChoice choice = *m_choice;
    choice.dryRun = true;
    for (const PlanRow &row : rows)
        choice.archives << row.path;
    SplitRequest request = MakeSplitRequest(choice);
    request.library = library;
    const quint64 generation = m_generation;
    for (int i = 0; i < rows.size(); ++i) {
        m_pool.start([this, generation, row = rows[i].id, archive = ArchiveRequest(request, i)] {
            if (m_generation != generation) // dropped while it waited
                return;
            const RowPlan shown = ShownPlan(PlanArchive(archive), archive.archive);
            QMetaObject::invokeMethod(
                this, [this, generation, row, shown] { land(generation, row, shown); }, Qt::QueuedConnection);
        });
    }
}

void PlanPreview::cancel()
{
    ++m_generation;
    m_pool.clear(); // what has not started yet never will
}

void PlanPreview::land(quint64 generation, quint64 row, const RowPlan &plan)
{
    if (generation == m_generation)
        Q_EMIT planned(row, plan);
}

} // namespace qm
