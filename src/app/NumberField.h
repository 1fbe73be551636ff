// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegularExpression>
#include <QValidator>

#include <optional>

namespace qm {

// Lets a number field take only what is, or can still become, a number in its range as the run
// reads it: digits, a point, blanks around them and a plus sign. Letters, units, a minus sign,
// other scripts' digits and anything past the range are refused as they are typed.
class NumberFieldValidator : public QValidator
{
public:
    using Reader = std::optional<int> (*)(const QString &);
    NumberFieldValidator(Reader read, int most, QObject *parent);
    State validate(QString &input, int &pos) const override;

private:
    Reader m_read;
    int m_most;
    QRegularExpression m_shape;
};

} // namespace qm
