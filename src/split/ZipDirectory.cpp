// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ZipDirectory.h"

#include "posix/LittleEndian.h"
#include "split/SplitReason.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr std::uint64_t kEndRecord = 22;
constexpr std::uint64_t kLocator = 20;
constexpr std::uint64_t kZip64End = 56;
constexpr std::uint64_t kCentralRecord = 46;
constexpr std::uint64_t kLocalHeader = 30;
constexpr std::uint64_t kMaxCentral = std::uint64_t(1) << 32; // more than 70,000 entries need

using posix::le16;
using posix::le32;
using posix::le64;

// Up to length bytes at offset, fewer where the file ends first.
bool readUpTo(int fd, std::uint64_t offset, std::size_t length, QByteArray &out)
{
    out.resize(qsizetype(length));
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out.data() + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    out.resize(qsizetype(done));
    return true;
}

bool readAt(int fd, std::uint64_t offset, std::size_t length, QByteArray &out)
{
    return readUpTo(fd, offset, length, out) && std::size_t(out.size()) == length;
}

const unsigned char *bytes(const QByteArray &data, std::uint64_t at = 0)
{
    return reinterpret_cast<const unsigned char *>(data.constData()) + at;
}

// The Zip64 extra field's values in the order the record's 0xFFFFFFFF fields call for them.
void applyZip64(StoredZipEntry &entry, const unsigned char *extra, std::uint16_t length, bool usize, bool csize,
                bool offset)
{
    for (std::uint32_t pos = 0; pos + 4 <= length;) {
        const std::uint16_t id = le16(extra + pos), size = le16(extra + pos + 2);
        if (pos + 4 + size > length)
            return;
        if (id == 1) {
            const unsigned char *p = extra + pos + 4, *end = p + size;
            if (usize && p + 8 <= end) {
                entry.uncompressedSize = le64(p);
                p += 8;
            }
            if (csize && p + 8 <= end) {
                entry.compressedSize = le64(p);
                p += 8;
            }
            if (offset && p + 8 <= end)
                entry.localOffset = le64(p);
            return;
        }
        pos += 4 + size;
    }
}

struct EndRecord
{
    std::uint64_t entries = 0, centralSize = 0, centralStart = 0;
    QByteArray comment;
    QByteArray tail; // the file's last bytes, read to find the record
    std::uint64_t tailStart = 0;
};

bool findEndIn(int fd, std::uint64_t fileSize, std::uint64_t span, EndRecord &end)
{
    QByteArray &tail = end.tail;
    end.tailStart = fileSize - span;
    if (!readAt(fd, end.tailStart, span, tail))
        return false;
    for (std::uint64_t at = span - kEndRecord + 1; at-- > 0;) {
        const unsigned char *p = bytes(tail, at);
        if (le32(p) != 0x06054b50 || at + kEndRecord + le16(p + 20) != span)
            continue;
        end.entries = le16(p + 10);
        end.centralSize = le32(p + 12);
        end.centralStart = le32(p + 16);
        end.comment = tail.mid(qsizetype(at + kEndRecord));
        const std::uint64_t eocd = fileSize - span + at;
        // The locator sits just before the end record, mostly within what was read already.
        QByteArray locator, record;
        if (at >= kLocator)
            locator = tail.mid(qsizetype(at - kLocator), kLocator);
        else if (eocd >= kLocator && !readAt(fd, eocd - kLocator, kLocator, locator))
            locator.clear();
        if (locator.size() == qsizetype(kLocator) && le32(bytes(locator)) == 0x07064b50
            && readAt(fd, le64(bytes(locator, 8)), kZip64End, record) && le32(bytes(record)) == 0x06064b50) {
            end.entries = le64(bytes(record, 32));
            end.centralSize = le64(bytes(record, 40));
            end.centralStart = le64(bytes(record, 48));
        }
        return true;
    }
    return false;
}

// The end record nearest the end of the file whose comment reaches exactly to the end, and the
// Zip64 end record when a locator stands before it. Most comments are short, so the last few
// kilobytes are searched before the 64 KB a comment may take.
bool findEnd(int fd, std::uint64_t fileSize, EndRecord &end)
{
    if (fileSize < kEndRecord)
        return false;
    const std::uint64_t most = std::min<std::uint64_t>(fileSize, kEndRecord + 0xFFFF);
    const std::uint64_t first = std::min<std::uint64_t>(most, 4096);
    return findEndIn(fd, fileSize, first, end) || (first < most && findEndIn(fd, fileSize, most, end));
}

// Local headers read in file order through one window, so an archive of small entries costs a
// few reads rather than one per entry.
class HeaderWindow
{
public:
    explicit HeaderWindow(int fd) : m_fd(fd) {}

    // The length bytes at offset; null when the file has fewer.
    const unsigned char *at(std::uint64_t offset, std::size_t length)
    {
        if (offset < m_start || offset + length > m_start + std::uint64_t(m_window.size())) {
            const std::size_t span = std::max<std::size_t>(length, kWindow);
            if (!readUpTo(m_fd, offset, span, m_window) || std::size_t(m_window.size()) < length)
                return nullptr;
            m_start = offset;
        }
        return bytes(m_window, offset - m_start);
    }

private:
    static constexpr std::size_t kWindow = 256 * 1024;
    int m_fd;
    QByteArray m_window;
    std::uint64_t m_start = 0;
};

bool readLocal(HeaderWindow &headers, StoredZipEntry &entry)
{
    const unsigned char *header = headers.at(entry.localOffset, kLocalHeader);
    if (!header || le32(header) != 0x04034b50)
        return false;
    entry.localName = le16(header + 26);
    entry.localExtra = le16(header + 28);
    const std::uint64_t limit = 0xFFFFFFFF;
    if (entry.compressedSize <= limit && entry.uncompressedSize <= limit && entry.localName != 1)
        return true;
    const unsigned char *rest = headers.at(entry.localOffset + kLocalHeader, std::size_t(entry.localName) + entry.localExtra);
    if (!rest)
        return false;
    entry.localZip64 = entry.localName != 1 || rest[0] == '-';
    const unsigned char *extra = rest + entry.localName;
    for (std::uint32_t pos = 0; pos + 4 <= entry.localExtra; pos += 4 + le16(extra + pos + 2))
        if (le16(extra + pos) == 1) {
            entry.localZip64Data = le16(extra + pos + 2);
            break;
        }
    return true;
}

// Whether the entry's header and data end before the central directory (the sum cannot overflow:
// each term is checked against what is left).
bool endsBefore(const StoredZipEntry &entry, std::uint64_t centralStart)
{
    if (entry.localOffset > centralStart)
        return false;
    const std::uint64_t room = centralStart - entry.localOffset;
    const std::uint64_t header = kLocalHeader + entry.localName + entry.localExtra;
    return header <= room && entry.compressedSize <= room - header;
}

bool readLocals(int fd, ZipDirectory &directory)
{
    std::vector<std::size_t> order(directory.entries.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return directory.entries[a].localOffset < directory.entries[b].localOffset;
    });
    HeaderWindow headers(fd);
    for (const std::size_t i : order) {
        StoredZipEntry &entry = directory.entries[i];
        if (entry.localOffset >= directory.centralStart || !readLocal(headers, entry)
            || !endsBefore(entry, directory.centralStart))
            return false;
    }
    return true;
}

} // namespace

ZipDirectory ReadZipDirectory(int fd, LocalHeaders locals)
{
    ZipDirectory directory;
    struct stat st {};
    EndRecord end;
    if (::fstat(fd, &st) != 0 || !findEnd(fd, std::uint64_t(st.st_size), end)) {
        directory.problem = SplitReason::tr("it is not a ZIP archive, or it is damaged.");
        return directory;
    }
    const std::uint64_t size = std::uint64_t(st.st_size);
    QByteArray central;
    const bool inTail = end.centralStart >= end.tailStart && end.centralStart <= size
                        && end.centralSize <= size - end.centralStart;
    if (inTail)
        central = end.tail.mid(qsizetype(end.centralStart - end.tailStart), qsizetype(end.centralSize));
    else if (end.centralSize > kMaxCentral || end.centralStart > size || end.centralSize > size - end.centralStart
             || !readAt(fd, end.centralStart, std::size_t(end.centralSize), central)) {
        directory.problem = SplitReason::tr("it is damaged: the file ends before its directory does.");
        return directory;
    }
    directory.centralStart = end.centralStart;
    directory.comment = end.comment;
    directory.entries.reserve(std::size_t(std::min<std::uint64_t>(end.entries, end.centralSize / kCentralRecord)));
    for (std::uint64_t pos = 0; pos + kCentralRecord <= end.centralSize;) {
        const unsigned char *p = bytes(central, pos);
        if (le32(p) != 0x02014b50)
            break;
        StoredZipEntry entry;
        const std::uint16_t nameLength = le16(p + 28);
        entry.flags = le16(p + 8);
        entry.crc = le32(p + 16);
        entry.compressedSize = le32(p + 20);
        entry.uncompressedSize = le32(p + 24);
        entry.centralExtra = le16(p + 30);
        entry.comment = le16(p + 32);
        entry.localOffset = le32(p + 42);
        const std::uint64_t record = kCentralRecord + nameLength + entry.centralExtra + entry.comment;
        if (pos + record > end.centralSize)
            break;
        entry.name = central.mid(qsizetype(pos + kCentralRecord), nameLength);
        applyZip64(entry, p + kCentralRecord + nameLength, entry.centralExtra, le32(p + 24) == 0xFFFFFFFF,
                   le32(p + 20) == 0xFFFFFFFF, le32(p + 42) == 0xFFFFFFFF);
        directory.entries.push_back(std::move(entry));
        pos += record;
    }
    // Some writers count only the low 16 bits, or 0xFFFF, in an end record without Zip64.
    const std::uint64_t found = directory.entries.size();
    if (found != end.entries && (found & 0xFFFF) != end.entries && end.entries != 0xFFFF)
        directory.problem = SplitReason::tr("it is damaged: its directory does not hold the entries it counts.");
    else if (locals == LocalHeaders::Read && !readLocals(fd, directory))
        directory.problem = SplitReason::tr("it is damaged: its directory places entries outside the file.");
    return directory;
}

} // namespace qm
