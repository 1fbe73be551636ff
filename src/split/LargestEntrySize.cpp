#include "split/LargestEntrySize.h"

#include "archive/cUnzip.h"
#include "archive/mUnzip.h"

#include <algorithm>
#include <memory>

namespace qm {

std::int64_t LargestEntrySize(const QString &sPath)
{
    // The reader stays in ActiveReader until the next one replaces it.
    ActiveReader() = std::make_shared<cUnzip>();
    const std::shared_ptr<cUnzip> reader = ActiveReader();
    reader->setZipFile(sPath);
    reader->Directory();
    std::int64_t largest = 0;
    const std::int32_t count = reader->FileCount();
    for (std::int32_t lIndex = 1; lIndex <= count; ++lIndex)
        largest = std::max(largest, reader->FileSize(lIndex));
    return largest;
}

} // namespace qm
