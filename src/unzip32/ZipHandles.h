// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owners for libzip's handles.

#include <zip.h>

#include <memory>

namespace unzip32 {

struct ArchiveDeleter {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct EntryDeleter {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
struct SourceDeleter {
    void operator()(zip_source_t *source) const { zip_source_free(source); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDeleter>;
using EntryPtr = std::unique_ptr<zip_file_t, EntryDeleter>;
// A source given to zip_open_from_source belongs to the archive once that succeeds: release it.
using SourcePtr = std::unique_ptr<zip_source_t, SourceDeleter>;

class ZipError
{
public:
    ZipError() { zip_error_init(&m_error); }
    ~ZipError() { zip_error_fini(&m_error); }
    ZipError(const ZipError &) = delete;
    ZipError &operator=(const ZipError &) = delete;

    zip_error_t *get() { return &m_error; }

private:
    zip_error_t m_error;
};

} // namespace unzip32
