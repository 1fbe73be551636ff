// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qm::paths {

constexpr QChar kSeparator = QLatin1Char('/');

bool isRoot(const QString &path);
bool endsWithSeparator(const QString &path);
// "is not the root and ends with /: drop one"
QString withoutTrailingSeparator(const QString &path);
// Ensures exactly one trailing separator ("/" stays "/").
QString withTrailingSeparator(const QString &path);
// folder + "/" + name, written the way the program joins paths (no check of the parts).
QString join(const QString &folder, const QString &name);
// Collapses the doubled separator a join onto the root leaves ("//x" becomes "/x").
QString repairRootJoin(const QString &path);

// File names are bytes, and not every name is UTF-8 (old tools, Windows shares, other locales).
// A name's bytes that are not UTF-8 travel through the program's text as lone surrogates
// U+DC80..U+DCFF, one per byte, so that every name comes back to the very bytes it had.
QString fromRaw(const QByteArray &bytes);
QByteArray toRaw(const QString &name);
// The name for people to read, wherever it is shown (a box, the list, standard error): each byte
// that is not UTF-8 becomes U+FFFD, and each control character (C0, DEL, C1) the octal escapes of
// its bytes ("\033" for ESC), so a name cannot drive a terminal or break a line.
QString shown(const QString &name);

} // namespace qm::paths
