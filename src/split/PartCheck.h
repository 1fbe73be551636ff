#pragma once

#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

namespace qm {

class UnzipLibrary;

// One part as the check sees it: where the reader finds it, the name it is shown under.
struct PartToCheck
{
    QString path;
    QString name;
};

// Proves an archive's parts before it counts as split, from the directories alone (no data is
// read): every part opens as a ZIP archive; together they hold exactly the source's entries
// (path, size, CRC-32; each once). A part may hold folders only. Returns why not, in plain
// words; empty when the parts are sound.
QString CheckParts(const std::shared_ptr<UnzipLibrary> &library, const QString &source,
                   const QVector<PartToCheck> &parts);

} // namespace qm
