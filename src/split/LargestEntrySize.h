// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace qm {

class cUnzip;
class UnzipLibrary;

// What the archive reader learns from an archive's directory: its largest entry. The split run
// plans its parts from the directory itself (PartPlan.h), which also tells where each entry lies.
struct ArchiveListing
{
    std::int64_t largestSize = 0;   // compressed size of the largest entry, 0 for none
    QString largestName;            // that entry's path
    std::int32_t code = 0;          // the library's code for the listing (-1: it could not run)
    std::shared_ptr<cUnzip> reader; // the reader that listed it, alive as long as the listing
};

// Lists the archive through a reader of its own over library. 64-bit: Zip64 archives hold
// entries over 4 GiB.
ArchiveListing ListArchive(const QString &sPath, const std::shared_ptr<UnzipLibrary> &library);
// The same over libunzip32.so beside the program.
ArchiveListing ListArchive(const QString &sPath);

// Size of the archive's largest entry as the archive reader records it (its compressed size),
// 0 when the reader lists no entries; the library beside the program.
std::int64_t LargestEntrySize(const QString &sPath);

} // namespace qm
