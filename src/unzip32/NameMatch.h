// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Matching include and exclude names against entry paths (see unzip32.h for the rules).

namespace unzip32 {

// Whole-path match: '*' any run (also across '/'), '?' one byte, '\' takes the next byte
// literally (a '\' at the end stands for itself). ignoreCase folds ASCII letters only.
bool wildMatch(const char *pattern, const char *text, bool ignoreCase);

} // namespace unzip32
