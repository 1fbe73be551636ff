// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NumberField.h"

#include "common/AppError.h"
#include "common/NumberConversion.h"

namespace qm {

NumberFieldValidator::NumberFieldValidator(Reader read, int most, QObject *parent)
    : QValidator(parent), m_read(read), m_most(most),
      m_shape(QStringLiteral("^[ \\t]*\\+?[0-9]*(\\.[0-9]*)?[ \\t]*$"))
{
}

QValidator::State NumberFieldValidator::validate(QString &input, int &) const
{
    if (!m_shape.match(input).hasMatch())
        return Invalid;
    if (m_read(input))
        return Acceptable;
    // Empty, "0" or "0.4" may still become a number in range as more is typed; past the range
    // it never can.
    try {
        return ToLong(input) > m_most ? Invalid : Intermediate;
    } catch (const AppError &e) {
        return e.number() == AppError::overflow().number() ? Invalid : Intermediate;
    }
}

} // namespace qm
