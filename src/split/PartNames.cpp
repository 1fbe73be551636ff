// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/PartNames.h"

#include "common/Paths.h"

#include <QFileInfo>
#include <QTextBoundaryFinder>

namespace qm {

namespace {

constexpr int kNameMax = 255; // bytes in one file name on Linux file systems

// The archive's name up to its first dot: what zipsplit builds part names from. Bytes that are
// not UTF-8 stay as they are (escaped, see paths::fromRaw), as zipsplit keeps them.
QString stemOf(const QString &sourceArchive)
{
    const QString name = QFileInfo(sourceArchive).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// The longest start of text, ending on a character boundary, whose bytes fit in maxBytes.
QString cutToBytes(const QString &text, qsizetype maxBytes)
{
    if (paths::toRaw(text).size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        if (paths::toRaw(text.left(next)).size() > maxBytes)
            break;
        kept = next;
    }
    return text.left(kept);
}

} // namespace

QString PartName(const QString &sourceArchive, int index, int width)
{
    const QString stem = stemOf(sourceArchive);
    QString kept = cutToBytes(stem, 8 - width);
    if (kept.isEmpty()) {
        kept = QStringLiteral("_");
    } else if (kept.size() < stem.size() && stem.at(kept.size()) >= QLatin1Char('0')
               && stem.at(kept.size()) <= QLatin1Char('9')) {
        // Cut before a digit, the name would run into the part number ("backup2024" would give
        // "backup21.zip"): zipsplit turns its last character into "_", or "-" when it was one.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, kept);
        finder.toEnd();
        const qsizetype last = finder.toPreviousBoundary();
        const bool underscore = kept.mid(last) == QLatin1String("_");
        kept = kept.left(last) + (underscore ? QLatin1Char('-') : QLatin1Char('_'));
    }
    return kept + QStringLiteral("%1.zip").arg(index, width, 10, QLatin1Char('0'));
}

QString NameShowingSource(const QString &sourceArchive, const QString &partName, int attempt)
{
    const QFileInfo part(partName);
    QString rest = QLatin1Char('-') + part.completeBaseName();
    if (attempt > 1)
        rest += QStringLiteral(" (%1)").arg(attempt);
    if (!part.suffix().isEmpty())
        rest += QLatin1Char('.') + part.suffix();
    const qsizetype room = kNameMax - paths::toRaw(rest).size();
    return cutToBytes(QFileInfo(sourceArchive).completeBaseName(), room) + rest;
}

} // namespace qm
