// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PlanCheck.h"

#include "common/UniqueFd.h"
#include "split/SplitReason.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

UniqueFd openPart(int folder, const QByteArray &name, int mode)
{
    return UniqueFd(::openat(folder, name.constData(), mode | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

SplitFailure partsFailure(const QString &text)
{
    return {FailureKind::Parts, text};
}

bool writeAt(int fd, const QByteArray &data, off_t offset)
{
    return ::pwrite(fd, data.constData(), std::size_t(data.size()), offset) == data.size();
}

// The same file: path, sizes and CRC-32 (what a reader of the part relies on).
bool sameEntry(const ZipDirectory &a, const StoredZipEntry &x, const ZipDirectory &b, const StoredZipEntry &y)
{
    return x.crc == y.crc && x.compressedSize == y.compressedSize && x.uncompressedSize == y.uncompressedSize
           && a.name(x) == b.name(y);
}

// Where an entry's stored bytes start: after its local header, name and extra field.
std::uint64_t dataAt(const StoredZipEntry &entry)
{
    return entry.localOffset + 30 + entry.localName + entry.localExtra;
}

// An entry's stored bytes in the source and in its part, or a megabyte of them.
struct Span
{
    std::uint64_t source = 0;
    std::uint64_t part = 0;
    std::uint64_t length = 0;
};

// Spans [first, end), read with one read a side.
struct Batch
{
    std::size_t first = 0;
    std::size_t end = 0;
};

enum class Data { Same, Differs, Unreadable };

constexpr std::uint64_t kChunk = 1 << 20;
constexpr std::uint64_t kGap = 4096; // more between two entries: read them apart
constexpr std::uint64_t kThreadsFrom = std::uint64_t(32) << 20; // less is compared before threads start

// Entries past a megabyte in pieces of one; neighbouring small entries (the headers between them
// read and passed over) in batches of up to a megabyte a side, so many small entries cost few reads.
std::vector<Batch> batchesOf(std::vector<Span> &spans)
{
    std::vector<Span> pieces;
    for (const Span &span : spans)
        for (std::uint64_t done = 0; done == 0 || done < span.length; done += kChunk)
            pieces.push_back({span.source + done, span.part + done, std::min(kChunk, span.length - done)});
    spans.swap(pieces);
    const auto near = [](std::uint64_t end, std::uint64_t at) { return at >= end && at - end <= kGap; };
    std::vector<Batch> batches;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const Span &next = spans[i];
        if (!batches.empty()) {
            const Span &first = spans[batches.back().first];
            const Span &last = spans[i - 1];
            if (near(last.source + last.length, next.source) && near(last.part + last.length, next.part)
                && next.source + next.length - first.source <= kChunk && next.part + next.length - first.part <= kChunk) {
                batches.back().end = i + 1;
                continue;
            }
        }
        batches.push_back({i, i + 1});
    }
    return batches;
}

// One thread's reads: buffers grown to what its largest read needs, never cleared first.
class BatchReader
{
public:
    BatchReader(int source, int part) : m_source(source), m_part(part) {}

    Data compare(const std::vector<Span> &spans, Batch batch)
    {
        const Span &first = spans[batch.first];
        const Span &last = spans[batch.end - 1];
        if (!read(m_source, m_a, first.source, last.source + last.length - first.source)
            || !read(m_part, m_b, first.part, last.part + last.length - first.part))
            return Data::Unreadable;
        for (std::size_t k = batch.first; k < batch.end; ++k)
            if (spans[k].length > 0
                && std::memcmp(m_a.constData() + (spans[k].source - first.source),
                               m_b.constData() + (spans[k].part - first.part), spans[k].length) != 0)
                return Data::Differs;
        return Data::Same;
    }

private:
    static bool read(int fd, QByteArray &buffer, std::uint64_t at, std::uint64_t length)
    {
        if (std::uint64_t(buffer.size()) < length)
            buffer.resize(qsizetype(length));
        for (std::uint64_t done = 0; done < length;) {
            const ssize_t n = ::pread(fd, buffer.data() + done, length - done, off_t(at + done));
            if (n <= 0 && !(n < 0 && errno == EINTR))
                return false;
            done += n > 0 ? std::uint64_t(n) : 0;
        }
        return true;
    }

    int m_source;
    int m_part;
    QByteArray m_a;
    QByteArray m_b;
};

// Whether the part holds the source's bytes where the spans say. Much to compare is shared out
// over the cores (at most four): the reads are copies from the page cache, bound by the CPU.
Data proveData(int source, int part, std::vector<Span> spans)
{
    const std::vector<Batch> batches = batchesOf(spans);
    std::uint64_t bytes = 0;
    for (const Span &span : spans)
        bytes += span.length;
    const unsigned threads = bytes < kThreadsFrom ? 1 : std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
    std::atomic<std::size_t> next{0};
    std::atomic<int> outcome{int(Data::Same)};
    const auto work = [&] {
        BatchReader reader(source, part);
        for (std::size_t i = next++; i < batches.size() && outcome == int(Data::Same); i = next++) {
            int same = int(Data::Same);
            const Data data = reader.compare(spans, batches[i]);
            if (data != Data::Same)
                outcome.compare_exchange_strong(same, int(data));
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (unsigned t = 1; t < threads; ++t)
            helpers.emplace_back(work);
    } catch (const std::system_error &) { // no thread to be had: fewer do it
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();
    return Data(outcome.load());
}

} // namespace

QByteArray ZipSplitPartName(const QByteArray &linkName, std::size_t index, std::size_t count)
{
    const int width = int(QByteArray::number(qulonglong(count)).size());
    const QByteArray stem = linkName.left(linkName.indexOf('.'));
    return stem + QByteArray::number(qulonglong(index)).rightJustified(width, '0') + ".zip";
}

bool AddArchiveComment(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const QByteArray &comment)
{
    if (comment.isEmpty())
        return true;
    QByteArray length(2, '\0');
    length[0] = char(comment.size() & 0xFF);
    length[1] = char(comment.size() >> 8);
    for (const StagingFolder::StagedPart &part : parts) {
        const UniqueFd fd = openPart(stagingFolder, part.name, O_RDWR);
        if (!fd.isValid())
            return false;
        zip::Bytes bytes = zip::Bytes::file(fd.get(), std::uint64_t(part.size));
        const std::optional<std::uint64_t> lengthAt = zip::BareEndCommentLengthAt(bytes);
        if (!lengthAt || !writeAt(fd.get(), length, off_t(*lengthAt))
            || !writeAt(fd.get(), comment, off_t(part.size)))
            return false;
    }
    return true;
}

SplitFailure CompareWithPlan(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const PartPlan &plan,
                             int sourceFd, const ZipDirectory &source, const QByteArray &linkName,
                             const std::function<QString(int, int)> &shownName)
{
    const int count = int(plan.parts.size());
    if (std::size_t(parts.size()) != plan.parts.size())
        return partsFailure(
            SplitReason::tr("the splitting tool made %n parts where %1 were planned.", nullptr, int(parts.size()))
                .arg(plan.parts.size()));
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const StagingFolder::StagedPart &part = parts[qsizetype(i)];
        const PlannedPart &planned = plan.parts[i];
        const QByteArray expected = ZipSplitPartName(linkName, i + 1, plan.parts.size());
        const QString shown = shownName(int(i) + 1, count);
        if (part.name != expected)
            return partsFailure(SplitReason::tr("the splitting tool did not name part %1 as planned.").arg(shown));
        const UniqueFd fd = openPart(stagingFolder, part.name, O_RDONLY);
        struct stat st {};
        if (!fd.isValid() || ::fstat(fd.get(), &st) != 0 || st.st_size != planned.size)
            return partsFailure(SplitReason::tr("part %1 is %2 bytes where %3 were planned.")
                                    .arg(shown, QString::number(qint64(st.st_size)), QString::number(planned.size)));
        const ZipDirectory directory = ReadPartDirectory(fd.get());
        if (directory.problem != zip::Problem::None)
            return partsFailure(SplitReason::tr("part %1 is damaged.").arg(shown));
        bool same = directory.entries.size() == planned.entries.size();
        for (std::size_t e = 0; same && e < planned.entries.size(); ++e)
            same = sameEntry(directory, directory.entries[e], source, source.entries[planned.entries[e]]);
        if (!same)
            return partsFailure(SplitReason::tr("part %1 does not hold the entries planned for it.").arg(shown));
        std::vector<Span> spans;
        for (std::size_t e = 0; e < planned.entries.size(); ++e) {
            const StoredZipEntry &entry = directory.entries[e];
            spans.push_back({dataAt(source.entries[planned.entries[e]]), dataAt(entry), entry.compressedSize});
        }
        const Data data = proveData(sourceFd, fd.get(), std::move(spans));
        if (data == Data::Unreadable)
            return partsFailure(
                SplitReason::tr("part %1 could not be compared with the archive: reading failed.").arg(shown));
        if (data == Data::Differs)
            return partsFailure(SplitReason::tr("the data in part %1 is not the archive's: the archive changed while "
                                                "it was being split, or the part was written wrong.")
                                    .arg(shown));
    }
    return {};
}

} // namespace qm
