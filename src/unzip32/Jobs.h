// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The three things a request does with the selected entries of an archive.

#include "Session.h"

namespace unzip32 {

// One SendApplicationMessage per entry and the totals (the split run's hot path).
void listEntries(Session &session, zip_uint64_t entries);
// Reads every entry through, checking its CRC.
void testEntries(Session &session, zip_uint64_t entries);
// Writes the entries into the extraction folder.
void extractEntries(Session &session, zip_uint64_t entries);

} // namespace unzip32
