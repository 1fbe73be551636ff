// SPDX-License-Identifier: GPL-3.0-or-later
#include "Jobs.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

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

// The entry's date and time as stored; libzip's mtime (through mktime, an hour off in a
// daylight-saving gap) only when the directory could not be read.
Stamp stampOf(const Session &session, zip_uint64_t index, const zip_stat_t &st)
{
    if (const StoredEntry *stored = session.directory().find(index)) {
        const unsigned date = stored->dosDate;
        const unsigned time = stored->dosTime;
        return {(date >> 5) & 15u, date & 31u, 1980u + (date >> 9), time >> 11, (time >> 5) & 63u};
    }
    const time_t when = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    struct tm local = {};
    if (!localtime_r(&when, &local))
        local = {};
    return {static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday),
            static_cast<unsigned>(local.tm_year + 1900), static_cast<unsigned>(local.tm_hour),
            static_cast<unsigned>(local.tm_min)};
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
    int commentLength = 0;
    if (zip_get_archive_comment(session.zip(), &commentLength, ZIP_FL_ENC_RAW) && commentLength > 0)
        callbacks.cchComment = static_cast<unsigned short>(std::min(commentLength, 0xFFFF));
    else
        callbacks.cchComment = 0;
}

} // namespace

// One callback per entry and nothing else.
void listEntries(Session &session, zip_uint64_t entries)
{
    unsigned long long totalSize = 0;
    unsigned long long totalCompressed = 0;
    unsigned long members = 0;
    char scratch[16];
    for (zip_uint64_t i = 0; i < entries; ++i) {
        zip_stat_t st;
        if (zip_stat_index(session.zip(), i, 0, &st) != 0) {
            session.say(Level::Error, format("error:  cannot read entry %llu of %s",
                                             static_cast<unsigned long long>(i),
                                             session.displayName().c_str()));
            session.note(PK_BADERR);
            continue;
        }
        const char *name = ((st.valid & ZIP_STAT_NAME) && st.name) ? st.name : "";
        if (!session.selected(name))
            continue;
        const zip_uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        const zip_uint64_t compressed = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        session.insideArchive(i, st, name); // reported; still listed
        const Stamp when = stampOf(session, i, st);
        const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD)
                               && st.encryption_method != ZIP_EM_NONE;
        const zip_uint16_t method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
        const zip_uint32_t crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
        totalSize += size;
        totalCompressed += compressed;
        ++members;
        if (const auto send = session.callbacks().SendApplicationMessage)
            send(size, compressed, static_cast<unsigned>(compressionFactor(size, compressed)),
                 when.month, when.day, when.year, when.hour, when.minute, ' ', name,
                 methodName(method, scratch), crc, encrypted ? 'E' : ' ');
    }
    fillTotals(session, totalSize, totalCompressed, members);
}

} // namespace unzip32
