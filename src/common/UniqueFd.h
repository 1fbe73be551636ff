// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "posix/UniqueFd.h"

namespace qm {

using posix::UniqueFd;

} // namespace qm
