// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/RunFolder.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

namespace qm {

// A private folder inside the output folder where zipsplit writes one archive's parts. zipsplit
// names parts after the first letters of the archive and replaces files silently, so it never
// writes into the output folder itself: finished parts are moved there without replacing
// anything. The output folder and the staging folder are held open and every listing, move and
// removal goes through those handles by raw bytes, so a name in any script, or a folder renamed
// or swapped for a link mid-run, can neither hide a part nor redirect one. Staging folders that
// dead runs left in the output folder are removed when a run next makes one there.
class StagingFolder
{
public:
    struct Part
    {
        QString zipSplitName; // the name zipsplit gave the part, made valid UTF-8
        QString savedAs;      // the name it has in the output folder
        bool renamed() const { return zipSplitName != savedAs; }
    };
    // A part as zipsplit left it in the staging folder.
    struct StagedPart
    {
        QByteArray name;
        std::int64_t size = 0;
    };

    // In the output folder the run holds open as outputHandle (the folder is never opened again
    // by its path); outputFolder names it in messages.
    StagingFolder(const QString &outputFolder, int outputHandle);
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    bool isValid() const { return m_run.isValid(); }
    // False once the folder was deleted under the run (with the output folder, say).
    bool exists() const { return m_run.exists(); }
    int handle() const { return m_run.handle(); }
    const QString &outputFolder() const { return m_outputFolder; }

    // Makes the folder's source link ("src/a.zip", relative to the staging folder, which it
    // returns) lead to the open file sourceFd; empty when it cannot. One link serves every archive:
    // it leads to a handle of the folder's own that takes on each source in turn.
    QByteArray useSource(int sourceFd);

    // One part to move: zipsplit's file here ("a1.zip"...) and the name it is to have.
    struct NamedPart
    {
        QByteArray staged;
        QString wanted;
    };

    // The regular files zipsplit left (the source sub-folder aside), sorted by name.
    QVector<StagedPart> parts() const;

    // Moves the parts into the output folder, each under its wanted name when that is free and
    // otherwise under a free name that shows which archive it came from. All or nothing: when one
    // part cannot be moved, the ones already moved are taken back.
    bool moveParts(const QString &sourceArchive, const QVector<NamedPart> &parts, QVector<Part> *moved);

    // Empties the folder for the next archive; false when it cannot be used any more.
    bool clear();
    // Removes the folder and everything still in it.
    void remove();

private:
    QString m_outputFolder;
    UniqueFd m_output;
    RunFolder m_run;
    UniqueFd m_sourceSlot; // the handle the source link leads to
    bool m_linked = false;
};

// Renames between two open folders only when nothing is at the target; false with errno EEXIST
// when something is.
using posix::renameWithoutReplacingAt;

} // namespace qm
