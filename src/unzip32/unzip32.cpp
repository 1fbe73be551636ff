// SPDX-License-Identifier: GPL-3.0-or-later
// The exported entry points of libunzip32.so.
#include "unzip32.h"

#include "UnzipEngine.h"

#include <cstddef>
#include <cstring>

static_assert(sizeof(UzpVer2) == 64, "UzpVer2 is 64 bytes as passed");
static_assert(offsetof(UzpVer2, betalevel) == 8 && offsetof(UzpVer2, date) == 18
                  && offsetof(UzpVer2, zlib_version) == 38 && offsetof(UzpVer2, fEncryption) == 48
                  && offsetof(UzpVer2, windll) == 60,
              "UzpVer2 layout of unzip32.h");
static_assert(sizeof(void *) != 8
                  || (sizeof(DCL) == 80 && offsetof(DCL, lpszZipFN) == 64
                      && sizeof(USERFUNCTIONS) == 88 && offsetof(USERFUNCTIONS, TotalSizeComp) == 48),
              "LP64 layouts documented in unzip32.h");

extern "C" int Wiz_SingleEntryUnzip(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *lpDCL,
                                    USERFUNCTIONS *lpUserFunctions)
{
    return unzip32::run(ifnc, ifnv, xfnc, xfnv, lpDCL, lpUserFunctions);
}

extern "C" int Wiz_ListStored(DCL *lpDCL, USERFUNCTIONS *lpUserFunctions, DLLSTORED *stored)
{
    char *none[] = {nullptr};
    return unzip32::run(0, none, 0, none, lpDCL, lpUserFunctions, stored);
}

// zlib.h is not included: it defines zlib_version as a macro, which clashes with the field.
extern "C" const char *zlibVersion(void);

namespace {

void copyText(char *field, size_t size, const char *text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

} // namespace

extern "C" void UzpVersion2(UzpVer2 *version)
{
    if (!version)
        return;
    // Fill a full record, then hand over no more than the caller's structlen.
    UzpVer2 full;
    std::memset(&full, 0, sizeof full);
    full.structlen = sizeof(UzpVer2);
    full.flag = 0;
    copyText(full.betalevel, sizeof full.betalevel, "");
    copyText(full.date, sizeof full.date, UNZIP32_RELEASE_DATE);
    copyText(full.zlib_version, sizeof full.zlib_version, zlibVersion());
    full.fEncryption = 1;
    const _version_type ours = {UNZIP32_VERSION_MAJOR, UNZIP32_VERSION_MINOR, UNZIP32_VERSION_PATCH, 0};
    full.unzip = ours;
    full.zipinfo = ours;
    full.windll = ours;
    const size_t length = version->structlen < sizeof full ? version->structlen : sizeof full;
    std::memcpy(version, &full, length);
    if (length >= sizeof version->structlen)
        version->structlen = static_cast<unsigned int>(length);
}
