#include "split/PartNames.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace qm {

namespace {

constexpr int kNameMax = 255; // bytes in one file name on Linux file systems

// The archive's name up to its first dot: what zipsplit builds part names from.
QString stemOf(const QString &sourceArchive)
{
    const QString name = QFileInfo(sourceArchive).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// The longest start of text, ending on a character boundary, whose UTF-8 fits in maxBytes.
QString cutToBytes(const QString &text, qsizetype maxBytes)
{
    if (text.toUtf8().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        if (text.left(next).toUtf8().size() > maxBytes)
            break;
        kept = next;
    }
    return text.left(kept);
}

// Where zipsplit's part number starts: the digits before a final ".zip".
qsizetype numberStart(const QByteArray &name)
{
    if (!name.toLower().endsWith(".zip"))
        return name.size();
    qsizetype start = name.size() - 4;
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9')
        --start;
    return start;
}

} // namespace

bool IsValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QByteArray SourceLinkName(const QString &sourceArchive)
{
    // Whole characters, so the name passes through the process's argument list unchanged.
    const QByteArray stem = cutToBytes(stemOf(sourceArchive), 16).toUtf8();
    return (stem.isEmpty() ? QByteArrayLiteral("_") : stem) + QByteArrayLiteral(".zip");
}

QString ValidPartName(const QByteArray &zipSplitName, const QString &sourceArchive)
{
    if (IsValidUtf8(zipSplitName))
        return QString::fromUtf8(zipSplitName);
    const qsizetype tailStart = numberStart(zipSplitName);
    const QByteArray head = zipSplitName.left(tailStart);
    const QString tail = QString::fromUtf8(zipSplitName.mid(tailStart));

    QString kept = cutToBytes(stemOf(sourceArchive), head.size());
    if (!head.startsWith(kept.toUtf8())) {
        // Not cut from this archive's name after all: keep what of it is whole characters.
        qsizetype valid = head.size();
        while (valid > 0 && !IsValidUtf8(head.left(valid)))
            --valid;
        kept = cutToBytes(QString::fromUtf8(head.left(valid)), valid);
    }
    return (kept.isEmpty() ? QStringLiteral("_") : kept) + tail;
}

QString NameShowingSource(const QString &sourceArchive, const QString &partName, int attempt)
{
    const QFileInfo part(partName);
    QString rest = QLatin1Char('-') + part.completeBaseName();
    if (attempt > 1)
        rest += QStringLiteral(" (%1)").arg(attempt);
    if (!part.suffix().isEmpty())
        rest += QLatin1Char('.') + part.suffix();
    const qsizetype room = kNameMax - rest.toUtf8().size();
    return cutToBytes(QFileInfo(sourceArchive).completeBaseName(), room) + rest;
}

} // namespace qm
