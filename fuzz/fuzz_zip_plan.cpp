// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the one ZIP reader over an archive held in memory, then the part planner
// over whatever directory it read, by size and by parts, at sizes from the smallest -n zipsplit
// takes to the largest a caller can pass.
#include "zip/ZipReader.h"
#include "split/PartPlan.h"

#include <cstddef>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The sizes come from the input's hash, so seeds are plain archives.
    std::uint64_t choice = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        choice = (choice ^ data[i]) * 1099511628211ull;
    qm::zip::Bytes bytes = qm::zip::Bytes::memory(data, size);
    const qm::zip::Directory directory = qm::zip::ReadDirectory(bytes, qm::zip::Locals::Read);
    if (directory.problem != qm::zip::Problem::None || directory.entries.size() > 20000)
        return 0;
    const qm::PartPlanner planner(directory);
    const std::int64_t sizes[] = {0, 100, std::int64_t(choice & 0xFFFFF), std::int64_t(choice >> 1),
                                  std::numeric_limits<std::int64_t>::max()};
    for (const std::int64_t ceiling : sizes) {
        const qm::PartPlan plan = planner.forSize(ceiling);
        std::size_t placed = 0;
        for (const qm::PlannedPart &part : plan.parts)
            placed += part.entries.size();
        if (!plan.refused && !directory.entries.empty() && placed != directory.entries.size())
            __builtin_trap(); // every entry in exactly one part
    }
    const int parts = int(choice % 50) + 1;
    planner.forParts(parts, std::int64_t(choice >> 8));
    planner.forParts(parts, std::numeric_limits<std::int64_t>::max());
    return 0;
}
