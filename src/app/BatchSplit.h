// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>

namespace qm {

struct CommandLine;

// quillmere --split: the window's split run without a window or a display. One line per archive
// goes to `err` ("[3/10] photos.zip: 4 parts", or the reason it was not split), the run's
// summary last (with --quiet, failures only); the path of every part made goes to `out`, one per
// line, in list order. SIGINT, SIGTERM and SIGHUP stop the run as "Stop Splitting" does. Never touches
// the window's settings. Returns the exit status (kExitAllSplit, kExitSomeFailed, kExitUsage).
int RunBatchSplit(const CommandLine &line, std::FILE *out, std::FILE *err);

} // namespace qm
