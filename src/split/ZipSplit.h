// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/SplitReason.h"

#include "split/Shell32.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace qm {

// zipsplit -n size -b folder archive, each path exactly one argument. A path that starts with "-"
// is handed over as "./-..." so zipsplit cannot mistake it for an option.
ProcessCommand ZipSplitCommandLine(const QString &toolPath, std::int64_t splitSize,
                                   const QString &outputFolder, const QString &archivePath);

// What zipsplit's environment sets, the same on every machine. Zip 3.0 asks for the
// en_US.UTF-8 locale at start; where a machine has it, zipsplit rewrites every code-page-437 name
// that carries a Unicode Path field (local header with the UTF-8 name and bit 11), so parts would
// depend on which locales are installed. LOCPATH naming no folder makes that request fail
// everywhere: headers are copied as they stand, which is what the planner models.
QStringList ZipSplitEnvironment();

// The command for one split in a staging folder: the command line above with the open tool file
// (`tool`, the name that leads to its handle), run in ZipSplitEnvironment() inside the staging
// folder found by its handle (`staging`); it writes its parts there ("-b .") and reads the source
// through `sourceLink`, a link inside that folder that leads to the open source file. No rename of
// any folder on the way can redirect any of them.
ProcessCommand ZipSplitStagedCommand(const QString &tool, std::int64_t splitSize, const QString &staging,
                                     const QString &sourceLink);

// Why zipsplit did not split an archive, its kind and plain words; none when it did. Judged from
// the exit code and the "zipsplit error:" lines it prints, never from the exit code alone. A
// message that names sourceLink (the name zipsplit read the archive under) names archive instead.
SplitFailure ZipSplitFailure(const ProcessOutcome &outcome, const QString &sourceLink = QString(),
                             const QString &archive = QString());

// What the source file itself is, before any of it is read.
enum class SourceState { Readable, Missing, Folder, Special, Unreadable, Empty };
SourceState SourceFileState(const QString &archivePath);

// A plainer reason when the source file itself is the problem (gone, a folder, empty,
// unreadable); none when the file looks like something zipsplit could read.
SplitFailure SourceFileProblem(const QString &archivePath);

} // namespace qm
