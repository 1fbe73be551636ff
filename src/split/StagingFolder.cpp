#include "split/StagingFolder.h"

#include "common/Paths.h"
#include "split/PartNames.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

const char kSourceFolder[] = "src";

UniqueFd openFolderAt(int parent, const char *name)
{
    return UniqueFd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Names in an open folder, read by raw bytes ("." and ".." aside).
QVector<QByteArray> namesIn(int folder)
{
    QVector<QByteArray> names;
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR *dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// Removes everything inside an open folder without following any link.
bool removeChildren(int folder)
{
    bool ok = true;
    for (const QByteArray &name : namesIn(folder)) {
        struct stat st {};
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const UniqueFd child = openFolderAt(folder, name.constData());
            ok = child.isValid() && removeChildren(child.get()) && ok;
            ok = ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = ::unlinkat(folder, name.constData(), 0) == 0 && ok;
        }
    }
    return ok;
}

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QByteArray randomName()
{
    QByteArray name = ".quillmere-split-";
    for (int i = 0; i < 8; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name;
}

} // namespace

bool renameWithoutReplacingAt(int fromFolder, const char *from, int toFolder, const char *to)
{
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name just as well.
    if (::linkat(fromFolder, from, toFolder, to, 0) == 0) {
        ::unlinkat(fromFolder, from, 0);
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return false;
    // Neither (FAT and the like): check, then rename; the best such a file system allows.
    struct stat st {};
    if (::fstatat(toFolder, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder, from, toFolder, to) == 0;
}

StagingFolder::StagingFolder(const QString &outputFolder) : m_outputFolder(outputFolder)
{
    if (outputFolder.isEmpty())
        return;
    m_output.reset(::open(QFile::encodeName(outputFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_output.isValid())
        return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = randomName();
        if (::mkdirat(m_output.get(), name.constData(), S_IRWXU) == 0) {
            m_name = name;
            break;
        }
        if (errno != EEXIST)
            return;
    }
    if (m_name.isEmpty())
        return;
    m_folder = openFolderAt(m_output.get(), m_name.constData());
    struct stat st {};
    if (m_folder.isValid() && (::fstat(m_folder.get(), &st) != 0 || st.st_uid != ::geteuid()))
        m_folder.reset(); // someone else's folder took its place
}

StagingFolder::~StagingFolder()
{
    remove();
}

QString StagingFolder::path() const
{
    return paths::repairRootJoin(paths::join(paths::withoutTrailingSeparator(m_outputFolder),
                                             QFile::decodeName(m_name)));
}

QByteArray StagingFolder::linkSource(const QByteArray &linkName, int sourceFd)
{
    if (!isValid())
        return {};
    if (::mkdirat(m_folder.get(), kSourceFolder, S_IRWXU) != 0 && errno != EEXIST)
        return {};
    const UniqueFd sources = openFolderAt(m_folder.get(), kSourceFolder);
    if (!sources.isValid())
        return {};
    ::unlinkat(sources.get(), linkName.constData(), 0);
    // /proc/self is the tool process itself, which inherits the open file under the same number.
    const QByteArray target = "/proc/self/fd/" + QByteArray::number(sourceFd);
    if (::symlinkat(target.constData(), sources.get(), linkName.constData()) != 0)
        return {};
    return QByteArray(kSourceFolder) + '/' + linkName;
}

QVector<StagingFolder::StagedPart> StagingFolder::parts() const
{
    QVector<StagedPart> found;
    if (!isValid())
        return found;
    for (const QByteArray &name : namesIn(m_folder.get())) {
        struct stat st {};
        if (::fstatat(m_folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            found.append({name, static_cast<std::int64_t>(st.st_size)});
    }
    std::sort(found.begin(), found.end(), [](const StagedPart &a, const StagedPart &b) { return a.name < b.name; });
    return found;
}

bool StagingFolder::clearParts()
{
    bool ok = true;
    for (const StagedPart &part : parts())
        ok = ::unlinkat(m_folder.get(), part.name.constData(), 0) == 0 && ok;
    return ok;
}

bool StagingFolder::moveParts(const QString &sourceArchive, QVector<Part> *moved)
{
    struct stat st {};
    // An output folder deleted mid-run still answers through its handle, but holds nothing.
    if (!isValid() || ::fstat(m_output.get(), &st) != 0 || st.st_nlink == 0)
        return false;
    QVector<QPair<QByteArray, Part>> done;
    for (const StagedPart &staged : parts()) {
        const QString wanted = ValidPartName(staged.name, sourceArchive);
        Part part{wanted, wanted};
        bool ok = renameWithoutReplacingAt(m_folder.get(), staged.name.constData(), m_output.get(),
                                           QFile::encodeName(part.savedAs).constData());
        for (int attempt = 1; !ok && errno == EEXIST && attempt < 1000; ++attempt) {
            part.savedAs = NameShowingSource(sourceArchive, wanted, attempt);
            ok = renameWithoutReplacingAt(m_folder.get(), staged.name.constData(), m_output.get(),
                                          QFile::encodeName(part.savedAs).constData());
        }
        if (!ok) {
            // Half an archive's parts are worse than none: take back what was moved.
            for (const auto &back : done)
                ::renameat(m_output.get(), QFile::encodeName(back.second.savedAs).constData(), m_folder.get(),
                           back.first.constData());
            return false;
        }
        done.append({staged.name, part});
    }
    if (moved)
        for (const auto &part : done)
            moved->append(part.second);
    return true;
}

bool StagingFolder::clear()
{
    struct stat st {};
    if (!isValid() || ::fstat(m_folder.get(), &st) != 0 || st.st_nlink == 0)
        return false;
    return removeChildren(m_folder.get());
}

void StagingFolder::remove()
{
    if (m_folder.isValid()) {
        removeChildren(m_folder.get());
        m_folder.reset();
    }
    if (m_output.isValid() && !m_name.isEmpty())
        ::unlinkat(m_output.get(), m_name.constData(), AT_REMOVEDIR);
    m_name.clear();
    m_output.reset();
}

} // namespace qm
