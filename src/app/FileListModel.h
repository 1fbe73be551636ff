// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace qm {

class WalkTurns;

// Rows of ListView1: one full path per row, appended in order, never sorted, duplicates kept.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setColumnTitle(const QString &title);
    QString columnTitle() const { return m_title; }

    int count() const { return static_cast<int>(m_rows.size()); }
    // 1-based, as the program numbers rows; throws AppError::subscriptOutOfRange() outside.
    QString text(int index) const;
    void append(const QString &path);
    void append(const QStringList &paths);
    // 1-based; throws AppError::subscriptOutOfRange() outside.
    void remove(int index);
    void clear();


private:
    QStringList m_rows;
    QString m_title;
};

// Collects the rows of a long import and appends them in one go at each flush, so 100,000 rows
// cost a few hundred inserts instead of 100,000. The destructor flushes what is left. With
// `turns`, the batch is also flushed right before the window gets to run, so whatever runs then
// sees every row found so far.
class RowBatch
{
public:
    explicit RowBatch(FileListModel &model, WalkTurns *turns = nullptr);
    ~RowBatch();
    RowBatch(const RowBatch &) = delete;
    RowBatch &operator=(const RowBatch &) = delete;

    void add(const QString &path) { m_rows.append(path); }
    void flush();

private:
    friend class WalkTurns;
    FileListModel &m_model;
    WalkTurns *m_turns;
    QStringList m_rows;
    RowBatch *m_outer = nullptr; // batches nest when a second import runs inside a first one
};

} // namespace qm
