// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileListModel.h"

#include "common/Paths.h"

#include "app/AddFolder.h"
#include "common/AppError.h"

namespace qm {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    // No tooltip of its own: over the rows, too, the list's tooltip says how to use it.
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return paths::shown(m_rows.at(index.row()));
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole && !m_title.isNull())
        return m_title;
    return {};
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

QString FileListModel::text(int index) const
{
    if (index < 1 || index > count())
        throw AppError::subscriptOutOfRange();
    return m_rows.at(index - 1);
}

void FileListModel::append(const QString &path)
{
    beginInsertRows(QModelIndex(), count(), count());
    m_rows.append(path);
    endInsertRows();
}

void FileListModel::append(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + static_cast<int>(paths.size()) - 1);
    m_rows.append(paths);
    endInsertRows();
}

void FileListModel::remove(int index)
{
    if (index < 1 || index > count())
        throw AppError::subscriptOutOfRange();
    beginRemoveRows(QModelIndex(), index - 1, index - 1);
    m_rows.removeAt(index - 1);
    endRemoveRows();
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
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
