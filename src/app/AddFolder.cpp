// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AddFolder.h"

#include "app/FileListModel.h"
#include "common/AppError.h"
#include "common/Paths.h"
#include "toolkit/Toolkit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace qm {

namespace {

struct DirCloser
{
    void operator()(DIR *d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

using FolderId = std::pair<dev_t, ino_t>;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The name as text; bytes that are not UTF-8 are kept as escapes, so the row opens this file.
QString representableName(const char *raw)
{
    return paths::fromRaw(QByteArray(raw));
}

// Is the entry a folder, following links? Entries that vanished count as no folder.
bool entryIsFolder(DIR *dir, const dirent *entry, struct stat *st)
{
    if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    if (fstatat(dirfd(dir), entry->d_name, st, 0) != 0)
        return false;
    return S_ISDIR(st->st_mode);
}

// Entries that are not folders: files, broken links, fifos, sockets, devices. Nothing is opened.
bool entryIsNonFolder(DIR *dir, const dirent *entry)
{
    if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return true;
    if (entry->d_type == DT_DIR)
        return false;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0)
        return !S_ISDIR(st.st_mode);
    // A link to nothing is still a name in the folder; anything else has just vanished.
    return fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// "*.ext" without further wildcards is by far the most common pattern; it needs no matcher.
bool isPlainExtensionPattern(const QString &pattern, QString *suffix)
{
    if (!pattern.startsWith(QLatin1Char('*')) || pattern.size() < 2)
        return false;
    const QString rest = pattern.mid(1);
    if (rest.contains(QLatin1Char('*')) || rest.contains(QLatin1Char('?')) || rest == QStringLiteral("."))
        return false;
    *suffix = rest;
    return true;
}

QString describeUnreadable(const QStringList &unreadable)
{
    QString text = AppError::pathFileAccess(unreadable.first()).description();
    const int more = int(unreadable.size()) - 1;
    if (more > 0)
        text += QLatin1Char(' ')
                + QCoreApplication::translate("qm::AddFolder", "(and %n more folders that could not be read)",
                                              nullptr, more);
    return text;
}

} // namespace

WalkTurns::WalkTurns(Toolkit &toolkit, int intervalMs) : m_toolkit(toolkit)
{
    setIntervalMs(intervalMs);
}

void WalkTurns::yield()
{
    ++m_count;
    if (m_intervalMs > 0 && m_sinceReal.isValid() && m_sinceReal.elapsed() < m_intervalMs)
        return;
    flushRows();
    m_toolkit.doEvents();
    m_sinceReal.start();
}

void WalkTurns::flushRows()
{
    for (RowBatch *b = m_innermost; b; b = b->m_outer)
        b->flush();
}

void WalkTurns::setIntervalMs(int ms)
{
    m_intervalMs = ms < 0 ? 0 : ms;
}

std::function<bool()> WhileShown(const QWidget *window)
{
    const bool shown = window && window->isVisible();
    QPointer<const QWidget> guard(window);
    return [guard, shown] { return !shown || (guard && guard->isVisible()); };
}

bool MatchesPattern(const QString &name, const QString &pattern)
{
    // "*.*" is every name, also one without a dot.
    if (pattern == QStringLiteral("*.*") || pattern == QStringLiteral("*"))
        return true;
    QString suffix;
    if (isPlainExtensionPattern(pattern, &suffix))
        return name.endsWith(suffix, Qt::CaseInsensitive);

    // Iterative glob with one backtrack point: linear enough for names and never recursive.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern.at(p) == QLatin1Char('?')
                       || pattern.at(p).toCaseFolded() == name.at(n).toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of digits from `i`, without its leading zeros; `i` moves past it.
QStringView digitRun(QStringView s, qsizetype &i)
{
    while (i < s.size() && s[i] == QLatin1Char('0') && i + 1 < s.size() && isDigit(s[i + 1]))
        ++i;
    const qsizetype from = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return s.mid(from, i - from);
}

// Digits compare by value, everything else case folded; names alike so far compare as written.
int naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const QStringView x = digitRun(a, i), y = digitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y))
                return c;
            continue;
        }
        const char32_t x = QChar::toCaseFolded(char32_t(a[i].unicode())), y = QChar::toCaseFolded(char32_t(b[j].unicode()));
        if (x != y)
            return x < y ? -1 : 1;
        ++i, ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}

} // namespace

void SortNaturally(QStringList &names)
{
    // As a file manager shows them, whatever the locale: "2.zip" before "10.zip", case folded.
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return naturalCompare(a, b) < 0; });
}

void CollectSubfolders(QStringList &folders, bool recurse, const std::function<bool()> &keepGoing,
                       WalkTurns *turns)
{
    // A set of (device, inode) of every folder on the list guards against links that lead back
    // up the tree: each real folder is walked once, however many ways lead to it.
    std::set<FolderId> seen;
    struct stat st;
    for (const QString &f : std::as_const(folders))
        if (stat(paths::toRaw(f).constData(), &st) == 0)
            seen.insert({st.st_dev, st.st_ino});

    QStringList unreadable;
    // Level by level, never recursively: a tree 1,000 folders deep costs no stack.
    QStringList level = folders;
    while (!level.isEmpty()) {
        QStringList next;
        for (const QString &folder : std::as_const(level)) {
            if (turns)
                turns->yield();
            if (keepGoing && !keepGoing()) {
                folders.append(next);
                return;
            }
            DirHandle dir(opendir(paths::toRaw(folder).constData()));
            if (!dir) {
                if (errno != ENOENT && errno != ENOTDIR)
                    unreadable.append(paths::withoutTrailingSeparator(folder));
                continue;
            }
            QStringList children;
            while (const dirent *entry = readdir(dir.get())) {
                if (turns)
                    turns->yield();
                // Hidden folders are never walked; "." and ".." start with a dot as well.
                if (entry->d_name[0] == '.')
                    continue;
                if (!entryIsFolder(dir.get(), entry, &st))
                    continue;
                const QString name = representableName(entry->d_name);
                if (name.isNull())
                    continue;
                if (!seen.insert({st.st_dev, st.st_ino}).second)
                    continue;
                children.append(name);
            }
            SortNaturally(children);
            for (const QString &name : std::as_const(children))
                next.append(folder + name + paths::kSeparator);
        }
        folders.append(next);
        if (!recurse)
            break;
        level = std::move(next);
    }
    if (!unreadable.isEmpty())
        throw AppError(75, describeUnreadable(unreadable));
}

QStringList ListFiles(const QString &folder, const QString &pattern, WalkTurns *turns)
{
    QStringList names;
    names.reserve(100);
    DirHandle dir(opendir(paths::toRaw(paths::withTrailingSeparator(folder)).constData()));
    if (!dir)
        return names;
    const bool everything = pattern == QStringLiteral("*.*") || pattern == QStringLiteral("*");
    while (const dirent *entry = readdir(dir.get())) {
        // Not in the design's listing, but without it the list of a big folder tree is one long
        // stretch of frozen window.
        if (turns)
            turns->yield();
        if (isDotOrDotDot(entry->d_name))
            continue;
        const QString name = representableName(entry->d_name);
        if (name.isNull())
            continue;
        if (!everything && !MatchesPattern(name, pattern))
            continue;
        if (entryIsNonFolder(dir.get(), entry))
            names.append(name);
    }
    SortNaturally(names);
    return names;
}

QString RowPath(const QString &folder, const QString &name)
{
    return paths::repairRootJoin(paths::join(paths::withoutTrailingSeparator(folder), name));
}

QString BrowseForFolder(Toolkit &toolkit, QWidget *owner, const QString &title, const QString &startFolder)
{
    // The chooser is modal to the toolkit's owner; point that at the caller's window meanwhile.
    QWidget *previous = toolkit.owner();
    if (owner)
        toolkit.setOwner(owner);
    QString path;
    try {
        path = toolkit.chooseFolder(title, startFolder);
    } catch (...) {
        toolkit.setOwner(previous);
        throw;
    }
    toolkit.setOwner(previous);

    if (path.isEmpty())
        return QString(QLatin1String(""));
    while (!paths::isRoot(path) && paths::endsWithSeparator(path))
        path = paths::withoutTrailingSeparator(path);
    // Only real folders: anything else would end up as an output folder that cannot exist.
    if (!QFileInfo(path).isDir())
        return QString(QLatin1String(""));
    return path;
}

} // namespace qm
