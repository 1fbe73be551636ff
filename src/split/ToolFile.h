#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// Folder that receives the tool during a run: $APPDATA when set, not empty and not the root;
// otherwise the per-user data folder + /Veltrane/Quillmere, created when missing. Throws
// AppError when there is no such folder.
QString ToolFolder();
// <tool folder>/zipsplit
QString ToolPath();

// Resource 101 of type CUSTOM: the zipsplit executable built into the program. Throws AppError
// (326) when it is not there.
QByteArray LoadToolBytes();
// Tests and benchmarks hand in another program's file instead of resource 101 ("" = resource).
void setToolSourceForTests(const QString &path);

// Puts bytes at path as an owner-only executable (0700): written under a temporary name in the
// same folder, synced and closed, then renamed into place, so nobody ever runs a half-written
// tool and no write handle stays open (exec would fail with ETXTBSY). Throws AppError.
void DeployTool(const QByteArray &bytes, const QString &path);

// True when path is a regular file (not a symlink) owned by this user that nobody else may
// write to: only then is it safe to start.
bool IsSafeToolFile(const QString &path);

} // namespace qm
