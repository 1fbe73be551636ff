// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The working part of libunzip32.so, kept apart from the exported entry points so the fuzzer can
// drive it over an archive held in memory.

#include "Session.h"
#include "ZipHandles.h"
#include "unzip32.h"

namespace unzip32 {

// One Wiz_SingleEntryUnzip request: bytes are the archive's bytes, which must stay readable for
// the call; archive is the same archive opened by libzip to test or extract, null to list.
// stored, when given, receives the directory as stored (Wiz_ListStored). displayName names the
// archive in messages. Returns an Info-ZIP code (see unzip32.h).
int runOnArchive(zip_t *archive, qm::zip::Bytes bytes, const char *displayName,
                 const NameList &include, const NameList &exclude, const DCL &options,
                 USERFUNCTIONS &callbacks, DLLSTORED *stored = nullptr);

// The whole request: opens lpszZipFN (refusing anything but a non-empty regular file), then
// runOnArchive. Never throws.
int run(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *options, USERFUNCTIONS *callbacks,
        DLLSTORED *stored = nullptr);

// The Info-ZIP code for a libzip error (and its system error) met while opening an archive.
int codeForOpenError(int zipError, int systemError);

} // namespace unzip32
