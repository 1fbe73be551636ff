// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/PartPlan.h"
#include "split/SplitReason.h"
#include "split/StagingFolder.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>

namespace qm {

class DeployedTool;
class SerialWorker;
class ToolProcess;
class UnzipLibrary;
struct PlannedSource;

// One archive to split and the size the run worked out for it.
struct ArchiveSplitRequest
{
    QString archive;
    const DeployedTool *tool = nullptr; // none: the tool could not be written
    std::shared_ptr<UnzipLibrary> library; // the archive reader's library
    std::int64_t askedSize = 0; // by size: the size asked for
    int parts = 0;              // by parts: at most this many; 0 splits by size
    QString toolProblem;        // without a tool: why it could not be written (AppError's words)
};

// A part larger than the size asked for: the name it was saved under, and its size.
struct OversizedPart
{
    QString name;
    std::int64_t size = 0;
};

// An archive whose split size was raised to fit its largest entry; the raised size holds for
// all its parts, so any of them may come out larger than asked.
struct OversizedArchive
{
    QString archive;
    QString entry; // the largest entry of the largest part, as paths::fromRaw gives it
    std::int64_t entrySize = 0;
    QVector<OversizedPart> parts; // every part over the size asked, in order
};

struct ArchiveSplitResult
{
    SplitFailure failure; // why the archive was not split; none when it was
    bool mayPass = false; // it failed before zipsplit ran, for want of handles, memory or processes
    QVector<StagingFolder::Part> parts;
    PartPlan plan;
    std::optional<OversizedArchive> oversized;
};

// Splits one archive into its staging folder. zipsplit reads exactly the file the row names,
// opened once here. Every part is planned first, from the archive's directory, and zipsplit runs
// once with the -n of the plan; what it writes must then be the plan to the byte, and the file
// must not have changed meanwhile. Planning and the check run on worker threads, so start()
// returns at once. `done` follows the end, once: never inside start(), at once on a stop during
// planning, else through the event loop; the parts then wait in the staging folder until
// moveParts() puts them into the output folder (a failure there changes the result, and emits
// nothing).
class ArchiveTask : public QObject
{
    Q_OBJECT
public:
    ArchiveTask(ArchiveSplitRequest request, StagingFolder &staging, SerialWorker &worker, QObject *parent = nullptr);
    ~ArchiveTask() override;

    void start(); // returns at once: the archive is planned on a worker thread
    void stop(); // planning is dropped or zipsplit ends; the archive fails as stopped
    bool stopped() const;
    const ArchiveSplitResult &result() const { return m_result; }
    const QString &archive() const { return m_request.archive; }
    // The bytes of its planned parts, and how many of them zipsplit has written so far.
    std::int64_t plannedBytes() const;
    std::int64_t bytesWritten() const;
    // Moves the checked parts into the output folder under their names (or free ones).
    void moveParts();

Q_SIGNALS:
    void done();

private:
    void planned(std::optional<std::shared_ptr<PlannedSource>> source);
    void launch();
    void launchFailed();
    void zipSplitEnded();
    void checkParts();
    void checked(std::optional<SplitFailure> wrong);
    void fail(SplitFailure failure);
    void finish(); // emits `done`, the first time only

    ArchiveSplitRequest m_request;
    StagingFolder &m_staging;
    SerialWorker &m_worker;
    bool m_relaunched = false; // once, after the worker gave back its thread
    std::unique_ptr<ToolProcess> m_tool;
    std::shared_ptr<PlannedSource> m_source; // shared with the check of the parts
    std::unique_ptr<QFutureWatcher<std::shared_ptr<PlannedSource>>> m_planning;
    std::unique_ptr<QFutureWatcher<SplitFailure>> m_checking;
    QByteArray m_link;
    ArchiveSplitResult m_result;
    bool m_finished = false;
    bool m_stoppedPlanning = false; // a stop came before the plan
};

// The plan alone, for a dry run: nothing is written.
ArchiveSplitResult PlanArchive(const ArchiveSplitRequest &request);

} // namespace qm
