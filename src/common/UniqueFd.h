#pragma once

#include "posix/UniqueFd.h"

namespace qm {

using posix::UniqueFd;

} // namespace qm
