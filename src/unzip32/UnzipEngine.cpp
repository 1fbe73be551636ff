#include "UnzipEngine.h"

#include "CentralDirectory.h"
#include "Files.h"
#include "NameMatch.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unzip32 {

namespace {

enum class Level { Info = 0, Warning = 1, Error = 2 };

// Which code wins when several things went wrong (see unzip32.h).
int rank(int code)
{
    switch (code) {
    case PK_OK: return 0;
    case PK_WARN: return 1;
    case PK_FIND: return 2;
    case PK_ERR: return 3;
    case IZ_UNSUP: return 4;
    case IZ_BADPWD: return 5;
    case PK_DISK: return 6;
    case PK_EOF: return 7;
    case PK_BADERR: return 8;
    case PK_NOZIP:
    case PK_PARAM: return 9;
    case PK_MEM: return 10;
    case IZ_CTRLC: return 11;
    default: return 3;
    }
}

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char *fmt, ...)
{
    char small[512];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(text.data(), text.size(), fmt, args);
    va_end(args);
    text.resize(static_cast<size_t>(n));
    return text;
}

// Sends one message line to the print callback, if the quiet level lets it through.
void say(USERFUNCTIONS &callbacks, int quiet, Level level, std::string text)
{
    if (!callbacks.print)
        return;
    if (static_cast<int>(level) < std::max(0, std::min(quiet, 2)))
        return;
    text.push_back('\n');
    callbacks.print(text.data(), static_cast<unsigned long>(text.size()));
}

// Info-ZIP's short method names (unzip -v / zipinfo wording).
const char *methodName(zip_uint16_t method, char (&scratch)[16])
{
    switch (method) {
    case ZIP_CM_STORE: return "Stored";
    case 1: return "Shrunk";
    case 2: return "Reduce1";
    case 3: return "Reduce2";
    case 4: return "Reduce3";
    case 5: return "Reduce4";
    case ZIP_CM_IMPLODE: return "Implode";
    case 7: return "Token";
    case ZIP_CM_DEFLATE: return "Defl:N";
    case ZIP_CM_DEFLATE64: return "Def64";
    case 10: return "PKImplode";
    case ZIP_CM_BZIP2: return "BZip2";
    case ZIP_CM_LZMA: return "LZMA";
    case 18: return "Terse";
    case 19: return "LZ77";
    case 93: return "Zstd";
    case ZIP_CM_XZ: return "XZ";
    case 96: return "Jpeg";
    case ZIP_CM_WAVPACK: return "WavPack";
    case ZIP_CM_PPMD: return "PPMd";
    default:
        std::snprintf(scratch, sizeof scratch, "Unk:%03u", static_cast<unsigned>(method));
        return scratch;
    }
}

// Percentage saved, rounded; negative when the entry grew, never below -32768.
int compressionFactor(zip_uint64_t size, zip_uint64_t compressed)
{
    if (size == 0)
        return 0;
    const long double saved =
        (static_cast<long double>(size) - static_cast<long double>(compressed)) * 100.0L
        / static_cast<long double>(size);
    const long double rounded = saved < 0 ? saved - 0.5L : saved + 0.5L;
    if (rounded <= -32768.0L)
        return -32768;
    return static_cast<int>(rounded);
}

// The names of a list up to its count or its first empty/null slot.
std::vector<const char *> namesOf(const NameList &list)
{
    std::vector<const char *> names;
    if (!list.names)
        return names;
    for (int i = 0; i < list.count; ++i) {
        const char *name = list.names[i];
        if (!name || !*name)
            break;
        names.push_back(name);
    }
    return names;
}

class Session
{
public:
    Session(zip_t *archive, ArchiveBytes bytes, const char *displayName, const NameList &include,
            const NameList &exclude, const DCL &options, USERFUNCTIONS &callbacks)
        : m_zip(archive),
          m_bytes(std::move(bytes)),
          m_displayName(displayName ? displayName : ""),
          m_include(namesOf(include)),
          m_exclude(namesOf(exclude)),
          m_options(options),
          m_callbacks(callbacks),
          m_ignoreCase(options.C_flag != 0)
    {
    }

    int run()
    {
        const zip_int64_t count = zip_get_num_entries(m_zip, 0);
        if (count <= 0) {
            say(Level::Warning, format("warning [%s]:  zipfile is empty", m_displayName.c_str()));
            note(PK_WARN);
            if (m_options.nvflag)
                fillTotals(0, 0, 0);
            return m_code;
        }
        const auto entries = static_cast<zip_uint64_t>(count);
        m_directory.read(m_zip, m_bytes);
        if (m_options.nvflag)
            list(entries);
        else
            process(entries);
        return m_code;
    }

private:
    void note(int code)
    {
        if (rank(code) > rank(m_code))
            m_code = code;
    }
    void say(Level level, std::string text)
    {
        unzip32::say(m_callbacks, m_options.fQuiet, level, std::move(text));
    }

    bool selected(const char *name) const
    {
        if (!m_include.empty()) {
            const bool found = std::any_of(m_include.begin(), m_include.end(), [&](const char *p) {
                return wildMatch(p, name, m_ignoreCase);
            });
            if (!found)
                return false;
        }
        return std::none_of(m_exclude.begin(), m_exclude.end(),
                            [&](const char *p) { return wildMatch(p, name, m_ignoreCase); });
    }

    // Reports an entry whose data the directory places beyond the archive's end.
    bool insideArchive(zip_uint64_t index, const zip_stat_t &st, const char *name)
    {
        if (m_directory.holds(index, (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0))
            return true;
        say(Level::Error, format("error:  %s lies outside the archive (damaged directory)", name));
        note(PK_BADERR);
        return false;
    }

    // The entry's date and time as stored; libzip's mtime (through mktime, an hour off in a
    // daylight-saving gap) only when the directory could not be read.
    struct Stamp {
        unsigned month, day, year, hour, minute;
    };
    Stamp stampOf(zip_uint64_t index, const zip_stat_t &st) const
    {
        if (const StoredEntry *stored = m_directory.find(index)) {
            const unsigned date = stored->dosDate;
            const unsigned time = stored->dosTime;
            return {(date >> 5) & 15u, date & 31u, 1980u + (date >> 9), time >> 11,
                    (time >> 5) & 63u};
        }
        const time_t when = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
        struct tm local = {};
        if (!localtime_r(&when, &local))
            local = {};
        return {static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday),
                static_cast<unsigned>(local.tm_year + 1900), static_cast<unsigned>(local.tm_hour),
                static_cast<unsigned>(local.tm_min)};
    }

    void fillTotals(unsigned long long size, unsigned long long compressed, unsigned long members)
    {
        m_callbacks.TotalSize = static_cast<unsigned long>(size);
        m_callbacks.TotalSizeComp = static_cast<unsigned long>(compressed);
        const int factor = compressionFactor(size, compressed);
        m_callbacks.CompFactor = static_cast<unsigned long>(std::max(0, factor));
        m_callbacks.NumMembers = members;
        int commentLength = 0;
        if (zip_get_archive_comment(m_zip, &commentLength, ZIP_FL_ENC_RAW) && commentLength > 0)
            m_callbacks.cchComment = static_cast<unsigned short>(std::min(commentLength, 0xFFFF));
        else
            m_callbacks.cchComment = 0;
    }

    // Listing: the hot path of the split run, one callback per entry and nothing else.
    void list(zip_uint64_t entries)
    {
        unsigned long long totalSize = 0;
        unsigned long long totalCompressed = 0;
        unsigned long members = 0;
        char scratch[16];
        for (zip_uint64_t i = 0; i < entries; ++i) {
            zip_stat_t st;
            if (zip_stat_index(m_zip, i, 0, &st) != 0) {
                say(Level::Error, format("error:  cannot read entry %llu of %s",
                                         static_cast<unsigned long long>(i), m_displayName.c_str()));
                note(PK_BADERR);
                continue;
            }
            const char *name = ((st.valid & ZIP_STAT_NAME) && st.name) ? st.name : "";
            if (!selected(name))
                continue;
            const zip_uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
            const zip_uint64_t compressed = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
            insideArchive(i, st, name); // reported; still listed
            const Stamp when = stampOf(i, st);
            const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD)
                                   && st.encryption_method != ZIP_EM_NONE;
            const zip_uint16_t method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
            const zip_uint32_t crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
            totalSize += size;
            totalCompressed += compressed;
            ++members;
            if (m_callbacks.SendApplicationMessage) {
                m_callbacks.SendApplicationMessage(
                    size, compressed, static_cast<unsigned>(compressionFactor(size, compressed)),
                    when.month, when.day, when.year, when.hour, when.minute, ' ', name,
                    methodName(method, scratch), crc, encrypted ? 'E' : ' ');
            }
        }
        fillTotals(totalSize, totalCompressed, members);
    }

    // Testing or extracting the selected entries.
    void process(zip_uint64_t entries)
    {
        const bool testing = m_options.ntflag != 0;
        if (!testing && !openBase())
            return;
        say(Level::Info, format("Archive:  %s", m_displayName.c_str()));
        unsigned long matched = 0;
        for (zip_uint64_t i = 0; i < entries; ++i) {
            zip_stat_t st;
            if (zip_stat_index(m_zip, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) || !st.name) {
                say(Level::Error, format("error:  cannot read entry %llu of %s",
                                         static_cast<unsigned long long>(i), m_displayName.c_str()));
                note(PK_BADERR);
                continue;
            }
            const char *name = st.name;
            if (!selected(name))
                continue;
            ++matched;
            if (!insideArchive(i, st, name))
                continue;
            if (m_callbacks.ServCallBk
                && m_callbacks.ServCallBk(name, static_cast<unsigned long>(std::strlen(name) + 1))
                       != 0) {
                say(Level::Warning, "stopped by the caller");
                note(IZ_CTRLC);
                break;
            }
            const size_t length = std::strlen(name);
            const bool folder = length > 0 && (name[length - 1] == '/' || name[length - 1] == '\\');
            if (testing) {
                if (!folder)
                    testEntry(i, st);
            } else {
                extractEntry(i, st, folder);
            }
        }
        if (!m_include.empty() && matched == 0) {
            say(Level::Warning, format("caution: filename not matched in %s", m_displayName.c_str()));
            note(PK_FIND);
        }
        if (testing) {
            if (rank(m_code) <= rank(PK_WARN))
                say(Level::Info,
                    format("No errors detected in compressed data of %s.", m_displayName.c_str()));
            else
                say(Level::Error,
                    format("At least one error was detected in %s.", m_displayName.c_str()));
        }
    }

    bool openBase()
    {
        const char *folder = m_options.lpszExtractDir;
        m_base = (folder && *folder) ? folder : ".";
        while (m_base.size() > 1 && m_base.back() == '/')
            m_base.pop_back();
        if (!makePath(m_base)) {
            say(Level::Error, format("error:  cannot create extraction folder %s: %s",
                                     m_base.c_str(), std::strerror(errno)));
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

    // Opens an entry's data, asking for a password when it is encrypted.
    EntryPtr openEntry(zip_uint64_t index, const zip_stat_t &st, const char *name)
    {
        const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD)
                               && st.encryption_method != ZIP_EM_NONE;
        // Refuse unsupported methods up front: libzip 1.7's open path leaks on them.
        const bool methodKnown = (st.valid & ZIP_STAT_COMP_METHOD)
                                 && zip_compression_method_supported(st.comp_method, 0);
        if (!methodKnown || (encrypted && !zip_encryption_method_supported(st.encryption_method, 0))) {
            say(Level::Error, format("skipping: %s  unsupported %s method", name,
                                     methodKnown ? "encryption" : "compression"));
            note(IZ_UNSUP);
            return nullptr;
        }
        if (!encrypted) {
            EntryPtr file(zip_fopen_index(m_zip, index, 0));
            if (!file)
                reportOpenFailure(name);
            return file;
        }
        if (!m_password.empty()) {
            EntryPtr file(zip_fopen_index_encrypted(m_zip, index, 0, m_password.c_str()));
            if (file)
                return file;
            if (!isPasswordError()) {
                reportOpenFailure(name);
                return nullptr;
            }
        }
        bool refused = !m_callbacks.password;
        for (int attempt = 0; attempt < 3 && !refused; ++attempt) {
            char buffer[257] = {};
            if (m_callbacks.password(buffer, 256, "Enter password for: ", name) != 0) {
                refused = true;
                break;
            }
            buffer[256] = '\0';
            zip_error_clear(m_zip);
            EntryPtr file(zip_fopen_index_encrypted(m_zip, index, 0, buffer));
            if (file) {
                m_password = buffer;
                return file;
            }
            if (!isPasswordError()) {
                reportOpenFailure(name);
                return nullptr;
            }
            say(Level::Warning, format("%s: incorrect password", name));
        }
        say(Level::Error, format("skipping: %s  %s", name,
                                 refused ? "no password given" : "incorrect password"));
        note(IZ_BADPWD);
        return nullptr;
    }

    bool isPasswordError()
    {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        return code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD;
    }

    void reportOpenFailure(const char *name)
    {
        zip_error_t *error = zip_get_error(m_zip);
        const int code = zip_error_code_zip(error);
        say(Level::Error, format("error:  cannot read %s: %s", name, zip_error_strerror(error)));
        if (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP)
            note(IZ_UNSUP);
        else if (code == ZIP_ER_MEMORY)
            note(PK_MEM);
        else
            note(PK_ERR);
        zip_error_clear(m_zip);
    }

    // Reads an entry to its end, handing every chunk to sink; libzip checks the CRC at the end.
    template <typename Sink>
    bool pump(zip_file_t *file, const char *name, const char *verb, Sink &&sink)
    {
        if (m_buffer.empty())
            m_buffer.resize(64 * 1024);
        for (;;) {
            const zip_int64_t n = zip_fread(file, m_buffer.data(), m_buffer.size());
            if (n < 0) {
                zip_error_t *error = zip_file_get_error(file);
                const int code = zip_error_code_zip(error);
                if (code == ZIP_ER_CRC)
                    say(Level::Error, format("%s %s   bad CRC", verb, name));
                else
                    say(Level::Error, format("%s %s   error: %s", verb, name, zip_error_strerror(error)));
                note(code == ZIP_ER_MEMORY ? PK_MEM
                     : (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP) ? IZ_UNSUP
                                                                                  : PK_ERR);
                return false;
            }
            if (n == 0)
                return true;
            if (!sink(m_buffer.data(), static_cast<size_t>(n)))
                return false;
        }
    }

    void testEntry(zip_uint64_t index, const zip_stat_t &st)
    {
        EntryPtr file = openEntry(index, st, st.name);
        if (!file)
            return;
        if (pump(file.get(), st.name, "    testing:", [](const char *, size_t) { return true; }))
            say(Level::Info, format("    testing: %-22s   OK", st.name));
    }

    // The folders of an entry's path that exist are opened (never through a symbolic link);
    // the missing ones are made only once the entry's data has been verified, so an entry that
    // fails leaves no empty folders behind.
    struct Folders {
        Fd dir;              // the deepest one that exists
        size_t existing = 0; // how many of the path's folders exist
    };
    static constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

    bool openExisting(const std::vector<std::string> &parts, size_t folders,
                      const std::string &shown, Folders &at)
    {
        at.dir = Fd(::dup(m_baseFd.get()));
        for (at.existing = 0; at.existing < folders; ++at.existing) {
            const std::string &part = parts[at.existing];
            Fd next(::openat(at.dir.get(), part.c_str(), kFolderFlags));
            if (next.get() < 0)
                return errno == ENOENT || folderFailed(at.dir.get(), part, shown, errno);
            at.dir = std::move(next);
        }
        return true;
    }

    // Makes parts[at.existing .. folders - 1] below at.dir; the last of them, or -1.
    Fd makeMissing(const std::vector<std::string> &parts, size_t folders, const std::string &shown,
                   const Folders &at)
    {
        Fd dir(::dup(at.dir.get()));
        for (size_t k = at.existing; k < folders; ++k) {
            if (::mkdirat(dir.get(), parts[k].c_str(), 0777) != 0 && errno != EEXIST) {
                folderFailed(dir.get(), parts[k], shown, errno);
                return Fd();
            }
            Fd next(::openat(dir.get(), parts[k].c_str(), kFolderFlags));
            if (next.get() < 0) {
                folderFailed(dir.get(), parts[k], shown, errno);
                return Fd();
            }
            dir = std::move(next);
        }
        return dir;
    }

    bool folderFailed(int dir, const std::string &part, const std::string &shown, int error)
    {
        struct stat link;
        const bool isLink = ::fstatat(dir, part.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0
                            && S_ISLNK(link.st_mode);
        say(Level::Error, format("error:  cannot create folder for %s: %s", shown.c_str(),
                                 isLink ? "a symbolic link is in the way" : std::strerror(error)));
        note(PK_ERR);
        return false;
    }

    bool mayReplace(const std::string &shown, const struct stat &existing, const zip_stat_t &st)
    {
        if (m_options.ExtractOnlyNewer) {
            const bool newer = (st.valid & ZIP_STAT_MTIME) && st.mtime > existing.st_mtime;
            if (!newer)
                say(Level::Info, format("skipping: %s  (existing file is as new or newer)",
                                        shown.c_str()));
            return newer;
        }
        if (m_options.noflag || m_replaceAll)
            return true;
        if (m_options.PromptToOverwrite && m_callbacks.replace && !m_replaceNone) {
            std::string name = shown;
            switch (m_callbacks.replace(name.data())) {
            case IDM_REPLACE_YES: return true;
            case IDM_REPLACE_ALL: m_replaceAll = true; return true;
            case IDM_REPLACE_NONE: m_replaceNone = true; break;
            default: break;
            }
        }
        say(Level::Info, format("skipping: %s  (file exists, not replaced)", shown.c_str()));
        return false;
    }

    // The path components an entry is written to; false when nothing is to be written.
    bool targetOf(zip_uint64_t index, const zip_stat_t &st, bool folder,
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
        if (zip_file_get_external_attributes(m_zip, index, 0, &opsys, &attributes) == 0
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

    // Whether the entry may go to leaf in dir; replace tells that a file is there.
    bool mayWrite(int dir, const std::string &leaf, const std::string &shown, const zip_stat_t &st,
                  bool &replace)
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

    void extractEntry(zip_uint64_t index, const zip_stat_t &st, bool folder)
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
        EntryPtr file = openEntry(index, st, st.name);
        if (!file)
            return;
        const bool stored = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_STORE;
        const char *verb = stored ? " extracting:" : "  inflating:";
        std::string temp;
        if (!writeTemp(file.get(), at.dir.get(), st, mode, verb, shown, temp))
            return;
        const Fd target = makeMissing(parts, folders, shown, at);
        if (target.get() < 0
            || !moveIntoPlace(at.dir.get(), temp, target.get(), parts.back(), replace, shown)) {
            ::unlinkat(at.dir.get(), temp.c_str(), 0);
            return;
        }
        say(Level::Info, format("%s %s", verb, shown.c_str()));
    }

    // Writes the entry's data to a new temporary file in dir, named in temp. False when that
    // failed (reported, and the file removed).
    bool writeTemp(zip_file_t *file, int dir, const zip_stat_t &st, mode_t mode, const char *verb,
                   const std::string &shown, std::string &temp)
    {
        Fd out;
        for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
            temp = format(".qm-unzip-%ld-%u", static_cast<long>(::getpid()), ++m_tempCounter);
            out = Fd(::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0666));
            if (out.get() < 0 && errno != EEXIST)
                break;
        }
        if (out.get() < 0) {
            say(Level::Error, format("error:  cannot create %s: %s", shown.c_str(), std::strerror(errno)));
            note(PK_DISK);
            return false;
        }
        bool writeFailed = false;
        const bool ok = writeData(file, out.get(), st.name, verb, writeFailed);
        if (ok && !writeFailed) {
            if (mode & 0777)
                ::fchmod(out.get(), mode & 0777);
            if (st.valid & ZIP_STAT_MTIME) {
                struct timespec times[2];
                times[0].tv_sec = st.mtime;
                times[0].tv_nsec = 0;
                times[1] = times[0];
                ::futimens(out.get(), times);
            }
        }
        const bool closed = ::close(out.release()) == 0;
        if (ok && !writeFailed && closed)
            return true;
        if (writeFailed || !closed) {
            say(Level::Error,
                format("error:  cannot write %s: %s", shown.c_str(), std::strerror(errno)));
            note(PK_DISK);
        }
        ::unlinkat(dir, temp.c_str(), 0);
        return false;
    }

    // Reads the entry into out, turning CR LF into LF for text when asked. False when reading
    // failed (reported) or writing did (writeFailed).
    bool writeData(zip_file_t *file, int out, const char *name, const char *verb, bool &writeFailed)
    {
        bool convert = m_options.naflag != 0;
        bool decided = false;
        bool pendingCR = false;
        const bool ok = pump(file, name, verb, [&](const char *data, size_t size) {
            if (convert && !decided) {
                decided = true;
                convert = std::memchr(data, '\0', size) == nullptr;
            }
            if (!convert) {
                writeFailed = !writeAll(out, data, size);
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
            writeFailed = !writeAll(out, text.data(), text.size());
            return !writeFailed;
        });
        if (ok && pendingCR)
            writeFailed = !writeAll(out, "\r", 1);
        return ok && !writeFailed;
    }

    // Renames the verified temporary file to its name, replacing a file only when allowed.
    bool moveIntoPlace(int tempDir, const std::string &temp, int dir, const std::string &leaf,
                       bool replace, const std::string &shown)
    {
        int renamed;
        if (replace) {
            renamed = ::renameat(tempDir, temp.c_str(), dir, leaf.c_str());
        } else {
            renamed = ::renameat2(tempDir, temp.c_str(), dir, leaf.c_str(), RENAME_NOREPLACE);
            if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {
                renamed = ::linkat(tempDir, temp.c_str(), dir, leaf.c_str(), 0);
                if (renamed == 0)
                    ::unlinkat(tempDir, temp.c_str(), 0);
            }
        }
        if (renamed == 0)
            return true;
        say(Level::Error, format("error:  cannot create %s: %s", shown.c_str(), std::strerror(errno)));
        note(PK_ERR);
        return false;
    }
    zip_t *m_zip;
    ArchiveBytes m_bytes;
    CentralDirectory m_directory;
    std::string m_displayName;
    std::vector<const char *> m_include;
    std::vector<const char *> m_exclude;
    const DCL &m_options;
    USERFUNCTIONS &m_callbacks;
    bool m_ignoreCase;
    int m_code = PK_OK;
    std::string m_base;
    Fd m_baseFd;
    std::string m_password;
    std::vector<char> m_buffer;
    bool m_replaceAll = false;
    bool m_replaceNone = false;
    unsigned m_tempCounter = 0;
};

} // namespace

int codeForOpenError(int zipError, int systemError)
{
    // A seek past what a file offset can hold: a directory that lies, not a read failure.
    if (zipError == ZIP_ER_SEEK && systemError == EFBIG)
        return PK_BADERR;
    switch (zipError) {
    case ZIP_ER_NOENT:
    case ZIP_ER_OPEN:
    case ZIP_ER_NOZIP:
        return PK_NOZIP;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return PK_EOF;
    case ZIP_ER_MEMORY:
        return PK_MEM;
    default:
        return PK_BADERR;
    }
}

int runOnArchive(zip_t *archive, ArchiveBytes bytes, const char *displayName,
                 const NameList &include, const NameList &exclude, const DCL &options,
                 USERFUNCTIONS &callbacks)
{
    try {
        Session session(archive, std::move(bytes), displayName, include, exclude, options,
                        callbacks);
        return session.run();
    } catch (const std::bad_alloc &) {
        return PK_MEM;
    } catch (...) {
        return PK_ERR;
    }
}

int run(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *options, USERFUNCTIONS *callbacks)
{
    if (!options || !callbacks)
        return PK_PARAM;
    try {
        const char *path = options->lpszZipFN;
        const int quiet = options->fQuiet;
        if (!path || !*path) {
            say(*callbacks, quiet, Level::Error, "error:  no archive name given");
            return PK_PARAM;
        }
        // O_NONBLOCK: a FIFO given as archive must not hang the open.
        Fd fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0) {
            say(*callbacks, quiet, Level::Error,
                format("error:  cannot find or open %s: %s", path, std::strerror(errno)));
            return PK_NOZIP;
        }
        struct stat info;
        if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            say(*callbacks, quiet, Level::Error, format("error:  %s is not a regular file", path));
            return PK_NOZIP;
        }
        if (info.st_size == 0) {
            say(*callbacks, quiet, Level::Error, format("error:  %s is empty, not a zipfile", path));
            return PK_NOZIP;
        }
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags >= 0)
            ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
        FILE *stream = ::fdopen(fd.get(), "rb");
        if (!stream)
            return PK_MEM;
        fd.release();
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t *source = zip_source_filep_create(stream, 0, 0, &error);
        if (!source) {
            std::fclose(stream);
            zip_error_fini(&error);
            return PK_MEM;
        }
        ArchivePtr archive(zip_open_from_source(source, ZIP_RDONLY, &error));
        if (!archive) {
            zip_source_free(source);
            const int code = codeForOpenError(zip_error_code_zip(&error), zip_error_code_system(&error));
            say(*callbacks, quiet, Level::Error,
                format("error:  cannot read %s: %s", path, zip_error_strerror(&error)));
            zip_error_fini(&error);
            return code;
        }
        zip_error_fini(&error);
        // The file is read again beside libzip (pread leaves the stream's position be).
        const auto size = static_cast<std::uint64_t>(info.st_size);
        return runOnArchive(archive.get(), ArchiveBytes::file(::fileno(stream), size), path,
                            NameList{ifnc, ifnv}, NameList{xfnc, xfnv}, *options, *callbacks);
    } catch (const std::bad_alloc &) {
        return PK_MEM;
    } catch (...) {
        return PK_ERR;
    }
}

} // namespace unzip32
