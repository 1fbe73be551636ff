// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RunFolder.h"

#include <QRandomGenerator>

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

bool removeChildren(int folder, const char *keep)
{
    bool ok = true;
    for (const QByteArray &name : names(folder)) {
        if (keep && name == keep)
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
    if (!folder.isValid() || !ownPrivateFolder(folder.get()) || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0) {
        ::unlinkat(m_parent.get(), temporary.constData(), AT_REMOVEDIR);
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = randomName(prefix);
        if (::renameat2(m_parent.get(), temporary.constData(), m_parent.get(), name.constData(), RENAME_NOREPLACE) == 0) {
            m_name = name;
            m_folder = std::move(folder);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    ::unlinkat(m_parent.get(), temporary.constData(), AT_REMOVEDIR);
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
        struct stat mine {}, named {};
        if (::fstat(m_folder.get(), &mine) == 0
            && ::fstatat(m_parent.get(), m_name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            ::unlinkat(m_parent.get(), m_name.constData(), AT_REMOVEDIR);
        m_folder.reset();
    }
    m_parent.reset();
    m_name.clear();
}

void RunFolder::removeDead(int parent, const QByteArray &prefix)
{
    for (const QByteArray &name : at::names(parent)) {
        if (!name.startsWith(prefix))
            continue;
        const UniqueFd folder = at::openFolder(parent, name.constData());
        if (!folder.isValid() || !ownPrivateFolder(folder.get()) || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // not ours, not a folder, or a live run's
        at::removeChildren(folder.get());
        ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
    }
}

} // namespace qm
