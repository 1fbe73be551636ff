#pragma once

#include "split/PartPlan.h"
#include "split/StagingFolder.h"

#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>

namespace qm {

class DeployedTool;
class ProcessStopper;
class Toolkit;

// One archive to split and the size the run worked out for it.
struct ArchiveSplitRequest
{
    QString archive;
    const DeployedTool *tool = nullptr; // none: the tool could not be written
    std::int64_t askedSize = 0; // from the size option, or the file length / parts
    int parts = 0;              // by parts: at most this many; 0 splits by size
    bool dryRun = false;                   // plan only: nothing is written
};

// An archive whose parts came out larger than asked, because one entry cannot fit in less.
struct OversizedArchive
{
    QString archive;
    QString entry;
    std::int64_t entrySize = 0;
    std::int64_t largestPart = 0;
};

struct ArchiveSplitResult
{
    QString failure; // why the archive was not split; empty when it was
    QVector<StagingFolder::Part> parts;
    PartPlan plan;
    std::optional<OversizedArchive> oversized;
};

// Splits one archive into the staging folder and moves its parts into the output folder.
// zipsplit reads exactly the file the row names, opened once here. Every part is planned first,
// from the archive's directory, and zipsplit runs once with the -n of the plan; what it writes
// must then be the plan to the byte, and the file must not have changed meanwhile.
ArchiveSplitResult SplitArchive(Toolkit &toolkit, const ArchiveSplitRequest &request, StagingFolder &staging,
                                ProcessStopper &stopper);

// The plan alone, for a dry run: nothing is written.
ArchiveSplitResult PlanArchive(const ArchiveSplitRequest &request);

} // namespace qm
