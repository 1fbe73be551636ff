// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PartCheck.h"

#include "split/SplitReason.h"

#include <QHash>

#include <tuple>

namespace qm {

namespace {

struct EntryKey
{
    QByteArray path;
    std::uint64_t size = 0;
    std::uint64_t compressed = 0;
    std::uint32_t crc = 0;
    bool operator==(const EntryKey &other) const
    {
        return std::tie(path, size, compressed, crc) == std::tie(other.path, other.size, other.compressed, other.crc);
    }
};

size_t qHash(const EntryKey &key, size_t seed = 0)
{
    return ::qHash(key.path, seed) ^ ::qHash(key.size, seed) ^ ::qHash(key.crc, seed);
}

EntryKey keyOf(const StoredZipEntry &entry)
{
    return {entry.name, entry.uncompressedSize, entry.compressedSize, entry.crc};
}

QString shown(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

} // namespace

QString CheckParts(const ZipDirectory &source, const QVector<WrittenPart> &parts)
{
    if (!source.problem.isEmpty())
        return SplitReason::tr("its entries could not be listed to check the parts.");
    QHash<EntryKey, int> left; // how many of each entry no part has held yet
    left.reserve(qsizetype(source.entries.size()));
    for (const StoredZipEntry &entry : source.entries)
        ++left[keyOf(entry)];
    for (const WrittenPart &part : parts) {
        if (!part.directory.problem.isEmpty())
            return SplitReason::tr("part %1 is damaged.").arg(part.name);
        for (const StoredZipEntry &entry : part.directory.entries) {
            const auto it = left.find(keyOf(entry));
            if (it == left.end())
                return SplitReason::tr("part %1 holds %2, which is not in the archive as it is.")
                    .arg(part.name, shown(entry.name));
            if (it.value() == 0)
                return SplitReason::tr("part %1 holds %2 a second time.").arg(part.name, shown(entry.name));
            --it.value();
        }
    }
    for (auto it = left.cbegin(); it != left.cend(); ++it)
        if (it.value() > 0)
            return SplitReason::tr("no part holds %1.").arg(shown(it.key().path));
    return QString();
}

} // namespace qm
