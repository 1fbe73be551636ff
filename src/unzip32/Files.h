// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small file helpers of the extraction side.

#include "posix/UniqueFd.h"

#include <string>
#include <vector>

namespace unzip32 {

using Fd = qm::posix::UniqueFd;

// Creates every folder of path (absolute or relative), like mkdir -p.
bool makePath(const std::string &path);

// Splits an entry path ('/' or '\' between components) into its components, leaving out empty
// ones and "."; false when it would leave the folder (absolute, drive letter, "..").
bool safeComponents(std::string path, std::vector<std::string> &out);

} // namespace unzip32
