// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/OutputFolder.h"

#include "common/Paths.h"
#include "split/SplitReason.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qm {

QString OutputFolderUnfit(int folder, const QString &shown)
{
    struct stat st {};
    if (::fstat(folder, &st) != 0)
        return OutputFolderError(shown, errno);
    if (st.st_nlink == 0)
        return OutputFolderError(shown, ENOENT);
    if (::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return OutputFolderError(shown, errno);
    // Root may still write into the blocks kept back for it.
    struct statvfs fs {};
    if (::fstatvfs(folder, &fs) == 0
        && ((::geteuid() == 0 ? fs.f_bfree : fs.f_bavail) == 0 || (fs.f_files > 0 && fs.f_favail == 0)))
        return OutputFolderError(shown, ENOSPC);
    return QString();
}

QString OutputFolderError(const QString &shown, int error)
{
    const QString folder = paths::shown(shown);
    switch (error) {
    case ENOENT:
        return SplitReason::tr("the output folder %1 is gone.").arg(folder);
    case ENOTDIR:
        return SplitReason::tr("the output folder %1 is not a folder.").arg(folder);
    case EROFS:
        return SplitReason::tr("the output folder %1 is on a read-only file system.").arg(folder);
    case EACCES:
    case EPERM:
        return SplitReason::tr("you may not write into the output folder %1.").arg(folder);
    case ENOSPC:
    case EDQUOT:
        return SplitReason::tr("the disk that holds the output folder %1 is full.").arg(folder);
    default:
        return SplitReason::tr("nothing can be written into the output folder %1: %2.")
            .arg(folder, QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace qm
