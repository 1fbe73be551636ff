#pragma once

#include "split/LargestEntrySize.h"
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
class UnzipLibrary;

// One archive to split: the sizes the run worked out for it and what its directory told.
struct ArchiveSplitRequest
{
    QString archive;
    const DeployedTool *tool = nullptr; // none: the tool could not be written
    std::int64_t askedSize = 0; // from the size or parts option
    std::int64_t splitSize = 0; // after the raise to the minimum
    ArchiveListing listing;
    std::shared_ptr<UnzipLibrary> library; // the archive library, to check the parts
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
    std::optional<OversizedArchive> oversized;
    int rounds = 0; // zipsplit runs it took
};

// Splits one archive into the staging folder and moves its parts into the output folder.
// zipsplit reads exactly the file the row names, opened once here. Its size estimate runs a few
// bytes short per entry, so parts over the split size are split again with a size lowered by the
// overshoot (a few rounds at most); only an entry too large for the size may lift a part over it.
ArchiveSplitResult SplitArchive(Toolkit &toolkit, const ArchiveSplitRequest &request, StagingFolder &staging,
                                ProcessStopper &stopper);

} // namespace qm
