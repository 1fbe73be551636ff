// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipReader.h"

#include "posix/LittleEndian.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include <unistd.h>

namespace qm::zip {

namespace {

using posix::le16;
using posix::le32;
using posix::le64;

constexpr std::size_t kWindow = 256 * 1024; // more than a central record can take (46 + 3 * 65535)
constexpr std::uint64_t kEndRecord = 22;
constexpr std::uint64_t kLocator = 20;
constexpr std::uint64_t kZip64End = 56;
constexpr std::uint64_t kCentralRecord = 46;
constexpr std::uint64_t kLocalHeader = 30;
constexpr std::uint32_t kEndSignature = 0x06054b50;

bool readFully(int fd, unsigned char *buffer, std::size_t length, std::uint64_t offset)
{
    while (length > 0) {
        const ssize_t n = ::pread(fd, buffer, length, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        length -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

std::uint32_t crc32Of(const unsigned char *data, std::size_t length)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The Zip64 field's values in the order the record's 0xFFFFFFFF fields call for them.
void applyZip64(Entry &entry, const unsigned char *extra, std::uint16_t length, bool size, bool compressed,
                bool offset, bool disk)
{
    std::uint16_t fieldSize = 0;
    const unsigned char *p = FindExtra(extra, length, 0x0001, fieldSize);
    if (!p)
        return;
    entry.centralZip64 = fieldSize;
    const unsigned char *end = p + fieldSize;
    if (size && p + 8 <= end) {
        entry.uncompressedSize = le64(p);
        p += 8;
    }
    if (compressed && p + 8 <= end) {
        entry.compressedSize = le64(p);
        p += 8;
    }
    if (offset && p + 8 <= end) {
        entry.localOffset = le64(p);
        p += 8;
    }
    if (disk && p + 4 <= end)
        entry.diskStart = le32(p);
}

// What the central extra field tells beyond Zip64: the AES field's real method, the Unicode path.
void applyExtras(Directory &directory, Entry &entry, const unsigned char *extra, std::uint16_t length,
                 const unsigned char *name)
{
    std::uint16_t size = 0;
    entry.realMethod = entry.method;
    if (entry.method == 99) {
        const unsigned char *aes = FindExtra(extra, length, 0x9901, size);
        if (aes && size >= 7)
            entry.realMethod = le16(aes + 5);
    }
    const unsigned char *unicode = FindExtra(extra, length, 0x7075, size);
    if (unicode && size >= 5 && unicode[0] == 1 && le32(unicode + 1) == crc32Of(name, entry.nameLength)) {
        entry.hasUnicodeName = true;
        entry.unicodeAt = directory.names.size();
        entry.unicodeLength = std::uint16_t(size - 5);
        directory.names.append(reinterpret_cast<const char *>(unicode + 5), entry.unicodeLength);
    }
}

struct EndFields
{
    std::uint64_t entries = 0, size = 0, start = 0;
};

// The Zip64 end record a locator before the end record points to. Its offset, like the
// directory's, may not count a stub: the record is then sought just before the locator.
bool readZip64End(Bytes &bytes, std::uint64_t endAt, Directory &directory, EndFields &fields, std::uint64_t &at)
{
    const unsigned char *locator = endAt >= kLocator ? bytes.view(endAt - kLocator, kLocator) : nullptr;
    if (!locator || le32(locator) != 0x07064b50)
        return true; // no locator: the end record stands alone
    directory.zip64End = true;
    directory.locatorDisk = le32(locator + 4);
    directory.totalDisks = le32(locator + 16);
    if (endAt < kLocator + kZip64End)
        return false;
    const std::uint64_t recorded = le64(locator + 8);
    const std::uint64_t expected = endAt - kLocator - kZip64End;
    const unsigned char *record = recorded <= expected ? bytes.view(recorded, kZip64End) : nullptr;
    at = recorded;
    if ((!record || le32(record) != 0x06064b50) && recorded < expected) {
        record = bytes.view(expected, kZip64End);
        at = expected;
    }
    if (!record || le32(record) != 0x06064b50)
        return false;
    directory.zip64Disk = le32(record + 16);
    directory.zip64CentralDisk = le32(record + 20);
    fields.entries = le64(record + 32);
    fields.size = le64(record + 40);
    fields.start = le64(record + 48);
    directory.prefix = at - std::min(at, recorded);
    return true;
}

// Where the directory lies: where the end record says, or, when that is no directory, just
// before the end records, the difference being a stub the offsets do not count.
bool placeDirectory(Bytes &bytes, Directory &directory, const EndFields &fields, std::uint64_t recordsAt)
{
    if (fields.size > recordsAt)
        return false;
    // A directory starts with a central record (a stale end record's seldom does).
    const auto startsDirectory = [&](std::uint64_t start) {
        const unsigned char *at = bytes.view(start, 4);
        return fields.size == 0 || (fields.size >= 4 && at && le32(at) == 0x02014b50);
    };
    const std::uint64_t actual = recordsAt - fields.size;
    const std::uint64_t recorded = fields.start + directory.prefix;
    if (recorded <= actual && startsDirectory(recorded)) {
        directory.centralStart = recorded;
    } else if (actual >= fields.start && startsDirectory(actual)) {
        directory.centralStart = actual;
        directory.prefix = actual - fields.start;
    } else {
        return false;
    }
    directory.centralSize = fields.size;
    return true;
}

// Reads the end records at endAt; false when they do not describe a directory in the file.
bool readEnd(Bytes &bytes, std::uint64_t endAt, Directory &directory, EndFields &fields)
{
    directory = Directory();
    const unsigned char *end = bytes.view(endAt, kEndRecord);
    if (!end || le32(end) != kEndSignature)
        return false;
    const std::uint16_t commentLength = le16(end + 20);
    const std::uint64_t afterRecord = endAt + kEndRecord;
    const std::uint64_t commentLength64 = std::min<std::uint64_t>(commentLength, bytes.size() - afterRecord);
    const unsigned char *comment = bytes.view(afterRecord, std::size_t(commentLength64));
    if (comment)
        directory.comment.assign(reinterpret_cast<const char *>(comment), std::size_t(commentLength64));
    directory.endRecord = endAt;
    directory.trailing = bytes.size() - afterRecord - commentLength64;
    fields = {le16(end + 10), le32(end + 12), le32(end + 16)};
    directory.endDisk = le16(end + 4);
    std::uint64_t zip64At = endAt;
    if (!readZip64End(bytes, endAt, directory, fields, zip64At)) {
        directory.problem = Problem::Zip64Damaged;
        return true;
    }
    if (!placeDirectory(bytes, directory, fields, zip64At))
        directory.problem = Problem::DirectoryOutside;
    return true;
}

// The last end record in reach whose directory lies in the file; a comment may hold a lookalike
// and bytes may follow, so the nearest signature is not always the record.
void findEnd(Bytes &bytes, Directory &directory, EndFields &fields)
{
    directory.problem = Problem::NotZip;
    if (bytes.size() < kEndRecord)
        return;
    const std::uint64_t tail = std::min<std::uint64_t>(bytes.size(), kEndRecord + 0xFFFF + 4096);
    const std::uint64_t tailStart = bytes.size() - tail;
    std::vector<unsigned char> copy;
    const unsigned char *view = bytes.view(tailStart, std::size_t(tail));
    if (!view) {
        directory.problem = Problem::ReadError;
        return;
    }
    copy.assign(view, view + tail);
    Directory first;
    EndFields firstFields;
    bool found = false;
    std::uint64_t last = 0;
    for (std::uint64_t i = tail - kEndRecord + 1; i-- > 0;) {
        if (le32(copy.data() + i) != kEndSignature)
            continue;
        last = std::max(last, tailStart + i);
        if (!readEnd(bytes, tailStart + i, directory, fields))
            continue;
        directory.lastEndSignature = last;
        if (directory.problem == Problem::None)
            return;
        if (!found) {
            first = directory;
            firstFields = fields;
            found = true;
        }
    }
    if (found) {
        directory = first;
        fields = firstFields;
    } else {
        directory = Directory();
        directory.problem = Problem::NotZip;
    }
}

bool readCentral(Bytes &bytes, Directory &directory, const EndFields &fields)
{
    directory.entries.reserve(std::size_t(std::min<std::uint64_t>(fields.entries, directory.centralSize / kCentralRecord)));
    std::uint64_t at = directory.centralStart;
    const std::uint64_t end = directory.centralStart + directory.centralSize;
    while (at + kCentralRecord <= end) {
        const unsigned char *p = bytes.view(at, kCentralRecord);
        if (!p || le32(p) != 0x02014b50)
            break;
        Entry entry;
        entry.nameLength = le16(p + 28);
        entry.centralExtra = le16(p + 30);
        entry.comment = le16(p + 32);
        const std::uint64_t length = kCentralRecord + entry.nameLength + entry.centralExtra + entry.comment;
        if (at + length > end || !(p = bytes.view(at, std::size_t(length))))
            break;
        entry.madeBy = le16(p + 4);
        entry.needed = le16(p + 6);
        entry.flags = le16(p + 8);
        entry.method = le16(p + 10);
        entry.dosTime = le16(p + 12);
        entry.dosDate = le16(p + 14);
        entry.crc = le32(p + 16);
        entry.compressedSize = le32(p + 20);
        entry.uncompressedSize = le32(p + 24);
        entry.localOffset = le32(p + 42);
        entry.diskStart = le16(p + 34);
        const unsigned char *name = p + kCentralRecord, *extra = name + entry.nameLength;
        applyZip64(entry, extra, entry.centralExtra, le32(p + 24) == 0xFFFFFFFF, le32(p + 20) == 0xFFFFFFFF,
                   le32(p + 42) == 0xFFFFFFFF, entry.diskStart == 0xFFFF);
        entry.localOffset += directory.prefix;
        entry.nameAt = directory.names.size();
        directory.names.append(reinterpret_cast<const char *>(name), entry.nameLength);
        applyExtras(directory, entry, extra, entry.centralExtra, name);
        directory.entries.push_back(entry);
        at += length;
    }
    // Some writers count only the low 16 bits, or 0xFFFF, in an end record without Zip64.
    const std::uint64_t found = directory.entries.size();
    return found == fields.entries || (!directory.zip64End && ((found & 0xFFFF) == fields.entries || fields.entries == 0xFFFF));
}

// Sizes a local header states (no data descriptor to follow) against the central record's; a
// 0xFFFFFFFF size counts only where the local Zip64 field gives it.
bool sizesDiffer(const Entry &entry, std::uint32_t compressed, std::uint32_t size, const unsigned char *zip64,
                 std::uint16_t zip64Size)
{
    if (entry.hasDescriptor())
        return false;
    std::uint64_t stated[2] = {size, compressed};
    const std::uint64_t central[2] = {entry.uncompressedSize, entry.compressedSize};
    std::uint16_t at = 0;
    bool differ = false;
    for (int i = 0; i < 2; ++i) {
        if (stated[i] == 0xFFFFFFFF) {
            if (!zip64 || at + 8 > zip64Size)
                continue;
            stated[i] = le64(zip64 + at);
            at += 8;
        }
        differ = differ || stated[i] != central[i];
    }
    return differ;
}

bool readLocal(Bytes &bytes, Entry &entry)
{
    const unsigned char *header = bytes.view(entry.localOffset, kLocalHeader);
    if (!header || le32(header) != 0x04034b50)
        return false;
    const std::uint32_t compressed = le32(header + 18), size = le32(header + 22);
    entry.localName = le16(header + 26);
    entry.localExtra = le16(header + 28);
    if (entry.localName == 1) {
        const unsigned char *name = bytes.view(entry.localOffset + kLocalHeader, 1);
        entry.dashName = name && name[0] == '-';
    }
    const unsigned char *zip64 = nullptr;
    std::uint16_t zip64Size = 0;
    if (entry.localExtra != 0) {
        const unsigned char *extra = bytes.view(entry.localOffset + kLocalHeader + entry.localName, entry.localExtra);
        if (!extra)
            return false;
        zip64 = FindExtra(extra, entry.localExtra, 0x0001, zip64Size);
        if (zip64)
            entry.localZip64 = zip64Size;
    }
    entry.localSizesDiffer = sizesDiffer(entry, compressed, size, zip64, zip64Size);
    return true;
}

// Local headers in file order, so the window reads the archive front to back once.
bool readLocals(Bytes &bytes, Directory &directory)
{
    std::vector<std::size_t> order(directory.entries.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    const auto before = [&](std::size_t a, std::size_t b) {
        return directory.entries[a].localOffset < directory.entries[b].localOffset;
    };
    if (!std::is_sorted(order.begin(), order.end(), before)) // most writers keep file order
        std::sort(order.begin(), order.end(), before);
    for (const std::size_t i : order) {
        Entry &entry = directory.entries[i];
        if (entry.localOffset >= directory.centralStart || !readLocal(bytes, entry)
            || !EndsBefore(entry, directory.centralStart))
            return false;
    }
    return true;
}

} // namespace

Bytes Bytes::file(int fd, std::uint64_t size)
{
    Bytes bytes;
    bytes.m_fd = fd;
    bytes.m_size = size;
    return bytes;
}

Bytes Bytes::memory(const void *data, std::uint64_t size)
{
    Bytes bytes;
    bytes.m_data = static_cast<const unsigned char *>(data);
    bytes.m_size = size;
    return bytes;
}

const unsigned char *Bytes::view(std::uint64_t offset, std::size_t length)
{
    if (offset > m_size || length > m_size - offset)
        return nullptr;
    if (m_data)
        return m_data + offset;
    if (offset >= m_windowStart && offset - m_windowStart <= m_window.size()
        && length <= m_window.size() - (offset - m_windowStart))
        return m_window.data() + (offset - m_windowStart);
    const auto fill = std::size_t(std::min<std::uint64_t>(std::max(length, kWindow), m_size - offset));
    m_window.resize(fill);
    m_windowStart = offset;
    if (m_fd < 0 || !readFully(m_fd, m_window.data(), fill, offset)) {
        m_window.clear();
        return nullptr;
    }
    return m_window.data();
}

std::string_view Directory::unicodeName(const Entry &entry) const
{
    return entry.hasUnicodeName ? std::string_view(names.data() + entry.unicodeAt, entry.unicodeLength) : name(entry);
}

const unsigned char *FindExtra(const unsigned char *extra, std::size_t length, std::uint16_t id, std::uint16_t &size)
{
    for (std::size_t pos = 0; pos + 4 <= length;) {
        size = le16(extra + pos + 2);
        if (size > length - pos - 4)
            return nullptr;
        if (le16(extra + pos) == id)
            return extra + pos + 4;
        pos += 4 + std::size_t(size);
    }
    return nullptr;
}

bool EndsBefore(const Entry &entry, std::uint64_t centralStart)
{
    if (entry.localOffset > centralStart)
        return false;
    const std::uint64_t room = centralStart - entry.localOffset;
    const std::uint64_t name = entry.localName ? entry.localName : entry.nameLength;
    const std::uint64_t header = kLocalHeader + name + entry.localExtra;
    return header <= room && entry.compressedSize <= room - header;
}

std::optional<std::uint64_t> BareEndCommentLengthAt(Bytes &bytes)
{
    if (bytes.size() < kEndRecord)
        return std::nullopt;
    const std::uint64_t endAt = bytes.size() - kEndRecord;
    const unsigned char *end = bytes.view(endAt, kEndRecord);
    if (!end || le32(end) != kEndSignature || le16(end + 20) != 0)
        return std::nullopt;
    return endAt + 20;
}

Directory ReadDirectory(Bytes &bytes, Locals locals)
{
    Directory directory;
    EndFields fields;
    findEnd(bytes, directory, fields);
    if (directory.problem != Problem::None)
        return directory;
    // One segment of a spanned set: its entries lie on the other segments.
    const bool segment = directory.endDisk != 0 || directory.zip64CentralDisk != 0;
    if (!readCentral(bytes, directory, fields))
        directory.problem = Problem::WrongCount;
    else if (locals == Locals::Read && !segment && !readLocals(bytes, directory))
        directory.problem = Problem::EntryOutside;
    return directory;
}

} // namespace qm::zip
