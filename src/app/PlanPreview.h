// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FileListModel.h"
#include "split/SplitChoice.h"

#include <QObject>
#include <QThreadPool>

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace qm {

struct ArchiveSplitResult;
class UnzipLibrary;

// A row's plan in the list's words: parts and the largest part in MB, or why not in a few words
// with the whole reason beside them.
RowPlan ShownPlan(const ArchiveSplitResult &result, const QString &archive);

// Plans listed archives in the background, as a dry run plans them (PlanArchive over the request
// MakeSplitRequest makes of the choice), and hands the plans back by row id, a few at a time.
// A plan made under another choice, or before cancel(), is never handed back.
class PlanPreview : public QObject
{
    Q_OBJECT
public:
    explicit PlanPreview(QObject *parent = nullptr);
    ~PlanPreview() override; // waits for the plans under way: a file or two each

    // The size or count rows are planned by from now on, none while the field is not in range.
    // False when it is the one in force; otherwise every plan not handed back yet is dropped.
    bool setChoice(const std::optional<SplitChoice> &choice);
    bool hasChoice() const { return m_choice.has_value(); }
    // Plans the rows under the choice in force, in list order; nothing without one.
    void plan(const QVector<PlanRow> &rows, const std::shared_ptr<UnzipLibrary> &library);
    // Drops every plan not handed back yet (the list was cleared).
    void cancel();

Q_SIGNALS:
    void planned(const QVector<qm::LandedPlan> &plans);

private:
    struct Batch;
    void work(); // on a worker: plans rows until none wait
    void handBack();

    std::optional<SplitChoice> m_choice;
    std::mutex m_mutex; // guards what follows
    quint64 m_generation = 0; // raised whenever the plans under way went stale
    std::deque<std::shared_ptr<Batch>> m_queue;
    QVector<LandedPlan> m_made; // of this generation, waiting to be handed back
    int m_workers = 0;
    const int m_mostWorkers;
    QThreadPool m_pool;
};

} // namespace qm
