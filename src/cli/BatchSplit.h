// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdio>

namespace qm {

struct CommandLine;
class SignalWatcher;

// quillmere --split: the window's split run without a window or a display. One line per archive
// goes to `err` ("[3/10] photos.zip: 4 parts", or the reason it was not split), the run's
// summary last (with --quiet, failures only); the path of every part made goes to `out`, one per
// line (or NUL), in list order; a dry run's plan goes there too. A signal the watcher tells of
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT) stops the run as "Stop Splitting" does; the caller, once
// all is cleaned up, dies by it (SignalWatcher::finish). Never touches the window's settings.
// Returns the exit status (kExitAllSplit, kExitSomeFailed, kExitUsage).
int RunBatchSplit(const CommandLine &line, std::FILE *out, std::FILE *err, SignalWatcher &watcher);

// Writes text for a script (--help, --version) to `out`; when that fails, says so on `err`
// ("quillmere: write error: ...") and returns 1, else 0.
int PrintForScripts(const QString &text, std::FILE *out, std::FILE *err);

// Ends the process by `signalNumber` with its default action, as a shell expects of a program
// a signal stopped. For after everything is cleaned up.
[[noreturn]] void DieBySignal(int signalNumber);

// The line for a window asked for where there is no display.
QString NoDisplayText();

} // namespace qm
