// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

namespace qm {

// Text of a number field to an integer: surrounding spaces and tabs ignored, an optional sign,
// digits with an optional fraction (also ".5" and "5."), rounded to the nearest whole number with
// exact halves to the even neighbour. Anything else throws AppError::typeMismatch(); a value
// outside the target range throws AppError::overflow().
std::int32_t ToLong(const QString &text);     // Text2: signed 32-bit
std::int16_t ToInteger(const QString &text);  // Text3: signed 16-bit

// "True"/"False" in any letter case, or numeric text (zero is false, anything else true);
// anything else throws AppError::typeMismatch().
bool ToBoolean(const QString &text);

} // namespace qm
