// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace qm {

class RowBatch;
class Toolkit;

// Appends to `folders` (each entry ending in "/") every sub-folder of the folders it holds, each
// with a trailing "/": level by level, children of earlier folders first, each folder's children
// in natural name order (SortNaturally). Hidden folders (".name") and names that do not survive
// the locale's encoding are not walked. A folder reached a second time (a link back up the tree,
// or a second link to the same folder) is not walked again. With `recurse` false only the first
// level below is added.
// Folders that cannot be read do not stop the walk: the whole tree is collected first, and then
// one AppError (75) names what could not be read. Folders that vanished meanwhile are skipped.
// `keepGoing`, when given, is asked before each folder; false ends the walk where it is.
// `turns`, when given, lets the window run while the walk goes on.
class WalkTurns;
void CollectSubfolders(QStringList &folders, bool recurse,
                       const std::function<bool()> &keepGoing = nullptr, WalkTurns *turns = nullptr);

// Bare names of the entries in `folder` (with or without a trailing "/") that are not folders and
// match `pattern` ("*" any run, "?" one character, case-insensitive; "*.*" matches every name).
// Hidden and system entries are included; names the locale cannot represent are left out, since
// a row could never name them. A folder that is missing or unreadable gives no names. In natural
// name order.
QStringList ListFiles(const QString &folder, const QString &pattern, WalkTurns *turns = nullptr);

// The list row for the file `name` found in `folder` (with or without a trailing "/"): one
// separator between them, under the root too ("/" and "a.zip" give "/a.zip").
QString RowPath(const QString &folder, const QString &name);

// Modal folder chooser titled `title` over `owner`; the chosen folder without a trailing "/"
// (the root stays "/"), or "" when cancelled or when the choice is not an existing folder.
QString BrowseForFolder(Toolkit &toolkit, QWidget *owner, const QString &title,
                        const QString &startFolder = QString());

// For `keepGoing`: true while `window` stays shown (or when it was not shown to begin with).
// Closing the window ends the program, so a walk it started has no one left to wait for.
std::function<bool()> WhileShown(const QWidget *window);

// Sorts names as a file manager shows them: digits by value ("2.zip" before "10.zip"), case folded.
void SortNaturally(QStringList &names);

// Windows-style wildcard match of a bare file name, as ListFiles uses it.
bool MatchesPattern(const QString &name, const QString &pattern);

// The walk lets the message loop run once per enumerated entry. A real turn costs far more than
// reading an entry, so turns closer together than the interval are only counted; buffered list
// rows are handed to the list right before each real turn.
class WalkTurns
{
public:
    WalkTurns(Toolkit &toolkit, int intervalMs);

    void yield();
    // Hands the rows of every open RowBatch to their lists.
    void flushRows();
    void setIntervalMs(int ms); // 0: every turn is real
    int intervalMs() const { return m_intervalMs; }
    quint64 count() const { return m_count; } // every turn asked for, real or not

private:
    friend class RowBatch;
    Toolkit &m_toolkit;
    QElapsedTimer m_sinceReal;
    int m_intervalMs = 10;
    quint64 m_count = 0;
    RowBatch *m_innermost = nullptr; // batches nest when a second import runs inside a first one
};

} // namespace qm
