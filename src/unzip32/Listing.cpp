// SPDX-License-Identifier: GPL-3.0-or-later
#include "Jobs.h"

#include "Names.h"

#include <algorithm>
#include <cstdio>

namespace unzip32 {

namespace {

// Info-ZIP's short method names (unzip -v / zipinfo wording).
const char *methodName(zip_uint16_t method, char (&scratch)[16])
{
    switch (method) {
    case ZIP_CM_STORE: return "Stored";
    case 1: return "Shrunk";
    case 2: return "Reduce1";
    case 3: return "Reduce2";
    case 4: return "Reduce3";
    case 5: return "Reduce4";
    case ZIP_CM_IMPLODE: return "Implode";
    case 7: return "Token";
    case ZIP_CM_DEFLATE: return "Defl:N";
    case ZIP_CM_DEFLATE64: return "Def64";
    case 10: return "PKImplode";
    case ZIP_CM_BZIP2: return "BZip2";
    case ZIP_CM_LZMA: return "LZMA";
    case 18: return "Terse";
    case 19: return "LZ77";
    case 93: return "Zstd";
    case ZIP_CM_XZ: return "XZ";
    case 96: return "Jpeg";
    case ZIP_CM_WAVPACK: return "WavPack";
    case ZIP_CM_PPMD: return "PPMd";
    default:
        std::snprintf(scratch, sizeof scratch, "Unk:%03u", static_cast<unsigned>(method));
        return scratch;
    }
}

// Percentage saved, rounded; negative when the entry grew, never below -32768.
int compressionFactor(zip_uint64_t size, zip_uint64_t compressed)
{
    if (size == 0)
        return 0;
    const long double saved =
        (static_cast<long double>(size) - static_cast<long double>(compressed)) * 100.0L
        / static_cast<long double>(size);
    const long double rounded = saved < 0 ? saved - 0.5L : saved + 0.5L;
    if (rounded <= -32768.0L)
        return -32768;
    return static_cast<int>(rounded);
}

struct Stamp {
    unsigned month, day, year, hour, minute;
};

Stamp stampOf(const qm::zip::Entry &entry)
{
    const unsigned date = entry.dosDate;
    const unsigned time = entry.dosTime;
    return {(date >> 5) & 15u, date & 31u, 1980u + (date >> 9), time >> 11, (time >> 5) & 63u};
}

void fillTotals(Session &session, unsigned long long size, unsigned long long compressed,
                unsigned long members)
{
    USERFUNCTIONS &callbacks = session.callbacks();
    callbacks.TotalSize = static_cast<unsigned long>(size);
    callbacks.TotalSizeComp = static_cast<unsigned long>(compressed);
    const int factor = compressionFactor(size, compressed);
    callbacks.CompFactor = static_cast<unsigned long>(std::max(0, factor));
    callbacks.NumMembers = members;
    callbacks.cchComment = static_cast<unsigned short>(std::min<std::size_t>(session.directory().comment.size(), 0xFFFF));
}

} // namespace

// One callback per entry and nothing else, straight from the directory as stored.
void listEntries(Session &session)
{
    const qm::zip::Directory &directory = session.directory();
    unsigned long long totalSize = 0;
    unsigned long long totalCompressed = 0;
    unsigned long members = 0;
    char scratch[16];
    const auto send = session.callbacks().SendApplicationMessage;
    // Names are made only for someone: the callback, the selection, a message.
    const bool named = send || !session.selectsAll();
    for (const qm::zip::Entry &entry : directory.entries) {
        std::string name;
        if (named && !session.selected((name = displayName(directory, entry)).c_str()))
            continue;
        if (!qm::zip::EndsBefore(entry, directory.centralStart)) { // reported; still listed
            if (name.empty())
                name = displayName(directory, entry);
            session.say(Level::Error, format("error:  %s lies outside the archive (damaged directory)", name.c_str()));
            session.note(PK_BADERR);
        }
        totalSize += entry.uncompressedSize;
        totalCompressed += entry.compressedSize;
        ++members;
        const Stamp when = stampOf(entry);
        if (send)
            send(entry.uncompressedSize, entry.compressedSize,
                 static_cast<unsigned>(compressionFactor(entry.uncompressedSize, entry.compressedSize)), when.month,
                 when.day, when.year, when.hour, when.minute, ' ', name.c_str(), methodName(entry.realMethod, scratch),
                 entry.crc, entry.encrypted() ? 'E' : ' ');
    }
    fillTotals(session, totalSize, totalCompressed, members);
}

} // namespace unzip32
