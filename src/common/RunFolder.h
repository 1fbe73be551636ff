// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UniqueFd.h"
#include "posix/FileOps.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <initializer_list>

namespace qm {

// Folder work through open handles, never by re-resolving a path, and never following a link.
namespace at {
using posix::openFolder;
// Names in an open folder as raw bytes ("." and ".." aside).
QVector<QByteArray> names(int folder);
// Removes everything inside an open folder but the entries named in `keep` (null ones aside).
bool removeChildren(int folder, std::initializer_list<const char *> keep = {});
} // namespace at

// The name under which this process's open file or folder `fd` is reached, by this process and
// by the tools it starts (/proc/<pid>/fd/<fd>): whatever is renamed or swapped on the way to it,
// the name leads to the very file that was opened and checked.
QString HandlePath(int fd);
// Whether HandlePath(fd) leads to the open file fd: false where /proc is not mounted.
bool HandleReachable(int fd);

// A private folder (0700, this user's) that one run makes inside a parent folder, named
// "<prefix><random>", held open and locked while the run lives. A run that died (kill -9, power)
// leaves its folder unlocked, so the next run that uses the parent removes it; a live run's
// folder is locked and stays. A name proves nothing (in a shared folder anyone may rename a
// folder of this user's to it), so each run folder holds a marker made new before the folder
// takes its name: an empty folder "<kMarkerPrefix><device>-<inode>" named after that very folder.
// The sweep removes only folders holding theirs.
class RunFolder
{
public:
    static constexpr char kMarkerPrefix[] = ".quillmere-run-";

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
    // Empties the folder but for its marker and the entry named `keep` (when given).
    bool clear(const char *keep = nullptr) const;

    // Removes the folders named "<prefix>..." in parent that a run of ours made (this user's and
    // closed to others, holding the marker of that very folder) and that no live run holds
    // locked, when they hold only what a run leaves: regular files, and in the sub-folder `links`
    // (when given) links and regular files. Any other folder stays whole, whatever its name.
    static void removeDead(int parent, const QByteArray &prefix, const char *links = nullptr);

private:
    UniqueFd m_parent;
    UniqueFd m_folder;
    QByteArray m_name;
    QByteArray m_marker;
};

} // namespace qm
