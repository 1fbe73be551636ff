#pragma once

#include <QString>

#include <cstdint>

namespace qm {

// Size of the archive's largest entry as the archive reader records it (its compressed size),
// 0 when the reader lists no entries. The reader stays in ActiveReader afterwards. 64-bit: Zip64
// archives hold entries over 4 GiB.
std::int64_t LargestEntrySize(const QString &sPath);

} // namespace qm
