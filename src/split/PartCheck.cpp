#include "split/PartCheck.h"

#include "archive/cUnzip.h"
#include "unzip32/unzip32.h"

#include <QHash>

#include <memory>
#include <tuple>

namespace qm {

namespace {

struct EntryKey
{
    QString path;
    std::int64_t size = 0;
    std::int32_t crc = 0;
    bool operator==(const EntryKey &other) const
    {
        return std::tie(path, size, crc) == std::tie(other.path, other.size, other.crc);
    }
};

size_t qHash(const EntryKey &key, size_t seed = 0)
{
    return ::qHash(key.path, seed) ^ ::qHash(key.size, seed) ^ ::qHash(key.crc, seed);
}

// The archive's entries, folders aside; false when the reader finds no sound archive there.
bool listEntries(const std::shared_ptr<UnzipLibrary> &library, const QString &path, QVector<EntryKey> &entries)
{
    const auto reader = std::make_unique<cUnzip>(library);
    reader->setZipFile(path);
    const std::int32_t code = reader->Directory();
    if (code != PK_OK && code != PK_WARN)
        return false;
    for (std::int32_t i = 1; i <= reader->FileCount(); ++i)
        entries.append({cUnzip::BuildEntryPath(reader->FileDirectory(i), reader->Filename(i)), reader->FileSize(i),
                        reader->FileCRC(i)});
    return true;
}

} // namespace

QString CheckParts(const std::shared_ptr<UnzipLibrary> &library, const QString &source,
                   const QVector<PartToCheck> &parts)
{
    // Listed again from the very file zipsplit read (source names the open handle), not from the
    // listing of the row's path made before it was opened.
    QVector<EntryKey> wanted;
    if (!listEntries(library, source, wanted))
        return QStringLiteral("its entries could not be listed to check the parts.");
    QHash<EntryKey, int> left; // how many of each entry no part has held yet
    for (const EntryKey &entry : wanted)
        ++left[entry];

    for (const PartToCheck &part : parts) {
        QVector<EntryKey> held;
        if (!listEntries(library, part.path, held))
            return QStringLiteral("part %1 is damaged.").arg(part.name);
        for (const EntryKey &entry : held) {
            const auto it = left.find(entry);
            if (it == left.end())
                return QStringLiteral("part %1 holds %2, which is not in the archive as it is.").arg(part.name, entry.path);
            if (it.value() == 0)
                return QStringLiteral("part %1 holds %2 a second time.").arg(part.name, entry.path);
            --it.value();
        }
    }
    for (auto it = left.cbegin(); it != left.cend(); ++it)
        if (it.value() > 0)
            return QStringLiteral("no part holds %1.").arg(it.key().path);
    return QString();
}

} // namespace qm
