// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An extracted file is written under a temporary name in a folder that already exists and gets
// its own name only once complete: an entry that fails leaves no partial file and replaces
// nothing. Removed again unless committed.

#include "posix/UniqueFd.h"

#include <cstddef>
#include <ctime>
#include <string>

#include <sys/types.h>

namespace unzip32 {

class TempFile
{
public:
    explicit TempFile(int folder) : m_folder(folder) {}
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Creates ".qm-unzip-<pid>-<n>", counting n up past names in use; false with errno set.
    bool create(unsigned &counter);
    // False with errno set.
    bool write(const char *data, std::size_t size);
    // Permission bits (when there are any) and modification time (when known).
    void stamp(mode_t mode, bool hasTime, time_t mtime);
    // False with errno set when the data may not all have reached the file.
    bool close();
    // Renames the closed file to leaf in folder, over a file there only when replace; false with
    // errno set.
    bool commit(int folder, const std::string &leaf, bool replace);

private:
    int m_folder;
    std::string m_name; // empty unless this object made the file and it is still there
    qm::posix::UniqueFd m_out;
};

} // namespace unzip32
