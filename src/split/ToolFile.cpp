// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ToolFile.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "posix/FileOps.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Resources of a static library are only linked in when something names them.
static void initToolResource()
{
    Q_INIT_RESOURCE(zipsplit);
}

namespace qm {

QString ToolFolder()
{
    const QString appData = QFile::decodeName(qgetenv("APPDATA"));
    if (!appData.isEmpty() && !paths::isRoot(QDir::cleanPath(appData)))
        return paths::withoutTrailingSeparator(appData);

    // Without APPDATA the tool must not land in the file-system root: use the user's data folder.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty() || paths::isRoot(QDir::cleanPath(base)))
        throw AppError::pathNotFound();
    const QString folder = paths::repairRootJoin(
        paths::join(paths::withoutTrailingSeparator(base), QStringLiteral("Veltrane/Quillmere")));
    if (!QDir().mkpath(folder))
        throw AppError::pathNotFound(folder);
    return folder;
}

QByteArray LoadToolBytes(const QString &source)
{
    initToolResource();
    QFile file(source.isEmpty() ? QStringLiteral(":/CUSTOM/101") : source);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(326, AppError::tr("Resource with identifier '101' not found"));
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        throw AppError(326, AppError::tr("Resource with identifier '101' not found"));
    return bytes;
}

QString EmbeddedToolVersion()
{
    initToolResource();
    QFile file(QStringLiteral(":/CUSTOM/101.version"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

namespace {

constexpr char kRunPrefix[] = ".quillmere-tool-";
constexpr char kToolName[] = "zipsplit";

// The error with the system's words for errno added, so the user learns why, not only where;
// errno is read first, before making the error can change it.
template <typename MakeError>
AppError withReason(MakeError makeError)
{
    const int error = errno;
    const AppError made = makeError();
    return AppError(made.number(), QStringLiteral("%1 (%2)").arg(made.description(),
                                                                QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

DeployedTool::DeployedTool(const QByteArray &bytes, const QString &toolFolder)
{
    const UniqueFd parent(::open(QFile::encodeName(toolFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.isValid())
        throw withReason([&] { return AppError::pathNotFound(toolFolder); });
    RunFolder::removeDead(parent.get(), kRunPrefix);
    m_folder = RunFolder(parent.get(), kRunPrefix);
    if (!m_folder.isValid())
        throw withReason([&] { return AppError::pathFileAccess(toolFolder); });
    m_path = paths::repairRootJoin(paths::join(toolFolder, QFile::decodeName(m_folder.name()) + QLatin1Char('/')
                                                               + QLatin1String(kToolName)));
    {
        // Close-on-exec: a forked child must never inherit a write handle to the tool (ETXTBSY).
        const UniqueFd out(::openat(m_folder.handle(), kToolName,
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRWXU));
        if (!out.isValid())
            throw withReason([&] { return AppError::pathFileAccess(m_path); });
        if (!posix::writeAll(out.get(), bytes.constData(), static_cast<size_t>(bytes.size())) || ::fsync(out.get()) != 0)
            throw withReason([] { return AppError(61, AppError::tr("Disk full")); });
    }
    m_file.reset(::openat(m_folder.handle(), kToolName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!m_file.isValid())
        throw AppError::pathFileAccess(m_path);
}

QString DeployedTool::program() const
{
    return HandlePath(m_file.get());
}

} // namespace qm
