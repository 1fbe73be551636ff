#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// zipsplit names parts after the first bytes of the archive's name, up to its first dot, cut to
// eight bytes less the part number ("Фотографии.zip" gives the bytes "Фот" and half a "о", then
// "1.zip"). These helpers keep such names readable.

// The name zipsplit is given for the source (a link to the very file of the row): the archive's
// name up to its first dot, at most 16 bytes, with ".zip", so the parts come out named exactly as
// they would from the archive itself, whatever its extension or length.
QByteArray SourceLinkName(const QString &sourceArchive);

// The part's name in the output folder: zipsplit's name when it is valid UTF-8, so Latin names
// stay as they are; otherwise the archive's name cut back to a whole character (a character with
// its combining marks) before the part number.
QString ValidPartName(const QByteArray &zipSplitName, const QString &sourceArchive);

// "<archive name>-<part name>.zip", then "... (2).zip" and so on for attempt 2, 3, ...; the
// archive's name is shortened at a character boundary so the result fits in 255 bytes.
QString NameShowingSource(const QString &sourceArchive, const QString &partName, int attempt);

// True when bytes are valid UTF-8.
bool IsValidUtf8(const QByteArray &bytes);

} // namespace qm
