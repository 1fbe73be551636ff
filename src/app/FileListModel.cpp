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
    const std::optional<RowPlan> &plan = m_plans.at(index.row());
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
    std::fill(m_plans.begin(), m_plans.end(), std::nullopt);
    if (count() > 0)
        Q_EMIT dataChanged(index(0, kPlanColumn), index(count() - 1, kPlanColumn));
}

void FileListModel::setPlan(quint64 id, const RowPlan &plan)
{
    const auto at = std::lower_bound(m_ids.cbegin(), m_ids.cend(), id);
    if (at == m_ids.cend() || *at != id)
        return;
    const int row = int(at - m_ids.cbegin());
    m_plans[row] = plan;
    const QModelIndex cell = index(row, kPlanColumn);
    Q_EMIT dataChanged(cell, cell);
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
    m_plans.resize(m_rows.size());
    endInsertRows();
}

void FileListModel::remove(int index)
{
    if (index < 1 || index > count())
        throw AppError::subscriptOutOfRange();
    beginRemoveRows(QModelIndex(), index - 1, index - 1);
    m_rows.removeAt(index - 1);
    m_ids.removeAt(index - 1);
    m_plans.removeAt(index - 1);
    endRemoveRows();
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    m_ids.clear();
    m_plans.clear();
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
