// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UniqueFd.h"
#include "posix/FileOps.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace qm {

// Folder work through open handles, never by re-resolving a path, and never following a link.
namespace at {
using posix::openFolder;
// Names in an open folder as raw bytes ("." and ".." aside).
QVector<QByteArray> names(int folder);
// Removes everything inside an open folder but the entry named `keep` (when given).
bool removeChildren(int folder, const char *keep = nullptr);
} // namespace at

// The name under which this process's open file or folder `fd` is reached, by this process and
// by the tools it starts (/proc/<pid>/fd/<fd>): whatever is renamed or swapped on the way to it,
// the name leads to the very file that was opened and checked.
QString HandlePath(int fd);

// A private folder (0700, this user's) that one run makes inside a parent folder, named
// "<prefix><random>", held open and locked while the run lives. A run that died (kill -9, power)
// leaves its folder unlocked, so the next run that uses the parent removes it; a live run's
// folder is locked and stays.
class RunFolder
{
public:
    RunFolder() = default;
    RunFolder(int parent, const QByteArray &prefix);
    ~RunFolder() { remove(); }
    RunFolder(RunFolder &&) = default;
    RunFolder &operator=(RunFolder &&) = default;

    bool isValid() const { return m_folder.isValid(); }
    int handle() const { return m_folder.get(); }
    const QByteArray &name() const { return m_name; }
    // True while the folder is still in the file system (not deleted under the run).
    bool exists() const;
    // Removes the folder and what is in it, through the handles only.
    void remove();

    // Removes the folders named "<prefix>..." in parent that belong to this user and that no
    // live run holds locked.
    static void removeDead(int parent, const QByteArray &prefix);

private:
    UniqueFd m_parent;
    UniqueFd m_folder;
    QByteArray m_name;
};

} // namespace qm
