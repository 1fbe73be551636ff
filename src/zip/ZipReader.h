// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one reader of ZIP records in the program: end record, Zip64 end record and locator,
// central directory, extra fields and local headers. The archive library lists, tests and
// extracts through it; the split run plans from what it reads (through the library), and checks
// the parts zipsplit wrote with it. Qt-free, so libunzip32.so links it too.
//
// What counts as an archive is what zipsplit (Zip 3.0) reads: the last end record in the file's
// last 64 KB whose directory is where it says (or where the end record puts it, after a stub),
// with any bytes after it; a Zip64 end record when a locator stands before it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::zip {

// An archive's bytes, read at offsets: an open file (pread, its position left alone) or memory.
class Bytes
{
public:
    static Bytes file(int fd, std::uint64_t size);
    static Bytes memory(const void *data, std::uint64_t size);
    std::uint64_t size() const { return m_size; }
    // length bytes at offset, valid until the next call; null when the file has fewer.
    const unsigned char *view(std::uint64_t offset, std::size_t length);

private:
    int m_fd = -1;
    const unsigned char *m_data = nullptr;
    std::uint64_t m_size = 0;
    std::vector<unsigned char> m_window;
    std::uint64_t m_windowStart = 0;
};

// One entry as stored. Sizes and offset are the Zip64 values where the record defers to them;
// localOffset is where the local header lies in the file (a stub before the archive counted).
struct Entry
{
    std::size_t nameAt = 0; // into Directory::names
    std::uint16_t nameLength = 0;
    std::uint16_t madeBy = 0;
    std::uint16_t needed = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0; // as stored: 99 for WinZip AES
    std::uint16_t realMethod = 0; // the compression method, from the AES field for 99
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localOffset = 0;
    std::uint16_t centralExtra = 0;
    std::uint16_t comment = 0;
    std::uint16_t localName = 0;  // from the local header, when read
    std::uint16_t localExtra = 0;
    std::int32_t centralZip64 = -1; // data length of the Zip64 extra field, -1 for none
    std::int32_t localZip64 = -1;
    std::uint32_t diskStart = 0;    // the disk its local header is on (the Zip64 field's past 0xFFFF)
    bool localSizesDiffer = false;  // the local header states sizes other than the central record's
    bool dashName = false;          // the local name is "-" (zip's name for data read from a pipe)
    std::size_t unicodeAt = 0;      // the Unicode path field's name (0x7075), when it holds
    std::uint16_t unicodeLength = 0;
    bool hasUnicodeName = false;
    bool encrypted() const { return flags & 0x1; }
    bool hasDescriptor() const { return flags & 0x8; }
};

enum class Problem
{
    None,
    NotZip,           // no end record
    DirectoryOutside, // the directory does not lie where the end record says
    Zip64Damaged,     // a locator whose Zip64 end record is missing or lies
    WrongCount,       // the directory holds fewer or more entries than it counts
    EntryOutside,     // an entry's header and data do not lie before the directory
    ReadError,
};

struct Directory
{
    std::vector<Entry> entries;
    std::string names; // every entry's name bytes, and Unicode names, end to end
    std::string comment;
    std::uint64_t endRecord = 0;     // where the end record lies
    std::uint64_t centralStart = 0;  // where the directory lies in the file
    std::uint64_t centralSize = 0;
    std::uint64_t prefix = 0;        // bytes before the archive its offsets do not count (a stub)
    std::uint64_t trailing = 0;      // bytes after the end record and its comment
    bool zip64End = false;           // a Zip64 end record stands before the end record
    std::uint32_t zip64Disk = 0;     // its disk numbers
    std::uint32_t zip64CentralDisk = 0;
    std::uint32_t locatorDisk = 0;   // the locator's: the Zip64 record's disk, the disk count
    std::uint32_t totalDisks = 1;
    std::uint16_t endDisk = 0;       // the end record's disk number
    std::uint64_t lastEndSignature = 0; // the last end-record signature in the file's tail
    Problem problem = Problem::None;

    std::string_view name(const Entry &entry) const { return {names.data() + entry.nameAt, entry.nameLength}; }
    // The Unicode path when the entry has one that matches its name, else the name.
    std::string_view unicodeName(const Entry &entry) const;
};

enum class Locals
{
    Read, // each local header too: its name and extra-field lengths, its Zip64 field
    Skip
};

// Reads the archive's directory. On a problem the entries read so far stay.
Directory ReadDirectory(Bytes &bytes, Locals locals = Locals::Read);

// Where the comment length of the end record that closes the file lies, when the file ends in an
// end record with no comment (as every part zipsplit writes does); none when it does not.
std::optional<std::uint64_t> BareEndCommentLengthAt(Bytes &bytes);

// The extra field with this id inside extra (a field list); null when there is none or the
// list is damaged before it. size receives the field's data length.
const unsigned char *FindExtra(const unsigned char *extra, std::size_t length, std::uint16_t id, std::uint16_t &size);

// Whether an entry's local header and compressed data end before the directory starts (the sum
// checked without overflow). Until the local header is read, its name is taken for the central's.
bool EndsBefore(const Entry &entry, std::uint64_t centralStart);

} // namespace qm::zip
