// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One Wiz_SingleEntryUnzip request: what listing, testing and extracting share (the archive, the
// name selection, the code to return, reading an entry's data).

#include "zip/ZipReader.h"
#include "Messages.h"
#include "ZipHandles.h"
#include "unzip32.h"

#include <functional>
#include <string>
#include <vector>

namespace unzip32 {

struct NameList {
    int count = 0;
    char **names = nullptr;
};

class Session
{
public:
    // archive may be null: a listing reads the directory alone.
    Session(zip_t *archive, qm::zip::Bytes bytes, const char *displayName, const NameList &include,
            const NameList &exclude, const DCL &options, USERFUNCTIONS &callbacks);

    zip_t *zip() const { return m_zip; }
    const DCL &options() const { return m_options; }
    USERFUNCTIONS &callbacks() { return m_callbacks; }
    const std::string &displayName() const { return m_displayName; }
    // The directory as stored; with libzip's archive, kept only when it holds libzip's entries
    // by name and in order (stored() is null otherwise).
    const qm::zip::Directory &directory() const { return m_directory; }
    qm::zip::Directory &directory() { return m_directory; }
    void readDirectory(qm::zip::Locals locals);
    const qm::zip::Entry *stored(zip_uint64_t index) const;
    // Why the directory could not be read as a whole, reported, its code noted; false for none.
    bool reportProblem();

    int code() const { return m_code; }
    void note(int code);
    void say(Level level, std::string text);

    bool selected(const char *name) const;
    bool selectsAll() const { return m_include.empty() && m_exclude.empty(); }
    // False (reported) for an entry whose data the directory places beyond the archive's end.
    bool insideArchive(zip_uint64_t index, std::uint64_t compressedSize, const char *name);

    using Visit = std::function<void(zip_uint64_t index, const zip_stat_t &st, bool folder)>;
    // Testing and extracting: every selected entry that lies inside the archive, until the
    // service callback says stop; then the warning when the include names matched nothing.
    void forEachSelected(zip_uint64_t entries, const Visit &visit);

    // Opens an entry's data, asking for a password when it is encrypted; null when reported.
    EntryPtr openEntry(zip_uint64_t index, const zip_stat_t &st, const char *name);

    // Reads an entry to its end, handing every chunk to sink; libzip checks the CRC at the end.
    // False when reading failed (reported) or sink returned false.
    template <typename Sink>
    bool pump(zip_file_t *file, const char *name, const char *verb, Sink &&sink)
    {
        if (m_buffer.empty())
            m_buffer.resize(64 * 1024);
        for (;;) {
            const zip_int64_t n = zip_fread(file, m_buffer.data(), m_buffer.size());
            if (n < 0) {
                reportReadFailure(file, name, verb);
                return false;
            }
            if (n == 0)
                return true;
            if (!sink(m_buffer.data(), static_cast<size_t>(n)))
                return false;
        }
    }

private:
    EntryPtr openWithPassword(zip_uint64_t index, const char *name);
    bool isPasswordError();
    void reportOpenFailure(const char *name);
    void reportReadFailure(zip_file_t *file, const char *name, const char *verb);

    zip_t *m_zip;
    qm::zip::Bytes m_bytes;
    qm::zip::Directory m_directory;
    bool m_matches = false;
    std::string m_displayName;
    std::vector<const char *> m_include;
    std::vector<const char *> m_exclude;
    const DCL &m_options;
    USERFUNCTIONS &m_callbacks;
    bool m_ignoreCase;
    int m_code = PK_OK;
    std::string m_password;
    std::vector<char> m_buffer;
};

} // namespace unzip32
