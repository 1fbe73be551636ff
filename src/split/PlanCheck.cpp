// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PlanCheck.h"

#include "common/UniqueFd.h"
#include "split/SplitReason.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr qint64 kEndRecord = 22;

UniqueFd openPart(int folder, const QByteArray &name, int mode)
{
    return UniqueFd(::openat(folder, name.constData(), mode | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

bool writeAt(int fd, const QByteArray &data, off_t offset)
{
    return ::pwrite(fd, data.constData(), std::size_t(data.size()), offset) == data.size();
}

// The same file: path, sizes and CRC-32 (what a reader of the part relies on).
bool sameEntry(const ZipDirectory &a, const StoredZipEntry &x, const ZipDirectory &b, const StoredZipEntry &y)
{
    return x.crc == y.crc && x.compressedSize == y.compressedSize && x.uncompressedSize == y.uncompressedSize
           && a.name(x) == b.name(y);
}

} // namespace

QByteArray ZipSplitPartName(const QByteArray &linkName, std::size_t index, std::size_t count)
{
    const int width = int(QByteArray::number(qulonglong(count)).size());
    const QByteArray stem = linkName.left(linkName.indexOf('.'));
    return stem + QByteArray::number(qulonglong(index)).rightJustified(width, '0') + ".zip";
}

bool AddArchiveComment(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const QByteArray &comment)
{
    if (comment.isEmpty())
        return true;
    QByteArray length(2, '\0');
    length[0] = char(comment.size() & 0xFF);
    length[1] = char(comment.size() >> 8);
    for (const StagingFolder::StagedPart &part : parts) {
        const UniqueFd fd = openPart(stagingFolder, part.name, O_RDWR);
        char end[kEndRecord];
        if (!fd.isValid() || part.size < kEndRecord
            || ::pread(fd.get(), end, sizeof end, off_t(part.size - kEndRecord)) != kEndRecord
            || QByteArray(end, 4) != QByteArray("PK\x05\x06", 4) || end[20] != 0 || end[21] != 0)
            return false;
        if (!writeAt(fd.get(), length, off_t(part.size - 2)) || !writeAt(fd.get(), comment, off_t(part.size)))
            return false;
    }
    return true;
}

QString CompareWithPlan(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const PartPlan &plan,
                        const ZipDirectory &source, const QByteArray &linkName,
                        const std::function<QString(int, int)> &shownName)
{
    const int count = int(plan.parts.size());
    if (std::size_t(parts.size()) != plan.parts.size())
        return SplitReason::tr("the splitting tool made %n parts where %1 were planned.", nullptr, int(parts.size()))
            .arg(plan.parts.size());
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const StagingFolder::StagedPart &part = parts[qsizetype(i)];
        const PlannedPart &planned = plan.parts[i];
        const QByteArray expected = ZipSplitPartName(linkName, i + 1, plan.parts.size());
        const QString shown = shownName(int(i) + 1, count);
        if (part.name != expected)
            return SplitReason::tr("the splitting tool did not name part %1 as planned.").arg(shown);
        const UniqueFd fd = openPart(stagingFolder, part.name, O_RDONLY);
        struct stat st {};
        if (!fd.isValid() || ::fstat(fd.get(), &st) != 0 || st.st_size != planned.size)
            return SplitReason::tr("part %1 is %2 bytes where %3 were planned.")
                .arg(shown, QString::number(qint64(st.st_size)), QString::number(planned.size));
        const ZipDirectory directory = ReadPartDirectory(fd.get());
        if (directory.problem != zip::Problem::None)
            return SplitReason::tr("part %1 is damaged.").arg(shown);
        bool same = directory.entries.size() == planned.entries.size();
        for (std::size_t e = 0; same && e < planned.entries.size(); ++e)
            same = sameEntry(directory, directory.entries[e], source, source.entries[planned.entries[e]]);
        if (!same)
            return SplitReason::tr("part %1 does not hold the entries planned for it.").arg(shown);
    }
    return QString();
}

} // namespace qm
