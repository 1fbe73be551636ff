// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Entry names as callers get them: UTF-8, whatever the archive stored.

#include "zip/ZipReader.h"

#include <string>

namespace unzip32 {

// The Unicode path field's name when it matches; the stored name when it is flagged UTF-8 or
// reads as UTF-8; otherwise the stored bytes read as code page 437, the ZIP format's default.
std::string displayName(const qm::zip::Directory &directory, const qm::zip::Entry &entry);

} // namespace unzip32
