// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RunFolder.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace at {

QVector<QByteArray> names(int folder)
{
    QVector<QByteArray> found;
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR *dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return found;
    }
    ::rewinddir(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            found.append(name);
    }
    ::closedir(dir);
    return found;
}

bool removeChildren(int folder, std::initializer_list<const char *> keep)
{
    bool ok = true;
    for (const QByteArray &name : names(folder)) {
        if (std::any_of(keep.begin(), keep.end(), [&name](const char *kept) { return kept && name == kept; }))
            continue;
        struct stat st {};
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const UniqueFd child = openFolder(folder, name.constData());
            ok = child.isValid() && removeChildren(child.get()) && ok;
            ok = ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = ::unlinkat(folder, name.constData(), 0) == 0 && ok;
        }
    }
    return ok;
}

} // namespace at

QString HandlePath(int fd)
{
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(fd);
}

bool HandleReachable(int fd)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::stat(QFile::encodeName(HandlePath(fd)).constData(), &named) == 0
           && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

namespace {

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QByteArray randomName(const QByteArray &prefix)
{
    QByteArray name = prefix;
    for (int i = 0; i < 10; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name;
}

bool ownPrivateFolder(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Names a folder gets before it is locked: removeDead never looks at them.
constexpr char kUnlockedPrefix[] = ".quillmere-new-";

// The marker's name in a folder: the folder's own device and inode, which no rename changes and
// no other folder shares. Empty when the folder cannot be read.
QByteArray markerName(int folder)
{
    struct stat st {};
    if (::fstat(folder, &st) != 0)
        return {};
    return RunFolder::kMarkerPrefix + QByteArray::number(qulonglong(st.st_dev)) + '-'
           + QByteArray::number(qulonglong(st.st_ino));
}

// Whether no one but its owner may put anything into a folder (a run folder is made 0700).
bool closedToOthers(const struct stat &st)
{
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Whether the open folder holds the marker a run of ours made in it: an empty folder of this
// user's named after this very folder. Both closed to others: in a folder that others may write
// (a team's 2775 folder of the user's, renamed by one of them) a marker proves nothing.
bool holdsOwnMarker(int folder)
{
    const QByteArray name = markerName(folder);
    struct stat st {};
    if (name.isEmpty() || ::fstat(folder, &st) != 0 || !closedToOthers(st)
        || ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)
        || st.st_uid != ::geteuid() || !closedToOthers(st))
        return false;
    const UniqueFd marker = at::openFolder(folder, name.constData());
    return marker.isValid() && at::names(marker.get()).isEmpty();
}

// Whether the folder holds nothing but its marker (checked apart) and the kinds of files a run
// leaves: regular files (the tool, parts and zipsplit's temporary files), and in the sub-folder
// `links` links and regular files.
bool holdsOnlyLeftovers(int folder, const char *links)
{
    const QByteArray marker = markerName(folder);
    for (const QByteArray &name : at::names(folder)) {
        struct stat st {};
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (S_ISREG(st.st_mode) || name == marker)
            continue;
        if (!links || name != links || !S_ISDIR(st.st_mode))
            return false;
        const UniqueFd sub = at::openFolder(folder, links);
        if (!sub.isValid())
            return false;
        for (const QByteArray &inner : at::names(sub.get()))
            if (::fstatat(sub.get(), inner.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
                || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
                return false;
    }
    return true;
}

// Takes back a folder made for a run that could not become one (`folder`: its handle when it is
// ours, else -1), leaving errno as the failure set it.
void discardNew(int parent, const QByteArray &name, int folder)
{
    const int saved = errno;
    if (folder >= 0)
        ::unlinkat(folder, markerName(folder).constData(), AT_REMOVEDIR);
    ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
    errno = saved;
}

// Removes the folder's name from parent, only while it still leads to this very folder.
void unlinkIfStill(int parent, const QByteArray &name, int folder)
{
    struct stat mine {}, named {};
    if (::fstat(folder, &mine) == 0 && ::fstatat(parent, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
        ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
}

} // namespace

RunFolder::RunFolder(int parent, const QByteArray &prefix)
{
    m_parent.reset(::fcntl(parent, F_DUPFD_CLOEXEC, 0));
    if (!m_parent.isValid())
        return;
    // Made and locked under a name the sweep ignores, then renamed: a sweep of another run
    // can never take it for a dead run's folder in between.
    QByteArray temporary;
    for (int attempt = 0; attempt < 100 && temporary.isEmpty(); ++attempt) {
        const QByteArray name = randomName(QByteArray(kUnlockedPrefix));
        if (::mkdirat(m_parent.get(), name.constData(), S_IRWXU) == 0)
            temporary = name;
        else if (errno != EEXIST)
            return;
    }
    UniqueFd folder = at::openFolder(m_parent.get(), temporary.constData());
    // The marker is a folder: made new or not at all, as O_EXCL makes a file, and with no handle,
    // so that a run short of handles fails at the same steps with it as without.
    const QByteArray marker = folder.isValid() ? markerName(folder.get()) : QByteArray();
    if (!folder.isValid() || !ownPrivateFolder(folder.get()) || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0
        || marker.isEmpty() || ::mkdirat(folder.get(), marker.constData(), S_IRWXU) != 0) {
        discardNew(m_parent.get(), temporary, folder.isValid() && ownPrivateFolder(folder.get()) ? folder.get() : -1);
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = randomName(prefix);
        if (::renameat2(m_parent.get(), temporary.constData(), m_parent.get(), name.constData(), RENAME_NOREPLACE) == 0) {
            m_name = name;
            m_marker = marker;
            m_folder = std::move(folder);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    discardNew(m_parent.get(), temporary, folder.get());
}

bool RunFolder::exists() const
{
    struct stat st {};
    return isValid() && ::fstat(m_folder.get(), &st) == 0 && st.st_nlink > 0;
}

void RunFolder::remove()
{
    if (m_folder.isValid()) {
        at::removeChildren(m_folder.get());
        // Only when the name still leads to this very folder: it may have been renamed away.
        unlinkIfStill(m_parent.get(), m_name, m_folder.get());
        m_folder.reset();
    }
    m_parent.reset();
    m_name.clear();
    m_marker.clear();
}

bool RunFolder::clear(const char *keep) const
{
    return at::removeChildren(m_folder.get(), {m_marker.constData(), keep});
}

void RunFolder::removeDead(int parent, const QByteArray &prefix, const char *links)
{
    for (const QByteArray &name : at::names(parent)) {
        if (!name.startsWith(prefix))
            continue;
        const UniqueFd folder = at::openFolder(parent, name.constData());
        if (!folder.isValid() || !ownPrivateFolder(folder.get()) || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // not ours, not a folder, or a live run's
        // Only a folder a run of ours made, holding only what a run leaves: anything else that
        // bears the name (a folder of this user's renamed to it by another) stays whole.
        if (!holdsOwnMarker(folder.get()) || !holdsOnlyLeftovers(folder.get(), links))
            continue;
        at::removeChildren(folder.get());
        unlinkIfStill(parent, name, folder.get());
    }
}

} // namespace qm
