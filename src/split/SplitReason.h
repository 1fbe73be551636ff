// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Paths.h"

#include <QCoreApplication>
#include <QString>

namespace qm {

// Why an archive was not split, as the run's box and batch mode show it after the archive's name
// ("photos.zip: the file is empty."). One translation context for every reason, wherever it
// arises, so a reason met in two places reads the same in both.
struct SplitReason
{
    Q_DECLARE_TR_FUNCTIONS(qm::SplitReason)
};

// What kept an archive from being split, beside the reason's words: for callers and tests that act
// on the kind rather than on a sentence.
enum class FailureKind {
    None,
    Source,       // the file is gone, empty, unreadable or not a regular file
    NotZip,       // not a ZIP archive, or a damaged one
    Unsplittable, // a shape the splitting tool cannot split
    Empty,        // no entries
    Reader,       // the archive reader could not be loaded
    Tool,         // the splitting tool could not start, failed or was interrupted
    Changed,      // the archive changed while it was being split
    Parts,        // the parts are not what was planned
    Output,       // the output folder: missing, replaced, full, or the parts could not be moved there
    System,       // the system lacks what a split needs (/proc not mounted)
    Stopped,      // a stop came first
};

// Why an archive was not split: the kind decides (success, retry, the run's counts), the text is
// what the user reads.
struct SplitFailure
{
    FailureKind kind = FailureKind::None;
    QString text;
    bool failed() const { return kind != FailureKind::None; }
};

// True while the process is short of file handles or memory: a failure then may pass once other
// work lets go of what it holds.
bool ResourcesShort();
// Whether errno `error` tells of such a shortage.
bool IsShortage(int error);

// Whether a tool's launch failed for want of handles, memory or processes, from Qt's words for it
// (they end with the system's own message).
bool LaunchStarved(const QString &launchError);

inline QString ShortOfResources()
{
    return SplitReason::tr("the system ran short of open files, memory or processes.");
}

// Every file a run hands on (the archive to its reader and to zipsplit, the tool, the staging
// folder) is reached by the name /proc gives the run's handle of it.
inline QString ProcNotMounted()
{
    return SplitReason::tr("/proc is not mounted, and the split reaches the files it has open through it.");
}

// Why the tool is not there, as each archive says it: `why` is what kept it from being written.
inline QString ToolNotWritten(const QString &why)
{
    return SplitReason::tr("the splitting tool could not be started: %1.").arg(why);
}

inline QString StoppedBeforeSplit()
{
    return SplitReason::tr("stopped before it was split.");
}

inline QString NoWorkingFolder(const QString &outputFolder)
{
    return SplitReason::tr("no working folder could be made in the output folder %1; it may be missing, read-only "
                           "or full.")
        .arg(paths::shown(outputFolder));
}

} // namespace qm
