// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ZipDirectory.h"

#include "archive/cUnzip.h"
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

} // namespace qm
