// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/ArchiveSplit.h"
#include "split/SerialWorker.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace qm {

class ArchiveTask;
class DeployedTool;
class StagingFolder;

// Two large copies at once make a disk seek between them. Side by side still won for archives
// of 256 MB, read warm or cold (bench), so only archives from 1 GiB on are split alone.
constexpr std::int64_t kRunsAlone = std::int64_t(1) << 30;

// What to split, typed: the archives (paths as the program holds names, see paths::fromRaw), the
// output folder, the rule, and how many archives may be split at once.
struct SplitRequest
{
    QStringList archives;
    QString outputFolder;
    std::int64_t sizeBytes = 0; // by size
    int parts = 0;              // by parts, at most this many; 0 splits by size
    int jobs = 1;
    std::int64_t aloneFrom = kRunsAlone; // archives of this size or more are split alone
    bool dryRun = false;        // plan every archive, write nothing
    std::shared_ptr<const DeployedTool> tool; // none: every launch fails
    QString toolProblem;                      // without a tool: why it could not be written
    std::shared_ptr<UnzipLibrary> library;    // the archive reader's; none: libunzip32.so beside the program
};

// What the request asks of its archive at `index`: the one way a run, a dry run and the window's
// plans turn a request into an archive's.
ArchiveSplitRequest ArchiveRequest(const SplitRequest &request, int index);

// One archive, finished: split (its parts), planned (a dry run), stopped, or failed with why.
struct ArchiveOutcome
{
    int index = 0; // in the request's list
    QString archive;
    ArchiveSplitResult result;
    // A stop ended it, or came before it started.
    bool stopped() const { return result.failure.kind == FailureKind::Stopped; }
};

// One failed archive, and why.
struct FailedArchive
{
    QString archive;
    SplitFailure failure;
};
// One part that went into the output folder under another name than zipsplit gave it.
struct RenamedPart
{
    QString archive;
    QString zipSplitName;
    QString savedAs;
    bool takenInRun = false; // the name was taken by a part this run saved before
};

// How far a run has come. Bytes count each archive at its size on disk: the archives reported,
// and of each one being split the share of its planned parts already on disk. Never goes back.
struct RunProgress
{
    int archivesDone = 0; // reported, in list order
    int archives = 0;
    int current = -1; // list index of the first archive still being split; -1: none
    std::int64_t bytesDone = 0;
    std::int64_t bytesTotal = 0;
};

// What a whole run came to, in list order.
struct SplitSummary
{
    QVector<FailedArchive> failures;
    QVector<RenamedPart> renamed;
    QVector<OversizedArchive> oversized;
    QStringList notSplit; // archives a stop left unsplit
    QString outputProblem; // why the output folder took no more parts: the rest were stopped
    QSet<QString> saved;  // the names this run's parts were saved under
    int split = 0;        // archives split
    int partsMade = 0;    // parts moved into the output folder
    bool allSplit() const { return failures.isEmpty() && notSplit.isEmpty(); }
    void add(const ArchiveOutcome &outcome);
};

// Splits a request's archives, up to `jobs` at once, each in a staging folder of its own in the
// output folder, which is opened once and held for the whole run. Parts are moved into the output
// folder in list order, so every name is the one a one-at-a-time run gives; `archiveFinished`
// comes in list order too. Everything waits through Qt's event loop; start() returns at once.
class SplitJob : public QObject
{
    Q_OBJECT
public:
    // Not to be deleted from a slot of its own signals: deleteLater() there.
    explicit SplitJob(SplitRequest request, QObject *parent = nullptr);
    ~SplitJob() override; // a run still going is ended at once and leaves nothing behind

    void start();
    // Every running zipsplit ends and the archives not split yet are named; parts already moved
    // into the output folder stay. `finished` follows.
    void stop();
    bool running() const { return m_running; }
    const SplitSummary &summary() const { return m_summary; }

Q_SIGNALS:
    void archiveFinished(const qm::ArchiveOutcome &outcome);
    // After every archive, and a few times a second while parts are being written.
    void progress(const qm::RunProgress &progress);
    void finished(const qm::SplitSummary &summary);

private:
    struct Slot;
    void pump();
    void launchNext();
    bool startArchive(Slot &slot, int index);
    void archiveDone(int index);
    void freeSlot(int index);
    int runningCount(int except) const;
    bool retryLater(int index, bool mayPass);
    void queueRetry(int index);
    bool releaseHeld(int index, bool later);
    Slot *idleSlot() const;
    bool mayStart(int index) const;
    bool reportReady();
    void finishRun();
    void reportProgress();
    void watchParts();
    SplitFailure outputFailure() const;
    void haltIfOutputUnfit();

    SplitRequest m_request;
    SerialWorker m_worker; // before the tasks: they hand it work until they go
    std::vector<std::unique_ptr<Slot>> m_slots;
    std::vector<std::unique_ptr<ArchiveTask>> m_tasks; // by list index, made when started
    std::vector<ArchiveOutcome> m_outcomes;
    std::vector<bool> m_done;
    mutable std::vector<bool> m_large; // started alone: the disk is its limit
    int m_nextToStart = 0;
    int m_capacity = 1;       // archives at once; lowered when the system runs short
    std::deque<int> m_retry;  // archives to try again once others have ended, in list order
    bool m_requeued = false;  // an archive went back in the queue since the last launch
    int m_nextToReport = 0;
    int m_finished = 0;
    bool m_running = false;
    bool m_stopped = false;
    struct OutputFolder;
    std::unique_ptr<OutputFolder> m_output;
    SplitSummary m_summary;
    std::vector<std::int64_t> m_weights; // each archive's size when the run started
    std::int64_t m_reportedBytes = 0;
    std::vector<std::int64_t> m_written; // each archive's part bytes on disk at the last look
    RunProgress m_progress;
    QTimer *m_watch = nullptr;
};

} // namespace qm
