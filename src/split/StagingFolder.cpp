#include "split/StagingFolder.h"

#include "common/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

QString inFolder(const QString &folder, const QString &name)
{
    return paths::repairRootJoin(paths::join(paths::withoutTrailingSeparator(folder), name));
}

} // namespace

bool renameWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name just as well.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return false;
    // Neither (FAT and the like): check, then rename; the best such a file system allows.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.constData(), target.constData()) == 0;
}

StagingFolder::StagingFolder(const QString &outputFolder)
    : m_outputFolder(outputFolder),
      m_dir(inFolder(outputFolder, QStringLiteral(".quillmere-split-XXXXXX")))
{
}

QString StagingFolder::nameShowingSource(const QString &sourceArchive, const QString &partName, int attempt)
{
    const QFileInfo part(partName);
    QString name = QFileInfo(sourceArchive).completeBaseName() + QLatin1Char('-') + part.completeBaseName();
    if (attempt > 1)
        name += QStringLiteral(" (%1)").arg(attempt);
    if (!part.suffix().isEmpty())
        name += QLatin1Char('.') + part.suffix();
    return name;
}

bool StagingFolder::moveParts(const QString &sourceArchive, QVector<Part> *moved)
{
    QVector<Part> done;
    if (!QFileInfo(path()).isDir())
        return false;
    const QStringList names = QDir(path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        const QString from = inFolder(path(), name);
        Part part{name, name};
        bool ok = renameWithoutReplacing(from, inFolder(m_outputFolder, name));
        for (int attempt = 1; !ok && errno == EEXIST && attempt < 1000; ++attempt) {
            part.savedAs = nameShowingSource(sourceArchive, name, attempt);
            ok = renameWithoutReplacing(from, inFolder(m_outputFolder, part.savedAs));
        }
        if (!ok) {
            // Half an archive's parts are worse than none: take back what was moved.
            for (const Part &back : done)
                QFile::remove(inFolder(m_outputFolder, back.savedAs));
            return false;
        }
        done.append(part);
    }
    if (moved)
        *moved += done;
    return true;
}

bool StagingFolder::clear()
{
    if (!isValid())
        return false;
    QDir dir(path());
    if (!dir.exists())
        return false;
    bool ok = true;
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString entry = inFolder(path(), name);
        if (QFileInfo(entry).isDir() && !QFileInfo(entry).isSymLink())
            ok = QDir(entry).removeRecursively() && ok;
        else
            ok = QFile::remove(entry) && ok;
    }
    return ok;
}

void StagingFolder::remove()
{
    m_dir.remove();
}

} // namespace qm
