// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>
#include <QVector>

namespace qm {

class WalkTurns;

// What the plan column shows for a row.
struct RowPlan
{
    QString text;   // "4 parts, largest 19.8 MB", or in a few words why it cannot be split
    QString reason; // why it cannot be split, in the dry run's sentence; empty when it can
};

// A row to plan: its id (never reused, rising down the list) and its path.
struct PlanRow
{
    quint64 id = 0;
    QString path;
};

// A plan made for the row with that id.
struct LandedPlan
{
    quint64 id = 0;
    RowPlan plan;
};

// Rows of ListView1: one full path per row, appended in order, never sorted, duplicates kept.
// The path is the first column, the item's text and data; the second column is the row's plan.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setColumnTitle(const QString &title);
    QString columnTitle() const { return m_title; }
    void setPlanTitle(const QString &title);

    // Drops every plan shown. With `planning`, rows without a plan show that one is coming;
    // without, their plan cell stays empty.
    void setPlanning(bool planning);
    // Each row shows the plan made for its id; a row gone meanwhile takes nothing.
    void setPlans(const QVector<LandedPlan> &plans);
    // 0-based, both ends included.
    QVector<PlanRow> planRows(int first, int last) const;

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
    QVector<quint64> m_ids;  // by row; rows are only appended, so they rise
    // By row, the plan it shows in m_shown; -1 until its plan came. Rows whose archives plan alike
    // share one: 100,000 rows hold a few distinct plans.
    QVector<qint32> m_planOf;
    QVector<RowPlan> m_shown;
    QHash<QString, qint32> m_shownIndex; // text and reason, NUL between them
    quint64 m_nextId = 1;
    bool m_planning = false;
    QString m_title;
    QString m_planTitle;
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
