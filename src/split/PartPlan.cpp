// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PartPlan.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <set>

namespace qm {

namespace {

// zipsplit's fixed costs: the end record with its signature, and per entry the data descriptor
// allowance, local and central header lengths without signatures.
constexpr std::uint64_t kEndAllowance = 18 + 4;
constexpr std::uint64_t kEntryAllowance = 8 + 26 + 42;
constexpr std::int64_t kSmallestN = 100; // zipsplit refuses less
constexpr std::uint64_t kLocalHeader = 30;
constexpr std::uint64_t kCentralHeader = 46;
constexpr std::uint64_t kEndRecord = 22;
constexpr std::uint64_t kZip64End = 56 + 20; // record and locator

// No file is this large: sizes, sums and ceilings are held below it, so no sum of two overflows
// whatever a caller or a lying directory passes.
constexpr std::uint64_t kNoSense = std::uint64_t(1) << 62;
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;

std::int64_t saturate(std::uint64_t value)
{
    return std::int64_t(std::min(value, kNoSense));
}

} // namespace

std::int64_t PartPlan::largest() const
{
    std::int64_t size = 0;
    for (const PlannedPart &part : parts)
        size = std::max(size, part.size);
    return size;
}

static bool IsZip64Entry(const StoredZipEntry &e)
{
    return e.compressedSize > kMax32 || e.uncompressedSize > kMax32 || e.dashName;
}

std::ptrdiff_t EntryZipSplitDamages(const ZipDirectory &directory)
{
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const StoredZipEntry &e = directory.entries[i];
        if (IsZip64Entry(e) && e.localZip64 >= 0 && e.localZip64 != 16)
            return std::ptrdiff_t(i);
    }
    return -1;
}

// What zipsplit writes for one entry outside its central record: the local header with the
// source's local name and extra field, the data, and a new data descriptor for encrypted entries
// that had one (plain entries lose theirs). A Zip64 entry (a size past 32 bits, or a name "-",
// which zipsplit takes for data zip read from a pipe) gets a Zip64 field of both sizes in place
// of the one it had, kept where it already has that length.
static std::uint64_t LocalBytes(const StoredZipEntry &e)
{
    const bool zip64 = IsZip64Entry(e);
    std::uint64_t extra = e.localExtra;
    if (zip64 && e.localZip64 != 16)
        extra = extra - (e.localZip64 < 0 ? 0 : 4 + std::uint64_t(e.localZip64)) + 20;
    const std::uint64_t descriptor = e.encrypted() && e.hasDescriptor() ? (zip64 ? 24 : 16) : 0;
    return kLocalHeader + e.localName + extra + std::min(e.compressedSize, kNoSense) + descriptor;
}

// The central record: the source's, but where a size or the entry's offset in the part passes 32
// bits zipsplit writes a new Zip64 field holding just those values, in place of the source's.
static std::uint64_t CentralBytes(const StoredZipEntry &e, bool farOffset)
{
    std::uint64_t extra = e.centralExtra;
    const int values = (e.uncompressedSize > kMax32) + (e.compressedSize > kMax32) + farOffset;
    if (values > 0)
        extra = extra - (e.centralZip64 < 0 ? 0 : 4 + std::uint64_t(e.centralZip64)) + 4 + 8 * values;
    return kCentralHeader + e.nameLength + extra + e.comment;
}

PartPlanner::PartPlanner(const ZipDirectory &directory) : m_directory(directory)
{
    const std::size_t n = directory.entries.size();
    m_estimate.reserve(n);
    m_local.reserve(n);
    m_central.reserve(n);
    for (const StoredZipEntry &e : directory.entries) {
        const std::uint64_t estimate = kEntryAllowance + 2 * std::uint64_t(e.nameLength)
                                       + 2 * std::uint64_t(e.centralExtra) + e.comment
                                       + std::min(e.compressedSize, kNoSense);
        m_estimate.push_back(std::min(estimate, kNoSense));
        m_local.push_back(LocalBytes(e));
        m_central.push_back({CentralBytes(e, false), CentralBytes(e, true)});
        m_largestEstimate = std::max(m_largestEstimate, m_estimate.back());
    }
    m_largestFirst.resize(n);
    std::iota(m_largestFirst.begin(), m_largestFirst.end(), std::size_t(0));
    m_whole = saturate(partBytes(m_largestFirst)); // still in archive order
    // Largest first, equals in archive order as glibc's qsort (a merge sort) leaves them; sorted
    // with the estimate beside its index rather than looked up through it.
    std::vector<std::pair<std::uint64_t, std::size_t>> keyed(n);
    for (std::size_t i = 0; i < n; ++i)
        keyed[i] = {m_estimate[i], i};
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (std::size_t i = 0; i < n; ++i)
        m_largestFirst[i] = keyed[i].second;
}

// One part as zipsplit writes it: local records in archive order, the central directory (each
// record's length depends on where its entry lies), the end records. Zip64 end records come
// with more than 65,535 entries, or a directory that starts or runs past 32 bits.
std::uint64_t PartPlanner::partBytes(const std::vector<std::size_t> &entries) const
{
    std::uint64_t offset = 0, central = 0;
    for (const std::size_t i : entries) {
        central = std::min(central + (offset > kMax32 ? m_central[i].second : m_central[i].first), kNoSense);
        offset = std::min(offset + m_local[i], kNoSense);
    }
    const bool zip64 = entries.size() > 0xFFFF || offset > kMax32 || central > kMax32;
    return std::min(offset + central + kEndRecord + (zip64 ? kZip64End : 0), kNoSense);
}

// Entries in archive order into parts one after another, a new part when the next will not fit.
std::vector<std::size_t> PartPlanner::packSimple(std::uint64_t capacity, std::size_t &bins) const
{
    std::vector<std::size_t> bin(m_estimate.size());
    std::size_t k = 0;
    std::uint64_t used = 0;
    for (std::size_t i = 0; i < m_estimate.size(); ++i) {
        if (m_estimate[i] + used > capacity) {
            ++k;
            used = 0;
        }
        used += m_estimate[i];
        bin[i] = k;
    }
    bins = k + 1;
    return bin;
}

// Largest first, each into the fullest part it still fits (the first of equals); with the fewest
// parts the total allows, then one more each time an entry fits nowhere. Gives up (bins = 0) once
// it would need as many parts as bins says the simple packing takes, which zipsplit prefers then.
std::vector<std::size_t> PartPlanner::packGreedy(std::uint64_t capacity, std::size_t &bins) const
{
    const std::size_t n = m_estimate.size();
    const std::vector<std::size_t> &order = m_largestFirst;
    // Tries with fewer parts than these bounds fail for certain and are skipped: the total, and
    // entries over half a part (one each) or over a third (two at most).
    std::uint64_t total = 0;
    std::size_t halves = 0, thirds = 0;
    for (const std::uint64_t e : m_estimate) {
        total = std::min(total + e, kNoSense);
        halves += e > capacity / 2;
        thirds += e > capacity / 3;
    }
    std::vector<std::size_t> bin(n);
    const std::size_t simpleBins = bins;
    const std::size_t fewest = std::max({std::size_t((total + capacity - 1) / capacity), halves, (thirds + 1) / 2});
    for (std::size_t m = fewest; m < simpleBins; ++m) {
        std::set<std::pair<std::uint64_t, std::size_t>> room; // space left, part
        for (std::size_t j = 0; j < m; ++j)
            room.insert({capacity, j});
        std::size_t placed = 0;
        for (; placed < n; ++placed) {
            const std::size_t i = order[placed];
            const auto it = room.lower_bound({m_estimate[i], 0});
            if (it == room.end())
                break;
            // The part's node moves to its new place: no allocation per entry.
            auto node = room.extract(it);
            node.value().first -= m_estimate[i];
            bin[i] = node.value().second;
            room.insert(std::move(node));
        }
        if (placed == n) {
            bins = m;
            return bin;
        }
    }
    bins = 0;
    return {};
}

PartPlan PartPlanner::plan(std::int64_t zipSplitSize) const
{
    PartPlan result;
    result.zipSplitSize = zipSplitSize;
    if (zipSplitSize < kSmallestN || std::uint64_t(zipSplitSize) - kEndAllowance < m_largestEstimate) {
        result.refused = true;
        return result;
    }
    if (m_estimate.empty())
        return result;
    const std::uint64_t capacity = std::uint64_t(zipSplitSize) - kEndAllowance;
    std::size_t bins = 0;
    std::vector<std::size_t> bin = packSimple(capacity, bins);
    std::size_t greedyBins = bins;
    std::vector<std::size_t> greedy = packGreedy(capacity, greedyBins);
    if (greedyBins > 0 && greedyBins < bins) {
        bin.swap(greedy);
        bins = greedyBins;
    }
    result.parts.resize(bins);
    for (std::size_t i = 0; i < bin.size(); ++i)
        result.parts[bin[i]].entries.push_back(i);
    const std::int64_t comment = m_directory.comment.size();
    for (PlannedPart &part : result.parts) {
        part.size = saturate(partBytes(part.entries) + std::uint64_t(comment));
    }
    return result;
}

std::int64_t PartPlanner::smallestSplitSize() const
{
    const std::int64_t n = saturate(m_largestEstimate + kEndAllowance);
    return plan(std::max(n, kSmallestN)).largest();
}

PartPlan PartPlanner::forSize(std::int64_t ceiling) const
{
    ceiling = saturate(std::uint64_t(std::max<std::int64_t>(ceiling, 0)));
    const std::int64_t comment = std::int64_t(m_directory.comment.size());
    const std::int64_t lowest = std::max(kSmallestN, saturate(m_largestEstimate + kEndAllowance));
    std::int64_t n = std::max(lowest, ceiling - comment);
    std::int64_t over = n + 1; // smallest -n known too large, or the first one tried
    PartPlan best = plan(n);
    // Lowered by each overshoot until the parts fit; the first fit may lie well below the last
    // miss, so the gap between them is searched for a larger -n that fits as well.
    while (best.largest() > ceiling && n > lowest) {
        over = n;
        n = std::max(lowest, n - std::max<std::int64_t>(1, best.largest() - ceiling));
        best = plan(n);
    }
    if (best.largest() > ceiling) { // one entry forces it: as small as the parts can be
        best.splitSize = best.largest();
        return best;
    }
    for (std::int64_t low = n + 1; low < over;) {
        const std::int64_t mid = low + (over - low) / 2;
        PartPlan probe = plan(mid);
        if (probe.largest() <= ceiling) {
            best = std::move(probe);
            low = mid + 1;
        } else {
            over = mid;
        }
    }
    best.splitSize = ceiling;
    return best;
}

std::int64_t SplitSizeFromParts(std::int64_t fileLength, int parts)
{
    return fileLength / (parts == 0 ? 1 : parts);
}

PartPlan PartPlanner::forParts(int parts, std::int64_t lowest) const
{
    lowest = saturate(std::uint64_t(std::max<std::int64_t>(lowest, 0)));
    PartPlan best = forSize(lowest);
    if (best.parts.size() <= std::size_t(std::max(parts, 1)))
        return best;
    std::uint64_t estimates = 0;
    for (const std::uint64_t e : m_estimate)
        estimates = std::min(estimates + e, kNoSense);
    const std::int64_t comment = std::int64_t(m_directory.comment.size());
    // Under this ceiling everything fits in one part.
    std::int64_t high = std::max(m_whole, saturate(estimates + kEndAllowance)) + comment;
    std::int64_t low = std::max(lowest, best.splitSize) + 1;
    best = forSize(high);
    while (low < high) {
        const std::int64_t mid = low + (high - low) / 2;
        PartPlan probe = forSize(mid);
        if (probe.parts.size() <= std::size_t(parts)) {
            best = std::move(probe);
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return best;
}

} // namespace qm
