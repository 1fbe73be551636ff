// SPDX-License-Identifier: GPL-3.0-or-later
#include "Messages.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace unzip32 {

int rank(int code)
{
    switch (code) {
    case PK_OK: return 0;
    case PK_WARN: return 1;
    case PK_FIND: return 2;
    case PK_ERR: return 3;
    case IZ_UNSUP: return 4;
    case IZ_BADPWD: return 5;
    case PK_DISK: return 6;
    case PK_EOF: return 7;
    case PK_BADERR: return 8;
    case PK_NOZIP:
    case PK_PARAM: return 9;
    case PK_MEM: return 10;
    case IZ_CTRLC: return 11;
    default: return 3;
    }
}

std::string format(const char *fmt, ...)
{
    char small[512];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(text.data(), text.size(), fmt, args);
    va_end(args);
    text.resize(static_cast<size_t>(n));
    return text;
}

void say(USERFUNCTIONS &callbacks, int quiet, Level level, std::string text)
{
    if (!callbacks.print)
        return;
    if (static_cast<int>(level) < std::max(0, std::min(quiet, 2)))
        return;
    text.push_back('\n');
    callbacks.print(text.data(), static_cast<unsigned long>(text.size()));
}

} // namespace unzip32
