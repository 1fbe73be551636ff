// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace qm {

// One entry as the archive stores it: the central record's fields and, from the entry's local
// header, the lengths zipsplit copies from there.
struct StoredZipEntry
{
    QByteArray name; // the central record's name, raw bytes
    std::uint16_t flags = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localOffset = 0;
    std::uint16_t centralExtra = 0;
    std::uint16_t comment = 0;
    std::uint16_t localName = 0;
    std::uint16_t localExtra = 0;
    // Set when zipsplit must give the local header a Zip64 field (sizes over 4 GiB, or the name
    // "-" of an entry zip read from a pipe): the data size of the local one it has, -1 for none.
    bool localZip64 = false;
    int localZip64Data = -1;
    bool encrypted() const { return flags & 0x1; }
    bool hasDescriptor() const { return flags & 0x8; }
};

// The directory of a ZIP archive read straight from its bytes: what planning parts needs that a
// listing does not give (extra-field and comment lengths, local headers, the archive comment).
struct ZipDirectory
{
    std::vector<StoredZipEntry> entries;
    QByteArray comment;
    std::uint64_t centralStart = 0;
    QString problem; // why the directory could not be read; empty when it was
};

// Reads the directory of the open archive fd (with pread; the file position is left alone), and
// unless told otherwise each entry's local header, which must lie before the directory.
enum class LocalHeaders { Read, Skip };
ZipDirectory ReadZipDirectory(int fd, LocalHeaders locals = LocalHeaders::Read);

} // namespace qm
