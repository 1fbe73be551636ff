// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/StagingFolder.h"

#include "common/Paths.h"
#include "split/PartNames.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

const char kSourceFolder[] = "src";
constexpr char kPrefix[] = ".quillmere-split-";

} // namespace

StagingFolder::StagingFolder(const QString &outputFolder, int outputHandle) : m_outputFolder(outputFolder)
{
    if (outputHandle < 0)
        return;
    m_output.reset(::fcntl(outputHandle, F_DUPFD_CLOEXEC, 0));
    if (!m_output.isValid())
        return;
    RunFolder::removeDead(m_output.get(), kPrefix, kSourceFolder);
    m_run = RunFolder(m_output.get(), kPrefix);
}

StagingFolder::~StagingFolder()
{
    remove();
}

QByteArray StagingFolder::useSource(int sourceFd)
{
    if (!isValid())
        return {};
    if (!m_linked) {
        // A handle number of our own, reserved once, so the link never has to change.
        m_sourceSlot.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        if (!m_sourceSlot.isValid()
            || (::mkdirat(m_run.handle(), kSourceFolder, S_IRWXU) != 0 && errno != EEXIST))
            return {};
        const UniqueFd sources = at::openFolder(m_run.handle(), kSourceFolder);
        if (!sources.isValid()
            || ::symlinkat(QFile::encodeName(HandlePath(m_sourceSlot.get())).constData(), sources.get(),
                           kSourceLinkName) != 0)
            return {};
        m_linked = true;
    }
    if (::dup3(sourceFd, m_sourceSlot.get(), O_CLOEXEC) < 0)
        return {};
    return QByteArray(kSourceFolder) + '/' + kSourceLinkName;
}

QVector<StagingFolder::StagedPart> StagingFolder::parts() const
{
    QVector<StagedPart> found;
    if (!isValid())
        return found;
    for (const QByteArray &name : at::names(m_run.handle())) {
        struct stat st {};
        if (::fstatat(m_run.handle(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            found.append({name, static_cast<std::int64_t>(st.st_size)});
    }
    std::sort(found.begin(), found.end(), [](const StagedPart &a, const StagedPart &b) { return a.name < b.name; });
    return found;
}

bool StagingFolder::moveParts(const QString &sourceArchive, const QVector<NamedPart> &parts, QVector<Part> *moved)
{
    struct stat st {};
    // An output folder deleted mid-run still answers through its handle, but holds nothing.
    if (!isValid() || ::fstat(m_output.get(), &st) != 0 || st.st_nlink == 0)
        return false;
    QVector<QPair<QByteArray, Part>> done;
    for (const NamedPart &staged : parts) {
        const QString &wanted = staged.wanted;
        Part part{wanted, wanted};
        bool ok = renameWithoutReplacingAt(m_run.handle(), staged.staged.constData(), m_output.get(),
                                           paths::toRaw(part.savedAs).constData());
        for (int attempt = 1; !ok && errno == EEXIST && attempt < 1000; ++attempt) {
            part.savedAs = NameShowingSource(sourceArchive, wanted, attempt);
            ok = renameWithoutReplacingAt(m_run.handle(), staged.staged.constData(), m_output.get(),
                                          paths::toRaw(part.savedAs).constData());
        }
        if (!ok) {
            // Half an archive's parts are worse than none: take back what was moved.
            for (const auto &back : done)
                ::renameat(m_output.get(), paths::toRaw(back.second.savedAs).constData(), m_run.handle(),
                           back.first.constData());
            return false;
        }
        done.append({staged.staged, part});
    }
    if (moved)
        for (const auto &part : done)
            moved->append(part.second);
    return true;
}

bool StagingFolder::clear()
{
    // The source link stays for the next archive.
    return m_run.exists() && m_run.clear(kSourceFolder);
}

void StagingFolder::remove()
{
    m_sourceSlot.reset();
    m_linked = false;
    m_run.remove();
    m_output.reset();
}

} // namespace qm
