// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileListModel.h"

#include "common/Paths.h"

#include "app/AddFolder.h"
#include "common/AppError.h"

#include <QFont>

#include <algorithm>

namespace qm {

namespace {

constexpr int kPlanColumn = 1;

} // namespace

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const bool text = role == Qt::DisplayRole || role == Qt::AccessibleTextRole;
    // No tooltip of its own: over the rows, too, the list's tooltip says how to use it.
    if (index.column() != kPlanColumn)
        return text ? QVariant(paths::shown(m_rows.at(index.row()))) : QVariant();
    const qint32 shown = m_planOf.at(index.row());
    const RowPlan *plan = shown >= 0 ? &m_shown.at(shown) : nullptr;
    if (text)
        return plan ? plan->text : m_planning ? QStringLiteral("\u2026") : QString();
    if (!plan || plan->reason.isEmpty())
        return {};
    if (role == Qt::ToolTipRole)
        return plan->reason;
    if (role == Qt::FontRole) { // set apart from plans without a colour of its own
        QFont italic;
        italic.setItalic(true);
        return italic;
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QString &title = section == kPlanColumn ? m_planTitle : m_title;
    return title.isNull() ? QVariant() : QVariant(title);
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

void FileListModel::setColumnTitle(const QString &title)
{
    m_title = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

void FileListModel::setPlanTitle(const QString &title)
{
    m_planTitle = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, kPlanColumn, kPlanColumn);
}

void FileListModel::setPlanning(bool planning)
{
    m_planning = planning;
    m_planOf.fill(-1);
    m_shown.clear();
    m_shownIndex.clear();
    if (count() > 0)
        Q_EMIT dataChanged(index(0, kPlanColumn), index(count() - 1, kPlanColumn));
}

void FileListModel::setPlans(const QVector<LandedPlan> &plans)
{
    int top = count();
    int bottom = -1;
    for (const LandedPlan &landed : plans) {
        const auto at = std::lower_bound(m_ids.cbegin(), m_ids.cend(), landed.id);
        if (at == m_ids.cend() || *at != landed.id)
            continue;
        const QString key = landed.plan.text + QChar(0) + landed.plan.reason;
        auto shown = m_shownIndex.constFind(key);
        if (shown == m_shownIndex.cend()) {
            shown = m_shownIndex.insert(key, qint32(m_shown.size()));
            m_shown.append(landed.plan);
        }
        const int row = int(at - m_ids.cbegin());
        m_planOf[row] = *shown;
        top = std::min(top, row);
        bottom = std::max(bottom, row);
    }
    if (top <= bottom)
        Q_EMIT dataChanged(index(top, kPlanColumn), index(bottom, kPlanColumn));
}

QVector<PlanRow> FileListModel::planRows(int first, int last) const
{
    QVector<PlanRow> rows;
    for (int row = std::max(first, 0); row <= last && row < count(); ++row)
        rows.append({m_ids.at(row), m_rows.at(row)});
    return rows;
}

QString FileListModel::text(int index) const
{
    if (index < 1 || index > count())
        throw AppError::subscriptOutOfRange();
    return m_rows.at(index - 1);
}

void FileListModel::append(const QString &path)
{
    append(QStringList{path});
}

void FileListModel::append(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + static_cast<int>(paths.size()) - 1);
    m_rows.append(paths);
    for (qsizetype k = 0; k < paths.size(); ++k)
        m_ids.append(m_nextId++);
    m_planOf.resize(m_rows.size(), -1);
    endInsertRows();
}

void FileListModel::remove(int index)
{
    if (index < 1 || index > count())
        throw AppError::subscriptOutOfRange();
    beginRemoveRows(QModelIndex(), index - 1, index - 1);
    m_rows.removeAt(index - 1);
    m_ids.removeAt(index - 1);
    m_planOf.removeAt(index - 1);
    endRemoveRows();
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    m_ids.clear();
    m_planOf.clear();
    m_shown.clear();
    m_shownIndex.clear();
    endResetModel();
}

} // namespace qm

namespace qm {

RowBatch::RowBatch(FileListModel &model, WalkTurns *turns) : m_model(model), m_turns(turns)
{
    if (m_turns) {
        m_outer = m_turns->m_innermost;
        m_turns->m_innermost = this;
    }
}

RowBatch::~RowBatch()
{
    flush();
    // Batches live on handler stacks, so they end in reverse order of their start.
    if (m_turns && m_turns->m_innermost == this)
        m_turns->m_innermost = m_outer;
}

void RowBatch::flush()
{
    if (m_rows.isEmpty())
        return;
    QStringList rows;
    rows.swap(m_rows);
    m_model.append(rows);
}

} // namespace qm
