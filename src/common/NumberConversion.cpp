// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NumberConversion.h"

#include "common/AppError.h"

namespace qm {

namespace {

struct ParsedNumber
{
    bool negative = false;
    QString whole;    // digits before the point, may be empty
    QString fraction; // digits after the point, may be empty
};

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool parse(const QString &text, ParsedNumber &out)
{
    int i = 0;
    int end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        out.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    while (i < end && isDigit(text[i]))
        out.whole.append(text[i++]);
    if (i < end && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < end && isDigit(text[i]))
            out.fraction.append(text[i++]);
    }
    return i == end && !(out.whole.isEmpty() && out.fraction.isEmpty());
}

// Rounds the parsed magnitude half-to-even and checks it against [-limitNeg, limitPos].
std::int64_t roundChecked(const ParsedNumber &n, std::int64_t limitPos, std::int64_t limitNeg)
{
    // Leading zeros do not count towards the size of the number.
    int first = 0;
    while (first < n.whole.size() && n.whole[first] == QLatin1Char('0'))
        ++first;
    const QString digits = n.whole.mid(first);
    if (digits.size() > 12)
        throw AppError::overflow();
    std::int64_t magnitude = 0;
    for (QChar c : digits)
        magnitude = magnitude * 10 + (c.unicode() - '0');

    if (!n.fraction.isEmpty()) {
        const QChar lead = n.fraction[0];
        bool restNonZero = false;
        for (int i = 1; i < n.fraction.size(); ++i)
            restNonZero = restNonZero || n.fraction[i] != QLatin1Char('0');
        if (lead > QLatin1Char('5') || (lead == QLatin1Char('5') && restNonZero))
            ++magnitude;
        else if (lead == QLatin1Char('5') && (magnitude % 2) == 1)
            ++magnitude;
    }
    if (n.negative ? magnitude > limitNeg : magnitude > limitPos)
        throw AppError::overflow();
    return n.negative ? -magnitude : magnitude;
}

} // namespace

std::int32_t ToLong(const QString &text)
{
    ParsedNumber n;
    if (!parse(text, n))
        throw AppError::typeMismatch();
    return static_cast<std::int32_t>(roundChecked(n, 2147483647LL, 2147483648LL));
}

std::int16_t ToInteger(const QString &text)
{
    ParsedNumber n;
    if (!parse(text, n))
        throw AppError::typeMismatch();
    return static_cast<std::int16_t>(roundChecked(n, 32767, 32768));
}

bool ToBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    ParsedNumber n;
    if (!parse(text, n))
        throw AppError::typeMismatch();
    for (QChar c : n.whole + n.fraction)
        if (c != QLatin1Char('0'))
            return true;
    return false;
}

} // namespace qm
