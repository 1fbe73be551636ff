// SPDX-License-Identifier: GPL-3.0-or-later
#include "Jobs.h"

#include "Files.h"
#include "TempFile.h"
#include "posix/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unzip32 {

namespace {

class Extraction
{
public:
    explicit Extraction(Session &session) : m_session(session), m_options(session.options()) {}

    bool openBase();
    void extractEntry(zip_uint64_t index, const zip_stat_t &st, bool folder);

private:
    // The folders of an entry's path that exist are opened (never through a symbolic link);
    // the missing ones are made only once the entry's data has been verified, so an entry that
    // fails leaves no empty folders behind.
    struct Folders {
        Fd dir;              // the deepest one that exists
        size_t existing = 0; // how many of the path's folders exist
    };

    bool targetOf(zip_uint64_t index, const zip_stat_t &st, bool folder,
                  std::vector<std::string> &parts, mode_t &mode);
    bool openExisting(const std::vector<std::string> &parts, size_t folders,
                      const std::string &shown, Folders &at);
    Fd makeMissing(const std::vector<std::string> &parts, size_t folders, const std::string &shown,
                   const Folders &at);
    bool folderFailed(int dir, const std::string &part, const std::string &shown, int error);
    bool mayWrite(int dir, const std::string &leaf, const std::string &shown, const zip_stat_t &st,
                  bool &replace);
    bool mayReplace(const std::string &shown, const struct stat &existing, const zip_stat_t &st);
    bool writeTemp(zip_file_t *file, const zip_stat_t &st, mode_t mode, const char *verb,
                   const std::string &shown, TempFile &temp);
    bool writeData(zip_file_t *file, TempFile &out, const char *name, const char *verb,
                   bool &writeFailed);
    void say(Level level, std::string text) { m_session.say(level, std::move(text)); }
    void note(int code) { m_session.note(code); }

    Session &m_session;
    const DCL &m_options;
    std::string m_base;
    Fd m_baseFd;
    bool m_replaceAll = false;
    bool m_replaceNone = false;
    unsigned m_tempCounter = 0;
};

bool Extraction::openBase()
{
    const char *folder = m_options.lpszExtractDir;
    m_base = (folder && *folder) ? folder : ".";
    while (m_base.size() > 1 && m_base.back() == '/')
        m_base.pop_back();
    if (!makePath(m_base)) {
        say(Level::Error, format("error:  cannot create extraction folder %s: %s", m_base.c_str(),
                                 std::strerror(errno)));
        note(PK_DISK);
        return false;
    }
    m_baseFd = Fd(::open(m_base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (m_baseFd.get() < 0) {
        say(Level::Error, format("error:  cannot open extraction folder %s: %s", m_base.c_str(),
                                 std::strerror(errno)));
        note(PK_DISK);
        return false;
    }
    return true;
}

void Extraction::extractEntry(zip_uint64_t index, const zip_stat_t &st, bool folder)
{
    std::vector<std::string> parts;
    mode_t mode = 0;
    if (!targetOf(index, st, folder, parts, mode))
        return;
    std::string shown = m_base;
    for (const std::string &part : parts)
        shown += '/' + part;
    const size_t folders = folder ? parts.size() : parts.size() - 1;
    Folders at;
    if (!openExisting(parts, folders, shown, at))
        return;
    if (folder) {
        if (makeMissing(parts, folders, shown, at).get() >= 0)
            say(Level::Info, format("   creating: %s/", shown.c_str()));
        return;
    }
    bool replace = false;
    if (at.existing == folders && !mayWrite(at.dir.get(), parts.back(), shown, st, replace))
        return;
    EntryPtr file = m_session.openEntry(index, st, st.name);
    if (!file)
        return;
    const bool stored = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_STORE;
    const char *verb = stored ? " extracting:" : "  inflating:";
    TempFile temp(at.dir.get());
    if (!writeTemp(file.get(), st, mode, verb, shown, temp))
        return;
    const Fd target = makeMissing(parts, folders, shown, at);
    if (target.get() < 0)
        return;
    if (!temp.commit(target.get(), parts.back(), replace)) {
        say(Level::Error, format("error:  cannot create %s: %s", shown.c_str(), std::strerror(errno)));
        note(PK_ERR);
        return;
    }
    say(Level::Info, format("%s %s", verb, shown.c_str()));
}

// The path components an entry is written to; false when nothing is to be written.
bool Extraction::targetOf(zip_uint64_t index, const zip_stat_t &st, bool folder,
                          std::vector<std::string> &parts, mode_t &mode)
{
    const char *name = st.name;
    if (!safeComponents(name, parts)) {
        say(Level::Error, format("error:  refusing %s: its path leaves the extraction folder", name));
        note(PK_WARN);
        return false;
    }
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(m_session.zip(), index, 0, &opsys, &attributes) == 0
        && opsys == ZIP_OPSYS_UNIX) {
        mode = static_cast<mode_t>(attributes >> 16);
        if (S_ISLNK(mode)) {
            say(Level::Warning, format("skipping: %s  (symbolic link, not created)", name));
            note(PK_WARN);
            return false;
        }
    }
    if (parts.empty() || (folder && !m_options.ndflag))
        return false;
    if (m_options.SpaceToUnderscore)
        for (std::string &part : parts)
            std::replace(part.begin(), part.end(), ' ', '_');
    if (!m_options.ndflag)
        parts.erase(parts.begin(), parts.end() - 1);
    return true;
}

bool Extraction::openExisting(const std::vector<std::string> &parts, size_t folders,
                              const std::string &shown, Folders &at)
{
    at.dir = Fd(::dup(m_baseFd.get()));
    for (at.existing = 0; at.existing < folders; ++at.existing) {
        const std::string &part = parts[at.existing];
        Fd next = qm::posix::openFolder(at.dir.get(), part.c_str());
        if (next.get() < 0)
            return errno == ENOENT || folderFailed(at.dir.get(), part, shown, errno);
        at.dir = std::move(next);
    }
    return true;
}

// Makes parts[at.existing .. folders - 1] below at.dir; the last of them, or -1.
Fd Extraction::makeMissing(const std::vector<std::string> &parts, size_t folders,
                           const std::string &shown, const Folders &at)
{
    Fd dir(::dup(at.dir.get()));
    for (size_t k = at.existing; k < folders; ++k) {
        if (::mkdirat(dir.get(), parts[k].c_str(), 0777) != 0 && errno != EEXIST) {
            folderFailed(dir.get(), parts[k], shown, errno);
            return Fd();
        }
        Fd next = qm::posix::openFolder(dir.get(), parts[k].c_str());
        if (next.get() < 0) {
            folderFailed(dir.get(), parts[k], shown, errno);
            return Fd();
        }
        dir = std::move(next);
    }
    return dir;
}

bool Extraction::folderFailed(int dir, const std::string &part, const std::string &shown, int error)
{
    struct stat link;
    const bool isLink = ::fstatat(dir, part.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0
                        && S_ISLNK(link.st_mode);
    say(Level::Error, format("error:  cannot create folder for %s: %s", shown.c_str(),
                             isLink ? "a symbolic link is in the way" : std::strerror(error)));
    note(PK_ERR);
    return false;
}

// Whether the entry may go to leaf in dir; replace tells that a file is there.
bool Extraction::mayWrite(int dir, const std::string &leaf, const std::string &shown,
                          const zip_stat_t &st, bool &replace)
{
    struct stat existing;
    replace = ::fstatat(dir, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (replace && S_ISDIR(existing.st_mode)) {
        say(Level::Error, format("error:  %s is a folder, not replaced", shown.c_str()));
        note(PK_ERR);
        return false;
    }
    return !replace || mayReplace(shown, existing, st);
}

bool Extraction::mayReplace(const std::string &shown, const struct stat &existing,
                            const zip_stat_t &st)
{
    if (m_options.ExtractOnlyNewer) {
        const bool newer = (st.valid & ZIP_STAT_MTIME) && st.mtime > existing.st_mtime;
        if (!newer)
            say(Level::Info, format("skipping: %s  (existing file is as new or newer)", shown.c_str()));
        return newer;
    }
    if (m_options.noflag || m_replaceAll)
        return true;
    USERFUNCTIONS &callbacks = m_session.callbacks();
    if (m_options.PromptToOverwrite && callbacks.replace && !m_replaceNone) {
        std::string name = shown;
        switch (callbacks.replace(name.data())) {
        case IDM_REPLACE_YES: return true;
        case IDM_REPLACE_ALL: m_replaceAll = true; return true;
        case IDM_REPLACE_NONE: m_replaceNone = true; break;
        default: break;
        }
    }
    say(Level::Info, format("skipping: %s  (file exists, not replaced)", shown.c_str()));
    return false;
}

// Writes the entry's data to a new temporary file. False when that failed (reported).
bool Extraction::writeTemp(zip_file_t *file, const zip_stat_t &st, mode_t mode, const char *verb,
                           const std::string &shown, TempFile &temp)
{
    if (!temp.create(m_tempCounter)) {
        say(Level::Error, format("error:  cannot create %s: %s", shown.c_str(), std::strerror(errno)));
        note(PK_DISK);
        return false;
    }
    bool writeFailed = false;
    const bool ok = writeData(file, temp, st.name, verb, writeFailed);
    if (ok && !writeFailed)
        temp.stamp(mode, (st.valid & ZIP_STAT_MTIME) != 0, st.mtime);
    const bool closed = temp.close();
    if (ok && !writeFailed && closed)
        return true;
    if (writeFailed || !closed) {
        say(Level::Error, format("error:  cannot write %s: %s", shown.c_str(), std::strerror(errno)));
        note(PK_DISK);
    }
    return false;
}

// Reads the entry into out, turning CR LF into LF for text when asked. False when reading
// failed (reported) or writing did (writeFailed).
bool Extraction::writeData(zip_file_t *file, TempFile &out, const char *name, const char *verb,
                           bool &writeFailed)
{
    bool convert = m_options.naflag != 0;
    bool decided = false;
    bool pendingCR = false;
    const bool ok = m_session.pump(file, name, verb, [&](const char *data, size_t size) {
        if (convert && !decided) {
            decided = true;
            convert = std::memchr(data, '\0', size) == nullptr;
        }
        if (!convert) {
            writeFailed = !out.write(data, size);
            return !writeFailed;
        }
        std::string text;
        text.reserve(size + 1);
        for (size_t k = 0; k < size; ++k) {
            const char c = data[k];
            if (pendingCR && c != '\n')
                text.push_back('\r');
            pendingCR = c == '\r';
            if (!pendingCR)
                text.push_back(c);
        }
        writeFailed = !out.write(text.data(), text.size());
        return !writeFailed;
    });
    if (ok && pendingCR)
        writeFailed = !out.write("\r", 1);
    return ok && !writeFailed;
}

} // namespace

void extractEntries(Session &session, zip_uint64_t entries)
{
    Extraction extraction(session);
    if (!extraction.openBase())
        return;
    session.forEachSelected(entries, [&](zip_uint64_t index, const zip_stat_t &st, bool folder) {
        extraction.extractEntry(index, st, folder);
    });
}

} // namespace unzip32
