// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The archive's central directory as stored, read beside libzip for what libzip 1.7 keeps to
// itself: each entry's DOS date and time (zip_stat's mtime has been through mktime, which maps a
// time in a daylight-saving gap onto the hour after it, so the stored fields cannot be had back
// from it) and where its local header starts (to tell whether its data lies inside the archive).

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace unzip32 {

// The archive's bytes for reading again: an open file, read with pread so that the file
// position libzip's stream relies on is left alone, or a buffer.
class ArchiveBytes
{
public:
    static ArchiveBytes file(int fd, std::uint64_t size);
    static ArchiveBytes buffer(const void *data, std::uint64_t size);
    std::uint64_t size() const { return m_size; }
    // length bytes at offset, valid until the next call; null beyond the end or on a read error.
    const unsigned char *view(std::uint64_t offset, std::size_t length);

private:
    int m_fd = -1;
    const unsigned char *m_data = nullptr;
    std::uint64_t m_size = 0;
    std::vector<unsigned char> m_window;
    std::uint64_t m_windowStart = 0;
};

struct StoredEntry {
    std::uint64_t offset = 0; // of the local header
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t nameLength = 0;
};

class CentralDirectory
{
public:
    // Reads the directory; it is kept only when it holds libzip's entries, by name and in order.
    void read(zip_t *archive, ArchiveBytes &bytes);
    // The entry as stored, or null when the directory was not kept.
    const StoredEntry *find(zip_uint64_t index) const;
    // Whether an entry's data, compressed bytes after its local header, ends before the central
    // directory. Without the directory only the size is checked against the archive's length.
    bool holds(zip_uint64_t index, std::uint64_t compressedSize) const;

private:
    bool readAt(zip_t *archive, ArchiveBytes &bytes, std::uint64_t eocd);
    bool walk(zip_t *archive, ArchiveBytes &bytes, std::uint64_t entries, std::uint64_t start,
              std::uint64_t length);

    std::vector<StoredEntry> m_entries;
    std::uint64_t m_start = 0;
    std::uint64_t m_archiveSize = 0;
};

} // namespace unzip32
