// SPDX-License-Identifier: GPL-3.0-or-later
#include "NameMatch.h"

namespace unzip32 {

namespace {

unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

bool wildMatch(const char *pattern, const char *text, bool ignoreCase)
{
    const char *starPattern = nullptr;
    const char *starText = nullptr;
    while (*text) {
        const unsigned char p = static_cast<unsigned char>(*pattern);
        if (p == '*') {
            starPattern = ++pattern;
            starText = text;
            continue;
        }
        const bool escaped = p == '\\' && pattern[1] != '\0';
        const unsigned char literal = static_cast<unsigned char>(escaped ? pattern[1] : *pattern);
        const unsigned char t = static_cast<unsigned char>(*text);
        if (p
            && ((p == '?' && !escaped) || literal == t
                || (ignoreCase && lowerAscii(literal) == lowerAscii(t)))) {
            pattern += escaped ? 2 : 1;
            ++text;
            continue;
        }
        if (!starPattern)
            return false;
        pattern = starPattern;
        text = ++starText;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace unzip32
