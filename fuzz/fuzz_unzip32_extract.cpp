// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: extraction into a sandbox, checking after every input that nothing was
// written outside the extraction folder, no symbolic link was created, and the symbolic link
// planted in the folder (pointing outside) was not followed.
//
// Layout: <root>/box/out/deep is the extraction folder; deep/link -> <root>/outside.
#include "UnzipEngine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_root;
std::string g_deep;
int g_replaceAnswer = IDM_REPLACE_NO;

int print(char *, unsigned long) { return 0; }
int replace(char *) { return g_replaceAnswer; }
int password(char *buffer, int size, const char *, const char *)
{
    std::strncpy(buffer, "secret", static_cast<size_t>(size) - 1);
    return 0;
}

// The names in folder, which must be exactly `expected` (or nothing when expected is null).
void expectOnly(const std::string &folder, const char *expected)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        abort();
    while (dirent *entry = readdir(dir)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        if (!expected || std::strcmp(entry->d_name, expected) != 0) {
            std::fprintf(stderr, "escaped the extraction folder: %s/%s\n", folder.c_str(), entry->d_name);
            abort();
        }
    }
    closedir(dir);
}

int removeOne(const char *path, const struct stat *, int type, struct FTW *)
{
    if (type == FTW_SL || type == FTW_SLN) {
        // Only the planted link may be a link.
        if (std::string(path) != g_deep + "/link") {
            std::fprintf(stderr, "symbolic link created: %s\n", path);
            abort();
        }
    }
    if (std::string(path) != g_deep)
        ::remove(path);
    return 0;
}

int removeAny(const char *path, const struct stat *, int, struct FTW *)
{
    ::remove(path);
    return 0;
}

void tearDown()
{
    if (!g_root.empty())
        nftw(g_root.c_str(), removeAny, 16, FTW_DEPTH | FTW_PHYS);
}

void setUp()
{
    if (!g_root.empty())
        return;
    std::atexit(tearDown);
    char pattern[] = "/tmp/qm-fuzz-extract-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    g_root = pattern;
    ::mkdir((g_root + "/box").c_str(), 0700);
    ::mkdir((g_root + "/box/out").c_str(), 0700);
    ::mkdir((g_root + "/outside").c_str(), 0700);
    g_deep = g_root + "/box/out/deep";
    ::mkdir(g_deep.c_str(), 0700);
}

// One run of the library over the input, the options chosen by flags' bits.
void extract(const uint8_t *data, size_t size, uint8_t flags)
{
    unzip32::ZipError error;
    unzip32::SourcePtr source(zip_source_buffer_create(data, size, 0, error.get()));
    unzip32::ArchivePtr archive(
        source ? zip_open_from_source(source.get(), ZIP_RDONLY, error.get()) : nullptr);
    if (archive) {
        source.release(); // the archive's now
        DCL options = {};
        options.ndflag = (flags & 1) ? 0 : 1;
        options.noflag = (flags >> 1) & 1;
        options.SpaceToUnderscore = (flags >> 2) & 1;
        options.naflag = (flags >> 3) & 1;
        options.PromptToOverwrite = (flags >> 4) & 1;
        options.ExtractOnlyNewer = (flags >> 5) & 1;
        g_replaceAnswer = (flags & 0x40) ? IDM_REPLACE_YES : IDM_REPLACE_NO;
        options.lpszZipFN = "fuzz.zip";
        options.lpszExtractDir = g_deep.c_str();
        USERFUNCTIONS callbacks = {};
        callbacks.print = print;
        callbacks.replace = replace;
        callbacks.password = password;
        unzip32::runOnArchive(archive.get(), qm::zip::Bytes::memory(data, size),
                              "fuzz.zip", unzip32::NameList{}, unzip32::NameList{}, options,
                              callbacks);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    setUp();
    if (size < 1)
        return 0;
    const uint8_t flags = data[0];
    ::unlink((g_deep + "/link").c_str());
    if (::symlink((g_root + "/outside").c_str(), (g_deep + "/link").c_str()) != 0)
        abort();

    extract(data + 1, size - 1, flags);

    DIR *root = opendir(g_root.c_str());
    if (!root)
        abort();
    while (dirent *entry = readdir(root)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && name != "box" && name != "outside") {
            std::fprintf(stderr, "escaped the extraction folder: %s\n", name.c_str());
            abort();
        }
    }
    closedir(root);
    expectOnly(g_root + "/box", "out");
    expectOnly(g_root + "/box/out", "deep");
    expectOnly(g_root + "/outside", nullptr);
    nftw(g_deep.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
