// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"

#include "NameMatch.h"

#include <algorithm>
#include <cstring>

namespace unzip32 {

namespace {

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

} // namespace

Session::Session(zip_t *archive, qm::zip::Bytes bytes, const char *displayName,
                 const NameList &include, const NameList &exclude, const DCL &options,
                 USERFUNCTIONS &callbacks)
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

void Session::note(int code)
{
    if (rank(code) > rank(m_code))
        m_code = code;
}

void Session::say(Level level, std::string text)
{
    unzip32::say(m_callbacks, m_options.fQuiet, level, std::move(text));
}

bool Session::selected(const char *name) const
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

void Session::readDirectory(qm::zip::Locals locals)
{
    m_directory = qm::zip::ReadDirectory(m_bytes, locals);
    m_matches = !m_zip;
    if (m_zip && m_directory.problem == qm::zip::Problem::None) {
        const zip_int64_t count = zip_get_num_entries(m_zip, 0);
        m_matches = count >= 0 && std::uint64_t(count) == m_directory.entries.size();
        for (zip_uint64_t i = 0; m_matches && i < m_directory.entries.size(); ++i) {
            const char *name = zip_get_name(m_zip, i, ZIP_FL_ENC_RAW);
            m_matches = name && std::string_view(name) == m_directory.name(m_directory.entries[i]);
        }
    }
}

const qm::zip::Entry *Session::stored(zip_uint64_t index) const
{
    return m_matches && index < m_directory.entries.size() ? &m_directory.entries[std::size_t(index)] : nullptr;
}

bool Session::reportProblem()
{
    using qm::zip::Problem;
    const char *what = nullptr;
    int code = PK_BADERR;
    switch (m_directory.problem) {
    case Problem::None: return false;
    case Problem::NotZip: what = "cannot find zipfile directory"; code = PK_NOZIP; break;
    case Problem::ReadError: what = "cannot read the archive"; code = PK_EOF; break;
    case Problem::DirectoryOutside: what = "the zipfile directory lies outside the file"; break;
    case Problem::Zip64Damaged: what = "the Zip64 end record is missing or damaged"; break;
    case Problem::WrongCount: what = "the zipfile directory does not hold the entries it counts"; break;
    case Problem::EntryOutside: what = "an entry lies outside the archive"; break;
    }
    say(Level::Error, format("error [%s]:  %s", m_displayName.c_str(), what));
    note(code);
    return true;
}

bool Session::insideArchive(zip_uint64_t index, std::uint64_t compressedSize, const char *name)
{
    // Without the directory, only the size against the archive's length (a local header is 30
    // bytes at least).
    if (const qm::zip::Entry *entry = stored(index)) {
        if (qm::zip::EndsBefore(*entry, m_directory.centralStart))
            return true;
    } else if (compressedSize <= m_bytes.size() && 30 <= m_bytes.size() - compressedSize) {
        return true;
    }
    say(Level::Error, format("error:  %s lies outside the archive (damaged directory)", name));
    note(PK_BADERR);
    return false;
}

void Session::forEachSelected(zip_uint64_t entries, const Visit &visit)
{
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
        if (!insideArchive(i, (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0, name))
            continue;
        const size_t length = std::strlen(name);
        if (m_callbacks.ServCallBk
            && m_callbacks.ServCallBk(name, static_cast<unsigned long>(length + 1)) != 0) {
            say(Level::Warning, "stopped by the caller");
            note(IZ_CTRLC);
            break;
        }
        const bool folder = length > 0 && (name[length - 1] == '/' || name[length - 1] == '\\');
        visit(i, st, folder);
    }
    if (!m_include.empty() && matched == 0) {
        say(Level::Warning, format("caution: filename not matched in %s", m_displayName.c_str()));
        note(PK_FIND);
    }
}

EntryPtr Session::openEntry(zip_uint64_t index, const zip_stat_t &st, const char *name)
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
    return openWithPassword(index, name);
}

// Up to three passwords from the callback; the one that works is kept for the next entries.
EntryPtr Session::openWithPassword(zip_uint64_t index, const char *name)
{
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

bool Session::isPasswordError()
{
    const int code = zip_error_code_zip(zip_get_error(m_zip));
    return code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD;
}

void Session::reportOpenFailure(const char *name)
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

void Session::reportReadFailure(zip_file_t *file, const char *name, const char *verb)
{
    zip_error_t *error = zip_file_get_error(file);
    const int code = zip_error_code_zip(error);
    if (code == ZIP_ER_CRC)
        say(Level::Error, format("%s %s   bad CRC", verb, name));
    else
        say(Level::Error, format("%s %s   error: %s", verb, name, zip_error_strerror(error)));
    note(code == ZIP_ER_MEMORY ? PK_MEM
         : (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP) ? IZ_UNSUP
                                                                      : PK_ERR);
}

} // namespace unzip32
