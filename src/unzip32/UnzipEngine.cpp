// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnzipEngine.h"

#include "Files.h"
#include "Jobs.h"
#include "Messages.h"
#include "posix/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace unzip32 {

namespace {

// A listing reads the directory alone; testing and extracting go through libzip, with the
// directory beside it for where each entry lies.
int runSession(Session &session, DLLSTORED *stored)
{
    const bool listing = !session.zip();
    session.readDirectory(stored ? qm::zip::Locals::Read : qm::zip::Locals::Skip);
    const qm::zip::Problem problem = session.directory().problem;
    if (listing && session.reportProblem() && problem != qm::zip::Problem::EntryOutside) {
        if (stored) // what could be read, and why no more
            stored(&session.directory());
        return session.code();
    }
    const zip_int64_t count = listing ? zip_int64_t(session.directory().entries.size())
                                      : zip_get_num_entries(session.zip(), 0);
    if (count <= 0) {
        session.say(Level::Warning,
                    format("warning [%s]:  zipfile is empty", session.displayName().c_str()));
        session.note(PK_WARN);
    }
    if (listing)
        listEntries(session);
    else if (session.options().ntflag)
        testEntries(session, zip_uint64_t(std::max<zip_int64_t>(count, 0)));
    else
        extractEntries(session, zip_uint64_t(std::max<zip_int64_t>(count, 0)));
    if (stored)
        stored(&session.directory());
    return session.code();
}

struct StreamCloser {
    void operator()(FILE *stream) const { std::fclose(stream); }
};
using StreamPtr = std::unique_ptr<FILE, StreamCloser>;

// The archive file opened for reading; invalid (reported, code set) when it is no non-empty
// regular file.
Fd openArchiveFile(const char *path, int quiet, USERFUNCTIONS &callbacks, std::uint64_t &size, int &code)
{
    code = PK_NOZIP;
    struct stat info;
    Fd fd = qm::posix::openRegularFile(path, info);
    if (fd.get() < 0 && info.st_mode == 0) {
        say(callbacks, quiet, Level::Error,
            format("error:  cannot find or open %s: %s", path, std::strerror(errno)));
        return Fd();
    }
    if (fd.get() < 0) {
        say(callbacks, quiet, Level::Error, format("error:  %s is not a regular file", path));
        return Fd();
    }
    if (info.st_size == 0) {
        say(callbacks, quiet, Level::Error, format("error:  %s is empty, not a zipfile", path));
        return Fd();
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return fd;
}

int openAndRun(const char *path, NameList include, NameList exclude, const DCL &options,
               USERFUNCTIONS &callbacks, DLLSTORED *stored)
{
    const int quiet = options.fQuiet;
    std::uint64_t size = 0;
    int code = PK_OK;
    Fd fd = openArchiveFile(path, quiet, callbacks, size, code);
    if (fd.get() < 0)
        return code;
    if (options.nvflag || stored)
        return runOnArchive(nullptr, qm::zip::Bytes::file(fd.get(), size), path, include, exclude, options,
                            callbacks, stored);
    StreamPtr stream(::fdopen(fd.get(), "rb"));
    if (!stream)
        return PK_MEM;
    const int raw = fd.release(); // the stream's now
    ZipError error;
    SourcePtr source(zip_source_filep_create(stream.get(), 0, 0, error.get()));
    if (!source)
        return PK_MEM;
    stream.release(); // the source closes it from now on
    ArchivePtr archive(zip_open_from_source(source.get(), ZIP_RDONLY, error.get()));
    if (!archive) {
        say(callbacks, quiet, Level::Error,
            format("error:  cannot read %s: %s", path, zip_error_strerror(error.get())));
        return codeForOpenError(zip_error_code_zip(error.get()), zip_error_code_system(error.get()));
    }
    source.release(); // the archive's now
    // The file is read again beside libzip (pread leaves the stream's position be).
    return runOnArchive(archive.get(), qm::zip::Bytes::file(raw, size), path, include, exclude, options,
                        callbacks);
}

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

int runOnArchive(zip_t *archive, qm::zip::Bytes bytes, const char *displayName,
                 const NameList &include, const NameList &exclude, const DCL &options,
                 USERFUNCTIONS &callbacks, DLLSTORED *stored)
{
    try {
        Session session(archive, std::move(bytes), displayName, include, exclude, options,
                        callbacks);
        return runSession(session, stored);
    } catch (const std::bad_alloc &) {
        return PK_MEM;
    } catch (...) {
        return PK_ERR;
    }
}

int run(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *options, USERFUNCTIONS *callbacks,
        DLLSTORED *stored)
{
    if (!options || !callbacks)
        return PK_PARAM;
    try {
        const char *path = options->lpszZipFN;
        if (!path || !*path) {
            say(*callbacks, options->fQuiet, Level::Error, "error:  no archive name given");
            return PK_PARAM;
        }
        return openAndRun(path, NameList{ifnc, ifnv}, NameList{xfnc, xfnv}, *options, *callbacks, stored);
    } catch (const std::bad_alloc &) {
        return PK_MEM;
    } catch (...) {
        return PK_ERR;
    }
}

} // namespace unzip32
