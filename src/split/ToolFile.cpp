#include "split/ToolFile.h"

#include "common/AppError.h"
#include "common/Paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Resources of a static library are only linked in when something names them.
static void initToolResource()
{
    Q_INIT_RESOURCE(zipsplit);
}

namespace qm {

namespace {

QString &toolSourceOverride()
{
    static QString path;
    return path;
}

} // namespace

QString ToolFolder()
{
    const QString appData = QFile::decodeName(qgetenv("APPDATA"));
    if (!appData.isEmpty() && !paths::isRoot(paths::withoutTrailingSeparator(appData)))
        return paths::withoutTrailingSeparator(appData);

    // Without APPDATA the tool must not land in the file-system root: use the user's data folder.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty() || paths::isRoot(base))
        throw AppError::pathNotFound();
    const QString folder = paths::repairRootJoin(
        paths::join(paths::withoutTrailingSeparator(base), QStringLiteral("Veltrane/Quillmere")));
    if (!QDir().mkpath(folder))
        throw AppError::pathNotFound(folder);
    return folder;
}

QString ToolPath()
{
    return paths::repairRootJoin(paths::join(ToolFolder(), QStringLiteral("zipsplit")));
}

void setToolSourceForTests(const QString &path)
{
    toolSourceOverride() = path;
}

QByteArray LoadToolBytes()
{
    initToolResource();
    const QString source = toolSourceOverride().isEmpty() ? QStringLiteral(":/CUSTOM/101")
                                                          : toolSourceOverride();
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(326, QStringLiteral("Resource with identifier '101' not found"));
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        throw AppError(326, QStringLiteral("Resource with identifier '101' not found"));
    return bytes;
}

void DeployTool(const QByteArray &bytes, const QString &path)
{
    QByteArray temp = QFile::encodeName(path) + QByteArrayLiteral(".XXXXXX");
    // Close-on-exec: a forked child must never inherit a write handle to the tool.
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw AppError::pathFileAccess(path);

    const auto fail = [&](AppError error) {
        ::close(fd);
        ::unlink(temp.constData());
        throw error;
    };
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(AppError(61, QStringLiteral("Disk full")));
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0)
        fail(AppError(61, QStringLiteral("Disk full")));
    if (::fchmod(fd, S_IRWXU) != 0)
        fail(AppError::pathFileAccess(path));
    if (::close(fd) != 0) {
        ::unlink(temp.constData());
        throw AppError(61, QStringLiteral("Disk full"));
    }
    if (::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temp.constData());
        throw AppError::pathFileAccess(path);
    }
}

bool IsSafeToolFile(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace qm
