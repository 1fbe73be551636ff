// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// ZIP records store their numbers little-endian, whatever the machine.

#include <cstdint>

namespace qm::posix {

inline std::uint16_t le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const unsigned char *p)
{
    return le16(p) | (static_cast<std::uint32_t>(le16(p + 2)) << 16);
}
inline std::uint64_t le64(const unsigned char *p)
{
    return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

} // namespace qm::posix
