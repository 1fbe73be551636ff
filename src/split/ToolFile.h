// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include "common/RunFolder.h"

namespace qm {

// Folder that receives the tool's run folders: $APPDATA when set, not empty and not the root
// (however spelled: "/.", "//", "/./"); otherwise the per-user data folder + /Veltrane/Quillmere,
// created when missing. Throws AppError when there is no such folder.
QString ToolFolder();

// Resource 101 of type CUSTOM: the zipsplit executable built into the program, or the file
// `source` names when it is not empty (another program to start in its place). Throws
// AppError (326) when it is not there.
QByteArray LoadToolBytes(const QString &source = QString());
// The Debian source package and version that zipsplit came from ("zip 3.0-13+deb12u1"), as the
// build recorded it; empty when the build could not tell.
QString EmbeddedToolVersion();

// The tool as one run wrote it: a private folder made for the run inside the tool folder (so two
// runs never share a tool), the bytes written there owner-only (0700), and the file held open. The
// run starts that open file itself, so no rename of any folder on its path can swap in another
// program. Removes what it wrote, and nothing else, when it goes.
class DeployedTool
{
public:
    // Throws AppError when the folder or the file cannot be made.
    DeployedTool(const QByteArray &bytes, const QString &toolFolder);

    QString path() const { return m_path; }       // where it was written
    QString program() const;                       // what to start: the open file
    int handle() const { return m_file.get(); }

private:
    RunFolder m_folder;
    UniqueFd m_file;
    QString m_path;
};

} // namespace qm
