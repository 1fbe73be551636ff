// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/LargestEntrySize.h"

#include "archive/cUnzip.h"

#include <memory>

namespace qm {

ArchiveListing ListArchive(const QString &sPath, const std::shared_ptr<UnzipLibrary> &library)
{
    ArchiveListing listing;
    listing.reader = std::make_shared<cUnzip>(library);
    cUnzip *reader = listing.reader.get();
    reader->setZipFile(sPath);
    listing.code = reader->Directory();
    std::int32_t largestIndex = 0;
    const std::int32_t count = reader->FileCount();
    for (std::int32_t lIndex = 1; lIndex <= count; ++lIndex) {
        const std::int64_t size = reader->FileSize(lIndex);
        if (size > listing.largestSize || largestIndex == 0) {
            listing.largestSize = std::max<std::int64_t>(size, listing.largestSize);
            largestIndex = lIndex;
        }
    }
    if (largestIndex > 0)
        listing.largestName = cUnzip::BuildEntryPath(reader->FileDirectory(largestIndex),
                                                     reader->Filename(largestIndex));
    return listing;
}

ArchiveListing ListArchive(const QString &sPath)
{
    return ListArchive(sPath, std::make_shared<UnzipLibrary>());
}

std::int64_t LargestEntrySize(const QString &sPath)
{
    return ListArchive(sPath).largestSize;
}

} // namespace qm
