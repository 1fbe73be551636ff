// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Paths.h"

#include <algorithm>

namespace qm::paths {

bool isRoot(const QString &path)
{
    return path == QStringLiteral("/");
}

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(kSeparator);
}

QString withoutTrailingSeparator(const QString &path)
{
    if (!isRoot(path) && endsWithSeparator(path))
        return path.left(path.size() - 1);
    return path;
}

QString withTrailingSeparator(const QString &path)
{
    return endsWithSeparator(path) ? path : path + kSeparator;
}

QString join(const QString &folder, const QString &name)
{
    return folder + kSeparator + name;
}

QString repairRootJoin(const QString &path)
{
    QString out = path;
    while (out.startsWith(QStringLiteral("//")))
        out.remove(0, 1);
    return out;
}

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at p (of n bytes left), 0 when there is none.
int sequenceAt(const unsigned char *p, qsizetype n)
{
    const unsigned char c = p[0];
    int length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || length > n)
        return 0;
    for (int i = 1; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0) || (c == 0xF0 && p[1] < 0x90)
        || (c == 0xF4 && p[1] >= 0x90))
        return 0;
    return length;
}

} // namespace

QString fromRaw(const QByteArray &bytes)
{
    QString name;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = sequenceAt(p + i, bytes.size() - i);
        if (length == 0) {
            name += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return name;
}

QByteArray toRaw(const QString &name)
{
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        const bool escaped = i < name.size() && name[i].unicode() >= kEscapeBase + 0x80
                             && name[i].unicode() <= kEscapeBase + 0xFF
                             && !(i > 0 && name[i - 1].isHighSurrogate());
        if (i == name.size() || escaped) {
            bytes += name.mid(start, i - start).toUtf8();
            if (escaped)
                bytes += char(name[i].unicode() - kEscapeBase);
            start = i + 1;
        }
    }
    return bytes;
}

QString shown(const QString &name)
{
    const QString text = QString::fromUtf8(toRaw(name));
    // A control character would act on a terminal (set its title, clear the screen, hide the
    // lines before it) or break a line in a box: each of its bytes is shown in octal, as ls -b does.
    const auto control = [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F); };
    if (std::none_of(text.begin(), text.end(), control))
        return text;
    QString out;
    for (const QChar c : text) {
        if (!control(c)) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("\\%1").arg(uint(uchar(byte)), 3, 8, QLatin1Char('0'));
    }
    return out;
}

} // namespace qm::paths
