// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The working part of libunzip32.so, kept apart from the exported entry points so the fuzzer can
// drive it over an archive held in memory.

#include "CentralDirectory.h"
#include "Session.h"
#include "ZipHandles.h"
#include "unzip32.h"

namespace unzip32 {

// One Wiz_SingleEntryUnzip request on an archive libzip has opened; bytes are the same archive's
// bytes, which must stay readable for the call. displayName names the archive in messages.
// Returns an Info-ZIP code (see unzip32.h).
int runOnArchive(zip_t *archive, ArchiveBytes bytes, const char *displayName,
                 const NameList &include, const NameList &exclude, const DCL &options,
                 USERFUNCTIONS &callbacks);

// The whole request: opens lpszZipFN (refusing anything but a non-empty regular file), then
// runOnArchive. Never throws.
int run(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *options, USERFUNCTIONS *callbacks);

// The Info-ZIP code for a libzip error (and its system error) met while opening an archive.
int codeForOpenError(int zipError, int systemError);

} // namespace unzip32
