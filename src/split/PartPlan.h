// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/ZipDirectory.h"

#include <cstdint>
#include <vector>

namespace qm {

// One part zipsplit will write: its entries (indexes into the directory, in archive order) and
// the exact size of the file, the source's comment included.
struct PlannedPart
{
    std::vector<std::size_t> entries;
    std::int64_t size = 0;
};

struct PartPlan
{
    std::int64_t zipSplitSize = 0; // the -n zipsplit gets
    std::int64_t splitSize = 0;    // the ceiling the parts were planned under
    std::vector<PlannedPart> parts;
    bool refused = false; // zipsplit would refuse -n: an entry's estimate is over it

    std::int64_t largest() const;
};

// Plans an archive's parts before anything is written, as zipsplit 3.0 will write them: it packs
// entries by an estimate of their size (headers at their fixed lengths, name and central extra
// field counted twice, the entry comment and data once) against -n less the end record, the
// simple sequential packing when it needs no more parts than its greedy best-fit one. The real
// size of each part differs from the estimate (local extra fields, data descriptors), so the
// plan also counts every byte zipsplit writes, and the comment the run adds to each part.
// The entry zipsplit would write damaged, if any: a Zip64 entry whose local Zip64 field is not
// the 16 bytes zipsplit rewrites in place (it loses the field's last bytes); -1 for none.
std::ptrdiff_t EntryZipSplitDamages(const ZipDirectory &directory);

// By parts, the least split size: the file's length / parts, truncated toward zero; 0 parts
// count as 1.
std::int64_t SplitSizeFromParts(std::int64_t fileLength, int parts);

class PartPlanner
{
public:
    explicit PartPlanner(const ZipDirectory &directory);

    // What zipsplit -n zipSplitSize writes.
    PartPlan plan(std::int64_t zipSplitSize) const;
    // The smallest ceiling every part can keep to: the part of the largest entry alone.
    std::int64_t smallestSplitSize() const;
    // The plan with the largest -n whose parts all keep to ceiling, raised to
    // smallestSplitSize() when one entry cannot fit under it.
    PartPlan forSize(std::int64_t ceiling) const;
    // The plan under the smallest ceiling of at least lowest whose parts number at most parts.
    PartPlan forParts(int parts, std::int64_t lowest) const;

private:
    std::uint64_t partBytes(const std::vector<std::size_t> &entries) const;
    std::vector<std::size_t> packSimple(std::uint64_t capacity, std::size_t &bins) const;
    std::vector<std::size_t> packGreedy(std::uint64_t capacity, std::size_t &bins) const;

    const ZipDirectory &m_directory;
    std::vector<std::uint64_t> m_estimate; // zipsplit's estimate per entry
    std::vector<std::size_t> m_largestFirst; // entries by estimate, largest first, equals in order
    std::vector<std::uint64_t> m_local;    // bytes of each entry's local record, data and descriptor
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_central; // its central record, near and past 4 GiB
    std::uint64_t m_largestEstimate = 0;
    std::int64_t m_whole = 0; // one part holding every entry
};

} // namespace qm
