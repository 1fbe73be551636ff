#pragma once

#include "split/ArchiveSplit.h"
#include "split/Shell32.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

namespace qm {

struct Context;
class ReportingHandler;
class SplitHost;

// Split size from the number of parts: length / parts, truncated toward zero; 0 parts count as 1.
std::int64_t SplitSizeFromParts(std::int64_t fileLength, std::int16_t parts);
// Text2's megabytes in bytes at lines 126 and 128: each step multiplies by 1024 and throws
// AppError::overflow() when the result leaves the signed 32-bit range.
std::int32_t TimesKilo(std::int32_t value);
// Length in bytes of the file at path; throws AppError when it is not a readable file.
std::int64_t FileLen(const QString &path);

// One archive the run could not split, and why.
struct SplitFailure
{
    QString archive;
    QString reason;
};
// One part that went into the output folder under another name than zipsplit gave it.
struct RenamedPart
{
    QString archive;
    QString zipSplitName;
    QString savedAs;
};

// Text of the box that ends a run: exactly "Done." when every archive was split, no part was
// renamed and none is larger than asked; otherwise it names each failed archive with its reason,
// each renamed part and each archive whose one large entry made a part larger than asked.
QString RunSummaryText(const QVector<SplitFailure> &failures, const QVector<RenamedPart> &renamed,
                       const QVector<OversizedArchive> &oversized = {}, const QStringList &stopped = {});

// Start Splitting: checks, then one zipsplit per row of the list, in list order. Lives for one
// click; the window keeps a pointer to it so that closing mid-run can stop it.
class SplitRun
{
public:
    SplitRun(SplitHost &host, Context &context);
    ~SplitRun();

    void execute();
    // Plans every archive and reports its plan instead of splitting it; nothing is written.
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }
    // The window is closing: stop zipsplit; the run then removes the staging folder and the tool
    // and ends without another box. Parts already moved into the output folder stay.
    void abort();
    bool aborted() const { return m_aborted; }
    // Stop Splitting: stop zipsplit (its partial parts go), keep what is already split, and end
    // with the box that names every archive left unsplit.
    void stop();
    bool stopped() const { return m_stopped; }
    // Every archive of the run was split (none failed, none left by a stop).
    bool allSplit() const { return m_failures.isEmpty() && m_notSplit.isEmpty(); }

private:
    // The phases of a run, each keeping its line labels: checks (100-116), preparation
    // (122-130), one row (134-162), ending (164-170).
    bool passChecks(ReportingHandler &h);
    bool prepare(ReportingHandler &h); // false: no size to split by
    void splitRow(ReportingHandler &h, int row);
    void finish(ReportingHandler &h);
    void prepareStaging(const QString &outputFolder);
    void recordFailure(const QString &archive, const QString &reason);
    void recordNotSplit(const QString &archive);
    void splitOne(const ArchiveSplitRequest &request);
    void removeTool();
    void removeStaging();

    // Values of the loop. A failing step sets nothing, so each keeps what it held before.
    struct LoopValues
    {
        std::int32_t baseSize = 0;
        QString outputFolder;
        std::int64_t splitSize = 0;
        QString toolCommand;
    };

    SplitHost &m_host;
    Context &m_ctx;
    LoopValues m_values;
    std::unique_ptr<DeployedTool> m_tool; // none: every launch fails
    std::unique_ptr<StagingFolder> m_staging;
    QString m_stagingProblem; // why this row has no staging folder
    ProcessStopper m_stopper;
    QVector<SplitFailure> m_failures;
    QVector<RenamedPart> m_renamed;
    QVector<OversizedArchive> m_oversized;
    QStringList m_notSplit; // archives a stop left unsplit
    bool m_dryRun = false;
    bool m_aborted = false;
    bool m_stopped = false;
    int m_row = 0;  // the row being split, 1-based
    int m_rows = 0;
};

} // namespace qm
