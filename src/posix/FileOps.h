// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// File work shared by the program and libunzip32.so; no Qt, so both can link it.

#include "posix/UniqueFd.h"

#include <cstddef>

#include <sys/stat.h>

namespace qm::posix {

// Opens path for reading, as a regular file only: a FIFO or device never blocks the open
// (O_NONBLOCK until fstat shows a regular file, then cleared). st receives what fstat said.
// Invalid when it cannot be opened (errno says why, st.st_mode 0) or is no regular file
// (st.st_mode says what it is).
UniqueFd openRegularFile(const char *path, struct stat &st);

// Opens the folder name inside parent, never through a symbolic link.
UniqueFd openFolder(int parent, const char *name);

// Writes everything, going on after interruptions; false on a write error (errno set).
bool writeAll(int fd, const char *data, std::size_t size);

// Renames from into to only when nothing is at to; false with errno EEXIST when something is.
bool renameWithoutReplacingAt(int fromFolder, const char *from, int toFolder, const char *to);

// Puts /dev/null on each of the standard descriptors 0, 1 and 2 that is closed, so that no file,
// pipe or socket the program opens later takes its number and receives what is meant for the
// terminal. Opened against the grain (0 for writing, 1 and 2 for reading), as gnulib's stdopen
// does: a read or write there still fails, and is reported, as on a closed descriptor. False
// when /dev/null cannot be opened. For the first line of main().
bool openStandardDescriptors();

} // namespace qm::posix
