// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The library's message lines and return codes.

#include "unzip32.h"

#include <string>

namespace unzip32 {

enum class Level { Info = 0, Warning = 1, Error = 2 };

// Which code wins when several things went wrong (see unzip32.h): the higher rank.
int rank(int code);

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Sends one message line to the print callback, if the quiet level lets it through.
void say(USERFUNCTIONS &callbacks, int quiet, Level level, std::string text);

} // namespace unzip32
