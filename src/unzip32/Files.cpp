// SPDX-License-Identifier: GPL-3.0-or-later
#include "Files.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>

namespace unzip32 {

bool makePath(const std::string &path)
{
    if (path.empty())
        return false;
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        const size_t next = path.find('/', pos);
        const size_t end = next == std::string::npos ? path.size() : next;
        partial = path.substr(0, end);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool safeComponents(std::string path, std::vector<std::string> &out)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path[0] == '/')
        return false;
    if (path.size() >= 2 && path[1] == ':'
        && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return false;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        std::string part = path.substr(pos, next - pos);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            out.push_back(std::move(part));
        pos = next + 1;
    }
    return true;
}

} // namespace unzip32
