// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PlanCheck.h"

#include "common/UniqueFd.h"
#include "split/SplitReason.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr qint64 kEndRecord = 22;

UniqueFd openPart(int folder, const QByteArray &name, int mode)
{
    return UniqueFd(::openat(folder, name.constData(), mode | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
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

// An entry's stored bytes in the source and in its part.
struct Span
{
    std::uint64_t source = 0;
    std::uint64_t part = 0;
    std::uint64_t length = 0;
};

enum class Data { Same, Differs, Unreadable };

// Compares spans in reads of up to a megabyte a side: neighbouring entries are read together
// (the headers between them are read and passed over), so many small entries cost few reads.
// The buffers grow to what the largest read needs, once for all of an archive's parts.
class DataProof
{
public:
    explicit DataProof(int source) : m_source(source) {}

    Data compare(int part, const std::vector<Span> &spans)
    {
        m_part = part;
        for (std::size_t i = 0; i < spans.size();) {
            std::size_t end = i + 1;
            while (end < spans.size() && joins(spans[i], spans[end - 1], spans[end]))
                ++end;
            const Span &first = spans[i];
            if (end == i + 1 && first.length > kChunk) {
                for (std::uint64_t done = 0; done < first.length; done += kChunk) {
                    const std::uint64_t length = std::min(kChunk, first.length - done);
                    const Data d = same({first.source + done, first.part + done, length});
                    if (d != Data::Same)
                        return d;
                }
            } else if (!read(m_source, m_a, first.source, spans[end - 1].source + spans[end - 1].length - first.source)
                       || !read(m_part, m_b, first.part, spans[end - 1].part + spans[end - 1].length - first.part)) {
                return Data::Unreadable;
            } else {
                for (std::size_t k = i; k < end; ++k)
                    if (spans[k].length > 0
                        && std::memcmp(m_a.data() + (spans[k].source - first.source),
                                       m_b.data() + (spans[k].part - first.part), spans[k].length) != 0)
                        return Data::Differs;
            }
            i = end;
        }
        return Data::Same;
    }

private:
    static constexpr std::uint64_t kChunk = 1 << 20;
    static constexpr std::uint64_t kGap = 4096; // more between two entries: read them apart

    static bool joins(const Span &first, const Span &last, const Span &next)
    {
        const auto near = [](std::uint64_t end, std::uint64_t at) { return at >= end && at - end <= kGap; };
        return near(last.source + last.length, next.source) && near(last.part + last.length, next.part)
               && next.source + next.length - first.source <= kChunk && next.part + next.length - first.part <= kChunk;
    }

    Data same(const Span &span)
    {
        if (!read(m_source, m_a, span.source, span.length) || !read(m_part, m_b, span.part, span.length))
            return Data::Unreadable;
        return span.length == 0 || std::memcmp(m_a.data(), m_b.data(), span.length) == 0 ? Data::Same : Data::Differs;
    }

    static bool read(int fd, std::vector<unsigned char> &buffer, std::uint64_t at, std::uint64_t length)
    {
        if (buffer.size() < length)
            buffer.resize(length);
        for (std::uint64_t done = 0; done < length;) {
            const ssize_t n = ::pread(fd, buffer.data() + done, length - done, off_t(at + done));
            if (n <= 0 && !(n < 0 && errno == EINTR))
                return false;
            done += n > 0 ? std::uint64_t(n) : 0;
        }
        return true;
    }

    int m_source;
    int m_part = -1;
    std::vector<unsigned char> m_a;
    std::vector<unsigned char> m_b;
};

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
        char end[kEndRecord];
        if (!fd.isValid() || part.size < kEndRecord
            || ::pread(fd.get(), end, sizeof end, off_t(part.size - kEndRecord)) != kEndRecord
            || QByteArray(end, 4) != QByteArray("PK\x05\x06", 4) || end[20] != 0 || end[21] != 0)
            return false;
        if (!writeAt(fd.get(), length, off_t(part.size - 2)) || !writeAt(fd.get(), comment, off_t(part.size)))
            return false;
    }
    return true;
}

QString CompareWithPlan(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const PartPlan &plan,
                        int sourceFd, const ZipDirectory &source, const QByteArray &linkName,
                        const std::function<QString(int, int)> &shownName)
{
    const int count = int(plan.parts.size());
    DataProof proof(sourceFd);
    if (std::size_t(parts.size()) != plan.parts.size())
        return SplitReason::tr("the splitting tool made %n parts where %1 were planned.", nullptr, int(parts.size()))
            .arg(plan.parts.size());
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const StagingFolder::StagedPart &part = parts[qsizetype(i)];
        const PlannedPart &planned = plan.parts[i];
        const QByteArray expected = ZipSplitPartName(linkName, i + 1, plan.parts.size());
        const QString shown = shownName(int(i) + 1, count);
        if (part.name != expected)
            return SplitReason::tr("the splitting tool did not name part %1 as planned.").arg(shown);
        const UniqueFd fd = openPart(stagingFolder, part.name, O_RDONLY);
        struct stat st {};
        if (!fd.isValid() || ::fstat(fd.get(), &st) != 0 || st.st_size != planned.size)
            return SplitReason::tr("part %1 is %2 bytes where %3 were planned.")
                .arg(shown, QString::number(qint64(st.st_size)), QString::number(planned.size));
        const ZipDirectory directory = ReadPartDirectory(fd.get());
        if (directory.problem != zip::Problem::None)
            return SplitReason::tr("part %1 is damaged.").arg(shown);
        bool same = directory.entries.size() == planned.entries.size();
        for (std::size_t e = 0; same && e < planned.entries.size(); ++e)
            same = sameEntry(directory, directory.entries[e], source, source.entries[planned.entries[e]]);
        if (!same)
            return SplitReason::tr("part %1 does not hold the entries planned for it.").arg(shown);
        std::vector<Span> spans;
        for (std::size_t e = 0; e < planned.entries.size(); ++e) {
            const StoredZipEntry &entry = directory.entries[e];
            spans.push_back({dataAt(source.entries[planned.entries[e]]), dataAt(entry), entry.compressedSize});
        }
        const Data data = proof.compare(fd.get(), spans);
        if (data == Data::Unreadable)
            return SplitReason::tr("part %1 could not be compared with the archive: reading failed.").arg(shown);
        if (data == Data::Differs)
            return SplitReason::tr("the data in part %1 is not the archive's: the archive changed while it was "
                                   "being split, or the part was written wrong.").arg(shown);
    }
    return QString();
}

} // namespace qm
