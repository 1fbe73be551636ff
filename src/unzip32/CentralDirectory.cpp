// SPDX-License-Identifier: GPL-3.0-or-later
#include "CentralDirectory.h"

#include "posix/LittleEndian.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace unzip32 {

namespace {

constexpr std::size_t kWindow = 256 * 1024; // more than a central record can take (46 + 3 * 65535)
constexpr std::size_t kEndRecord = 22;
constexpr std::size_t kLocator = 20;
constexpr std::uint64_t kLocalHeader = 30;

using qm::posix::le16;
using qm::posix::le32;
using qm::posix::le64;

bool readFully(int fd, unsigned char *buffer, std::size_t length, std::uint64_t offset)
{
    while (length > 0) {
        const ssize_t n = ::pread(fd, buffer, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        length -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// The local-header offset from a central record's Zip64 extra field; the sizes come first in it
// when their own fields are 0xFFFFFFFF.
bool zip64Offset(const unsigned char *extra, std::size_t length, std::size_t skip,
                 std::uint64_t &offset)
{
    std::size_t pos = 0;
    while (pos + 4 <= length) {
        const std::size_t size = le16(extra + pos + 2);
        if (size > length - pos - 4)
            return false;
        if (le16(extra + pos) == 1) {
            if (skip + 8 > size)
                return false;
            offset = le64(extra + pos + 4 + skip);
            return true;
        }
        pos += 4 + size;
    }
    return false;
}

} // namespace

ArchiveBytes ArchiveBytes::file(int fd, std::uint64_t size)
{
    ArchiveBytes bytes;
    bytes.m_fd = fd;
    bytes.m_size = size;
    return bytes;
}

ArchiveBytes ArchiveBytes::buffer(const void *data, std::uint64_t size)
{
    ArchiveBytes bytes;
    bytes.m_data = static_cast<const unsigned char *>(data);
    bytes.m_size = size;
    return bytes;
}

const unsigned char *ArchiveBytes::view(std::uint64_t offset, std::size_t length)
{
    if (offset > m_size || length > m_size - offset)
        return nullptr;
    if (m_data)
        return m_data + offset;
    if (offset >= m_windowStart && offset - m_windowStart <= m_window.size()
        && length <= m_window.size() - (offset - m_windowStart))
        return m_window.data() + (offset - m_windowStart);
    const auto fill = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(length, kWindow), m_size - offset));
    m_window.resize(fill);
    m_windowStart = offset;
    if (m_fd < 0 || !readFully(m_fd, m_window.data(), fill, offset)) {
        m_window.clear();
        return nullptr;
    }
    return m_window.data();
}

void CentralDirectory::read(zip_t *archive, ArchiveBytes &bytes)
{
    m_entries.clear();
    m_archiveSize = bytes.size();
    const std::uint64_t tail = std::min<std::uint64_t>(bytes.size(), kEndRecord + 0xFFFF);
    const std::uint64_t tailStart = bytes.size() - tail;
    const unsigned char *end = tail >= kEndRecord ? bytes.view(tailStart, tail) : nullptr;
    if (!end)
        return;
    // Every end record in reach (a comment may hold lookalikes); the one that agrees with libzip.
    std::vector<std::uint64_t> candidates;
    for (std::uint64_t i = tail - kEndRecord + 1; i-- > 0;) {
        if (std::memcmp(end + i, "PK\5\6", 4) == 0)
            candidates.push_back(tailStart + i);
    }
    for (const std::uint64_t at : candidates) {
        if (readAt(archive, bytes, at))
            return;
    }
    m_entries.clear();
}

bool CentralDirectory::readAt(zip_t *archive, ArchiveBytes &bytes, std::uint64_t eocd)
{
    const unsigned char *locator =
        eocd >= kLocator ? bytes.view(eocd - kLocator, kLocator) : nullptr;
    if (locator && std::memcmp(locator, "PK\6\7", 4) == 0) {
        // A Zip64 locator in front: libzip takes the Zip64 end record, so do we.
        const unsigned char *record = bytes.view(le64(locator + 8), 56);
        if (!record || std::memcmp(record, "PK\6\6", 4) != 0)
            return false;
        return walk(archive, bytes, le64(record + 32), le64(record + 48), le64(record + 40));
    }
    const unsigned char *record = bytes.view(eocd, kEndRecord);
    return record && walk(archive, bytes, le16(record + 10), le32(record + 16), le32(record + 12));
}

bool CentralDirectory::walk(zip_t *archive, ArchiveBytes &bytes, std::uint64_t entries,
                            std::uint64_t start, std::uint64_t length)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || entries != static_cast<std::uint64_t>(count) || start > bytes.size()
        || length > bytes.size() - start)
        return false;
    m_entries.clear();
    m_entries.reserve(static_cast<std::size_t>(entries));
    std::uint64_t at = start;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char *record = bytes.view(at, 46);
        if (!record || std::memcmp(record, "PK\1\2", 4) != 0)
            return false;
        const std::size_t nameLength = le16(record + 28);
        const std::size_t extraLength = le16(record + 30);
        const std::size_t size = 46 + nameLength + extraLength + le16(record + 32);
        record = bytes.view(at, size);
        if (!record)
            return false;
        StoredEntry entry;
        entry.dosTime = le16(record + 12);
        entry.dosDate = le16(record + 14);
        entry.nameLength = static_cast<std::uint16_t>(nameLength);
        entry.offset = le32(record + 42);
        const std::size_t skip = (le32(record + 24) == 0xFFFFFFFF ? 8 : 0)
                                 + (le32(record + 20) == 0xFFFFFFFF ? 8 : 0);
        if (entry.offset == 0xFFFFFFFF
            && !zip64Offset(record + 46 + nameLength, extraLength, skip, entry.offset))
            return false;
        const char *name = zip_get_name(archive, i, ZIP_FL_ENC_RAW);
        if (!name || std::strlen(name) != nameLength
            || std::memcmp(name, record + 46, nameLength) != 0)
            return false;
        m_entries.push_back(entry);
        at += size;
    }
    m_start = start;
    return true;
}

const StoredEntry *CentralDirectory::find(zip_uint64_t index) const
{
    return index < m_entries.size() ? &m_entries[static_cast<std::size_t>(index)] : nullptr;
}

bool CentralDirectory::holds(zip_uint64_t index, std::uint64_t compressedSize) const
{
    const StoredEntry *entry = find(index);
    if (!entry) // the local header is 30 bytes at least, wherever it is
        return compressedSize <= m_archiveSize && kLocalHeader <= m_archiveSize - compressedSize;
    // offset + 30 + name + compressed <= start, in steps that cannot overflow
    if (entry->offset > m_start)
        return false;
    const std::uint64_t room = m_start - entry->offset;
    const std::uint64_t header = kLocalHeader + entry->nameLength;
    return header <= room && compressedSize <= room - header;
}

} // namespace unzip32
