// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempFile.h"

#include "posix/FileOps.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unzip32 {

TempFile::~TempFile()
{
    m_out.reset();
    if (!m_name.empty())
        ::unlinkat(m_folder, m_name.c_str(), 0);
}

bool TempFile::create(unsigned &counter)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".qm-unzip-" + std::to_string(static_cast<long>(::getpid())) + "-"
                                 + std::to_string(++counter);
        m_out.reset(::openat(m_folder, name.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (m_out.isValid()) {
            m_name = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool TempFile::write(const char *data, std::size_t size)
{
    return qm::posix::writeAll(m_out.get(), data, size);
}

void TempFile::stamp(mode_t mode, bool hasTime, time_t mtime)
{
    if (mode & 0777)
        ::fchmod(m_out.get(), mode & 0777);
    if (hasTime) {
        struct timespec times[2];
        times[0].tv_sec = mtime;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        ::futimens(m_out.get(), times);
    }
}

bool TempFile::close()
{
    return ::close(m_out.release()) == 0;
}

bool TempFile::commit(int folder, const std::string &leaf, bool replace)
{
    const bool renamed =
        replace ? ::renameat(m_folder, m_name.c_str(), folder, leaf.c_str()) == 0
                : qm::posix::renameWithoutReplacingAt(m_folder, m_name.c_str(), folder, leaf.c_str());
    if (renamed)
        m_name.clear();
    return renamed;
}

} // namespace unzip32
