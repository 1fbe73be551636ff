// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/ZipDirectory.h"

#include <QString>
#include <QVector>

namespace qm {

// One part as the check sees it: the name it is shown under and its directory as written.
struct WrittenPart
{
    QString name;
    ZipDirectory directory;
};

// Proves an archive's parts before it counts as split, from the directories alone (no data is
// read): every part reads as a ZIP archive; together they hold exactly the source's entries
// (path, sizes, CRC-32; each once). Folders are entries like any other, and a part may hold
// folders only. Returns why not, in plain words; empty when the parts are sound.
QString CheckParts(const ZipDirectory &source, const QVector<WrittenPart> &parts);

} // namespace qm
