#include "split/ZipDirectory.h"

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

std::uint16_t le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const unsigned char *p)
{
    return le16(p) | (static_cast<std::uint32_t>(le16(p + 2)) << 16);
}
std::uint64_t le64(const unsigned char *p)
{
    return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

bool readAt(int fd, std::uint64_t offset, std::size_t length, QByteArray &out)
{
    out.resize(qsizetype(length));
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out.data() + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
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
};

// The end record nearest the end of the file whose comment reaches exactly to the end, and the
// Zip64 end record when a locator stands before it.
bool findEnd(int fd, std::uint64_t fileSize, EndRecord &end)
{
    if (fileSize < kEndRecord)
        return false;
    const std::uint64_t span = std::min<std::uint64_t>(fileSize, kEndRecord + 0xFFFF);
    QByteArray tail;
    if (!readAt(fd, fileSize - span, span, tail))
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
        QByteArray locator, record;
        if (eocd >= kLocator && readAt(fd, eocd - kLocator, kLocator, locator) && le32(bytes(locator)) == 0x07064b50
            && readAt(fd, le64(bytes(locator, 8)), kZip64End, record) && le32(bytes(record)) == 0x06064b50) {
            end.entries = le64(bytes(record, 32));
            end.centralSize = le64(bytes(record, 40));
            end.centralStart = le64(bytes(record, 48));
        }
        return true;
    }
    return false;
}

bool readLocal(int fd, StoredZipEntry &entry)
{
    QByteArray header;
    if (!readAt(fd, entry.localOffset, kLocalHeader, header) || le32(bytes(header)) != 0x04034b50)
        return false;
    entry.localName = le16(bytes(header, 26));
    entry.localExtra = le16(bytes(header, 28));
    const std::uint64_t limit = 0xFFFFFFFF;
    if (entry.compressedSize <= limit && entry.uncompressedSize <= limit && entry.localName != 1)
        return true;
    QByteArray rest;
    if (!readAt(fd, entry.localOffset + kLocalHeader, std::size_t(entry.localName) + entry.localExtra, rest))
        return false;
    entry.localZip64 = entry.localName != 1 || rest.startsWith('-');
    const unsigned char *extra = bytes(rest, entry.localName);
    for (std::uint32_t pos = 0; pos + 4 <= entry.localExtra; pos += 4 + le16(extra + pos + 2))
        if (le16(extra + pos) == 1) {
            entry.localZip64Data = le16(extra + pos + 2);
            break;
        }
    return true;
}

} // namespace

ZipDirectory ReadZipDirectory(int fd)
{
    ZipDirectory directory;
    struct stat st {};
    EndRecord end;
    if (::fstat(fd, &st) != 0 || !findEnd(fd, std::uint64_t(st.st_size), end)) {
        directory.problem = QStringLiteral("it is not a ZIP archive, or it is damaged.");
        return directory;
    }
    const std::uint64_t size = std::uint64_t(st.st_size);
    QByteArray central;
    if (end.centralSize > kMaxCentral || end.centralStart > size || end.centralSize > size - end.centralStart
        || !readAt(fd, end.centralStart, std::size_t(end.centralSize), central)) {
        directory.problem = QStringLiteral("it is damaged: the file ends before its directory does.");
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
        if (!readLocal(fd, entry)) {
            directory.problem = QStringLiteral("it is damaged: an entry's local header is missing.");
            return directory;
        }
        directory.entries.push_back(std::move(entry));
        pos += record;
    }
    // Some writers count only the low 16 bits, or 0xFFFF, in an end record without Zip64.
    const std::uint64_t found = directory.entries.size();
    if (found != end.entries && (found & 0xFFFF) != end.entries && end.entries != 0xFFFF)
        directory.problem = QStringLiteral("it is damaged: its directory does not hold the entries it counts.");
    return directory;
}

} // namespace qm
