// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the library's list and test modes (and so the one ZIP reader) over an archive held in memory.
#include "UnzipEngine.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

unsigned long g_sink;

int print(char *text, unsigned long size)
{
    g_sink += size + static_cast<unsigned char>(text[0]);
    return 0;
}

int password(char *buffer, int size, const char *, const char *)
{
    static int calls;
    if (++calls % 4 == 0)
        return 1; // now and then a refusal
    std::strncpy(buffer, "secret", static_cast<size_t>(size) - 1);
    return 0;
}

int service(const char *name, unsigned long size)
{
    g_sink += std::strlen(name) + size;
    return 0;
}

void entry(unsigned long long ucsize, unsigned long long csize, unsigned cfactor, unsigned mo,
           unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c, const char *filename,
           const char *methbuf, unsigned long crc, char fCrypt)
{
    g_sink += ucsize + csize + cfactor + mo + dy + yr + hh + mm + static_cast<unsigned char>(c)
              + std::strlen(filename) + std::strlen(methbuf) + crc + static_cast<unsigned char>(fCrypt);
}

void runMode(const uint8_t *data, size_t size, int list, const char *pattern)
{
    // A listing reads the directory alone; testing goes through libzip.
    unzip32::ZipError error;
    unzip32::ArchivePtr archive;
    if (!list) {
        unzip32::SourcePtr source(zip_source_buffer_create(data, size, 0, error.get()));
        if (!source)
            return;
        archive.reset(zip_open_from_source(source.get(), ZIP_RDONLY, error.get()));
        if (!archive)
            return;
        source.release(); // the archive's now
    }
    DCL options = {};
    options.nvflag = list;
    options.ntflag = !list;
    options.lpszZipFN = "fuzz.zip";
    options.lpszExtractDir = "";
    USERFUNCTIONS callbacks = {};
    callbacks.print = print;
    callbacks.password = password;
    callbacks.SendApplicationMessage = entry;
    callbacks.ServCallBk = service;
    char *include[2] = {const_cast<char *>(pattern), const_cast<char *>("")};
    unzip32::NameList includes{pattern ? 1 : 0, include};
    unzip32::runOnArchive(archive.get(), qm::zip::Bytes::memory(data, size), "fuzz.zip",
                          includes, unzip32::NameList{}, options, callbacks);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    runMode(data, size, 1, nullptr);
    runMode(data, size, 0, nullptr);
    runMode(data, size, 1, "*a*?");
    return 0;
}
