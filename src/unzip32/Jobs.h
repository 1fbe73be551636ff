// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The three things a request does with the selected entries of an archive.

#include "Session.h"

namespace unzip32 {

// One SendApplicationMessage per entry of the session's directory, and the totals.
void listEntries(Session &session);
// Reads every entry through, checking its CRC.
void testEntries(Session &session, zip_uint64_t entries);
// Writes the entries into the extraction folder.
void extractEntries(Session &session, zip_uint64_t entries);

} // namespace unzip32
