// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// zipsplit names parts after the archive's name up to its first dot ("_" when that is empty),
// cut to eight bytes less the part number, which has as many digits as the last part's
// ("report.zip" in 12 parts: report01.zip ... report12.zip). Cut by bytes, "Фотографии.zip" would
// give "Фот" and half a "о": these helpers keep the names whole.

// The name zipsplit itself reads the source under (a link in the staging folder), so its parts
// come out as "a1.zip", "a2.zip"... whatever the archive is called.
constexpr char kSourceLinkName[] = "a.zip";

// Part `index` of a split whose part numbers have `width` digits, named as zipsplit names it for
// sourceArchive, the name cut at a whole character (with its combining marks) rather than inside
// one: Latin names come out exactly as zipsplit's.
QString PartName(const QString &sourceArchive, int index, int width);

// "<archive name>-<part name>.zip", then "... (2).zip" and so on for attempt 2, 3, ...; the
// archive's name is shortened at a character boundary so the result fits in 255 bytes.
QString NameShowingSource(const QString &sourceArchive, const QString &partName, int attempt);

} // namespace qm
