#pragma once

// Small file helpers of the extraction side.

#include <string>
#include <vector>

#include <unistd.h>

namespace unzip32 {

// Owns a file descriptor.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// Writes everything, going on after interruptions; false on a write error (errno set).
bool writeAll(int fd, const char *data, size_t size);

// Creates every folder of path (absolute or relative), like mkdir -p.
bool makePath(const std::string &path);

// Splits an entry path ('/' or '\' between components) into its components, leaving out empty
// ones and "."; false when it would leave the folder (absolute, drive letter, "..").
bool safeComponents(std::string path, std::vector<std::string> &out);

} // namespace unzip32
