// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ZipDirectory.h"

#include "archive/cUnzip.h"
#include "split/PartPlan.h"
#include "split/SplitReason.h"

#include <sys/stat.h>

namespace qm {

ZipDirectory ListStoredDirectory(int fd, const std::shared_ptr<UnzipLibrary> &library, QString &failure)
{
    cUnzip reader(library);
    reader.setZipFile(QStringLiteral("/proc/self/fd/%1").arg(fd));
    if (reader.ListStored() == -1) {
        failure = SplitReason::tr("the archive reader %1 could not be loaded.")
                      .arg(library ? library->path() : UnzipLibrary::besideProgram());
        return ZipDirectory();
    }
    ZipDirectory directory = reader.TakeStoredDirectory();
    failure = DirectoryProblem(directory.problem);
    return directory;
}

ZipDirectory ReadPartDirectory(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ZipDirectory directory;
        directory.problem = zip::Problem::ReadError;
        return directory;
    }
    zip::Bytes bytes = zip::Bytes::file(fd, std::uint64_t(st.st_size));
    return zip::ReadDirectory(bytes, zip::Locals::Skip);
}

QString DirectoryProblem(zip::Problem problem)
{
    switch (problem) {
    case zip::Problem::None:
        return QString();
    case zip::Problem::NotZip:
        return SplitReason::tr("it is not a ZIP archive, or it is damaged.");
    case zip::Problem::ReadError:
        return SplitReason::tr("the file cannot be read.");
    case zip::Problem::DirectoryOutside:
        return SplitReason::tr("it is damaged: the file ends before its directory does.");
    case zip::Problem::Zip64Damaged:
        return SplitReason::tr("it is damaged: its Zip64 end record is missing or wrong.");
    case zip::Problem::WrongCount:
        return SplitReason::tr("it is damaged: its directory does not hold the entries it counts.");
    case zip::Problem::EntryOutside:
        return SplitReason::tr("it is damaged: its directory places entries outside the file.");
    }
    return QString();
}

// What zipsplit (Zip 3.0) reads otherwise than the reader, said before it runs: it takes the
// last end record in the file's tail as it stands, never moves offsets for a stub, reads one
// disk only (another in the Zip64 locator makes it wait for a disk on its input), and damages
// a Zip64 entry whose local Zip64 field it cannot rewrite in place.
QString ZipSplitCannotSplit(const ZipDirectory &directory)
{
    if (directory.endDisk != 0 || directory.zip64CentralDisk != 0 || directory.locatorDisk != 0
        || (directory.zip64End && directory.totalDisks != 1))
        return SplitReason::tr("it names more than one disk (a spanned archive), which the splitting "
                               "tool cannot split.");
    if (directory.lastEndSignature != directory.endRecord)
        return SplitReason::tr("bytes after its directory (in its comment or after the archive) look like the "
                               "end of an archive, which misleads the splitting tool.");
    if (directory.prefix != 0)
        return SplitReason::tr("it has %n byte(s) before its first entry (a self-extracting stub) that its offsets "
                               "do not count, which the splitting tool cannot follow; zip -A mends that.",
                               nullptr, int(std::min<std::uint64_t>(directory.prefix, 0x7FFFFFFF)));
    const std::ptrdiff_t damaged = EntryZipSplitDamages(directory);
    if (damaged >= 0) {
        const std::string_view name = directory.name(directory.entries[std::size_t(damaged)]);
        return SplitReason::tr("the splitting tool would damage its entry %1 (its local Zip64 field).")
            .arg(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    return QString();
}

} // namespace qm
