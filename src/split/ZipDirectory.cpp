// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ZipDirectory.h"

#include "archive/cUnzip.h"
#include "common/Paths.h"
#include "split/PartPlan.h"
#include "split/SplitReason.h"

#include <sys/stat.h>

namespace qm {

ZipDirectory ListStoredDirectory(int fd, const std::shared_ptr<UnzipLibrary> &library, SplitFailure &failure)
{
    cUnzip reader(library);
    reader.setZipFile(QStringLiteral("/proc/self/fd/%1").arg(fd));
    if (reader.ListStored() == -1) {
        failure = {FailureKind::Reader, SplitReason::tr("the archive reader %1 could not be loaded.")
                                            .arg(library ? library->path() : UnzipLibrary::besideProgram())};
        return ZipDirectory();
    }
    ZipDirectory directory = reader.TakeStoredDirectory();
    const zip::Problem problem = directory.problem;
    failure = {problem == zip::Problem::None        ? FailureKind::None
               : problem == zip::Problem::ReadError ? FailureKind::Source
                                                    : FailureKind::NotZip,
               DirectoryProblem(problem)};
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
    return zip::ReadDirectory(bytes, zip::Locals::Read);
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

namespace {

SplitFailure unsplittable(const QString &text)
{
    return {FailureKind::Unsplittable, text};
}

QString entryName(const ZipDirectory &directory, const StoredZipEntry &entry)
{
    const std::string_view name = directory.name(entry);
    return paths::fromRaw(QByteArray(name.data(), qsizetype(name.size())));
}

// What zipsplit cannot copy entry by entry: a name it takes for no entry at all, an entry on
// another disk (it asks for that disk forever), a local header whose sizes are not the
// directory's (it copies the directory's count of bytes, and the part fails its CRC), and a
// Zip64 entry whose local field it cannot rewrite in place.
SplitFailure entryProblem(const ZipDirectory &directory)
{
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const StoredZipEntry &entry = directory.entries[i];
        //: %1 the entry's number, counted from 1 in the archive's directory
        if (entry.nameLength == 0)
            return unsplittable(
                SplitReason::tr("its entry #%1 has no name, which the splitting tool cannot split.").arg(qulonglong(i + 1)));
        //: %1 the entry, %2 a disk number
        if (entry.diskStart != 0)
            return unsplittable(SplitReason::tr("it names more than one disk: its entry %1 is on disk %2, which the "
                                                "splitting tool cannot read.")
                                    .arg(paths::shown(entryName(directory, entry)), QString::number(entry.diskStart)));
        if (entry.localSizesDiffer)
            return unsplittable(SplitReason::tr("it is damaged: the local header of its entry %1 gives other sizes "
                                                "than its directory does.")
                                    .arg(paths::shown(entryName(directory, entry))));
    }
    const std::ptrdiff_t damaged = EntryZipSplitDamages(directory);
    if (damaged >= 0)
        return unsplittable(SplitReason::tr("the splitting tool would damage its entry %1 (its local Zip64 field).")
                                .arg(paths::shown(entryName(directory, directory.entries[std::size_t(damaged)]))));
    return {};
}

} // namespace

// What zipsplit (Zip 3.0) reads otherwise than the reader, said before it runs: it takes the
// last end record in the file's tail as it stands, never moves offsets for a stub, reads one
// disk only (another in the Zip64 locator makes it wait for a disk on its input), and copies
// entries as their directory records say.
SplitFailure ZipSplitCannotSplit(const ZipDirectory &directory)
{
    if (directory.endDisk != 0 || directory.zip64CentralDisk != 0 || directory.locatorDisk != 0
        || (directory.zip64End && directory.totalDisks != 1))
        return unsplittable(SplitReason::tr("it is one segment of a spanned archive, which the splitting tool "
                                            "cannot split; zip -s 0 joins the segments into one archive."));
    if (directory.lastEndSignature != directory.endRecord)
        return unsplittable(SplitReason::tr("bytes after its directory (in its comment or after the archive) look "
                                            "like the end of an archive, which misleads the splitting tool."));
    if (directory.prefix != 0)
        return unsplittable(SplitReason::tr("it has %n byte(s) before its first entry (a self-extracting stub) that "
                                            "its offsets do not count, which the splitting tool cannot follow; zip "
                                            "-A mends that.",
                                            nullptr, int(std::min<std::uint64_t>(directory.prefix, 0x7FFFFFFF))));
    return entryProblem(directory);
}

} // namespace qm
