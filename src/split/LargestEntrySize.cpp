#include "split/LargestEntrySize.h"

#if __has_include("archive/mUnzip.h")
#include "archive/cUnzip.h"
#include "archive/mUnzip.h"

#include <memory>

namespace qm {

std::int64_t LargestEntrySize(const QString &sPath)
{
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
#else
#include "common/AppError.h"

namespace qm {

// Until the archive reader is part of the build there is nothing to list archives with.
std::int64_t LargestEntrySize(const QString &)
{
    throw AppError(429, QStringLiteral("ActiveX component can't create object"));
}

} // namespace qm
#endif
