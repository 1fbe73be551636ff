// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace qm {

// What the program was asked to do on its command line:
//   quillmere [FILE...]                                               the window, FILEs listed
//   quillmere --split (--size MB | --parts N) --output DIR [--jobs N] [--quiet] [--null]
//             [--dry-run] [--] FILE...
//                                                                     split without a window
//   quillmere --help | --version
struct CommandLine
{
    enum class Mode { Window, Split, Help, Version, Usage };
    Mode mode = Mode::Window;
    QStringList files;
    bool byParts = false;
    QString number; // MB or parts, as typed
    QString output;
    bool dryRun = false; // plan and print, write nothing
    int jobs = 0;        // archives split at once; 0: one per core
    bool quiet = false;  // standard error only for failures
    bool null = false;   // printed paths end with NUL, not a newline
    QString error;  // Usage: what was wrong, in a short sentence
};

// args without the program name.
CommandLine ParseCommandLine(const QStringList &args);

// The paths the window lists for FILEs given on its command line: each made absolute against
// `workingFolder`, as a file manager's drop would give them.
QStringList PathsToList(const QStringList &files, const QString &workingFolder);

// The text --help prints.
QString UsageText();
// The text --version prints.
QString VersionText(const QString &version);
// The line after a usage error: where to read more.
QString UsageHint();

// Exit statuses of batch mode.
constexpr int kExitAllSplit = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;

} // namespace qm
