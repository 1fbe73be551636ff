// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// mUnzip: the binding to libunzip32.so. It runs one library call on behalf of a reader and
// supplies the five callbacks, which reach the reader through CallScope and nothing else.
//
// Error contract: RunUnzipLibrary never throws; every failure (library missing, entry point
// missing, anything thrown while preparing the call) makes its result -1, and then no callback
// runs. The callbacks never throw either: a failing step is skipped.

#include "unzip32/unzip32.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace qm {

class cUnzip;
class UnzipLibrary;

namespace mUnzip {

// The option record as a reader holds it: the library's DCL with its two texts as strings. They
// are converted to the locale's 8-bit encoding for the duration of each call only. A null
// lpszExtractDir reaches the library as a null pointer.
struct DclRecord {
    std::int32_t ExtractOnlyNewer = 0;
    std::int32_t SpaceToUnderscore = 0;
    std::int32_t PromptToOverwrite = 0;
    std::int32_t fQuiet = 0;
    std::int32_t ncflag = 0;
    std::int32_t ntflag = 0;
    std::int32_t nvflag = 0;
    std::int32_t nfflag = 0;
    std::int32_t nzflag = 0;
    std::int32_t ndflag = 0;
    std::int32_t noflag = 0;
    std::int32_t naflag = 0;
    std::int32_t nZIflag = 0;
    std::int32_t C_flag = 0;
    std::int32_t fPrivilege = 0;
    QString lpszZipFN;
    QString lpszExtractDir;
};

// The running library call as the callbacks see it. The library's callback records carry no
// user pointer, so this is the one thing they reach: set for the length of one call and cleared
// when it ends (guards nest, the innermost serves). Outside a call the callbacks do nothing.
struct CallScope {
    explicit CallScope(cUnzip &reader);
    ~CallScope();
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;

    // This thread's innermost call, null outside one.
    static CallScope *current();

    cUnzip *reader;               // null once the reader is destroyed during its call
    bool passwordRefused = false; // a password request was refused during this call
    // Consecutive entries share folders and methods: the texts decoded last are handed on.
    QByteArray folderBytes;
    QString folder;
    QByteArray methodBytes;
    QString method;
    CallScope *const previous; // the call this one runs within
};

// One Wiz_SingleEntryUnzip call of library (null: missing) for reader. Names are read from
// includeNames[0 .. count-1] (clamped to the list's size). Returns the library's code
// unchanged, or -1.
std::int32_t RunUnzipLibrary(UnzipLibrary *library, cUnzip &reader, DclRecord &options,
                             std::int32_t &lIncludeCount, QStringList &includeNames,
                             std::int32_t &lExcludeCount, QStringList &excludeNames);

// One Wiz_ListStored call for reader: the listing with each entry's local header, the directory
// as stored handed to the reader (cUnzip::AdoptStoredDirectory). The library's code, or -1.
std::int32_t RunStoredListing(UnzipLibrary *library, cUnzip &reader, DclRecord &options);

// The five callbacks, with the library's argument order (unzip32.h), and the stored directory's.
int PrintCallback(char *text, unsigned long length);
int ReplaceCallback(char *name);
int PasswordCallback(char *buffer, int size, const char *prompt, const char *name);
void ReceiveDirEntry(unsigned long long ucsize, unsigned long long csize, unsigned cfactor,
                     unsigned mo, unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c,
                     const char *filename, const char *methbuf, unsigned long crc, char fCrypt);
int ServiceCallback(const char *name, unsigned long number);
void ReceiveStoredDirectory(void *directory);

// Splits an entry path at its last '/': path becomes the name, folder the part before, written
// with '\' (folder is left untouched when there is no separator).
void SplitEntryPath(QString &path, QString &folder);

// Replaces every `from` by `to`; returns 1 when nothing was replaced, otherwise the 1-based
// position just after the last replacement.
std::int32_t ConvertSeparators(QString &text, const QString &from, const QString &to);

// ~cUnzip calls this so that a reader destroyed during its own call is not reached again.
void ReaderDestroyed(const cUnzip *reader);

} // namespace mUnzip

} // namespace qm
