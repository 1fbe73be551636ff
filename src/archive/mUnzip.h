#pragma once

// mUnzip: the binding to libunzip32.so. It loads the library by file name from the
// application folder on first use, runs one library call on behalf of a reader and supplies the
// five callbacks, which reach the reader through ActiveReader and nothing else.
//
// Error contract: RunUnzipLibrary never throws; every failure (library missing, entry point
// missing, anything thrown while preparing the call) makes its result -1, and then no callback
// runs. The callbacks never throw either: a failing step is skipped. CallUzpVersion2 is the one
// routine that throws (AppError 53 / 453), for GetVersion.

#include "unzip32/unzip32.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace qm {

class cUnzip;

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

// The reader whose library call is running. The split run also assigns a fresh reader to it
// before listing; RunUnzipLibrary sets it and never clears it, so the last reader stays alive.
std::shared_ptr<cUnzip> &ActiveReader();

// True once a password request was refused during the current call.
bool &PasswordCancelled();

// One Wiz_SingleEntryUnzip call for reader. Names are read from includeNames[0 .. count-1]
// (clamped to the list's size). Returns the library's code unchanged, or -1.
std::int32_t RunUnzipLibrary(cUnzip &reader, DclRecord &options, std::int32_t &lIncludeCount,
                             QStringList &includeNames, std::int32_t &lExcludeCount,
                             QStringList &excludeNames);

// The five callbacks, with the library's argument order (unzip32.h).
int PrintCallback(char *text, unsigned long length);
int ReplaceCallback(char *name);
int PasswordCallback(char *buffer, int size, const char *prompt, const char *name);
void ReceiveDirEntry(unsigned long long ucsize, unsigned long long csize, unsigned cfactor,
                     unsigned mo, unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c,
                     const char *filename, const char *methbuf, unsigned long crc, char fCrypt);
int ServiceCallback(const char *name, unsigned long number);

// Splits an entry path at its last '/': path becomes the name, folder the part before, written
// with '\' (folder is left untouched when there is no separator).
void SplitEntryPath(QString &path, QString &folder);

// Replaces every `from` by `to`; returns 1 when nothing was replaced, otherwise the 1-based
// position just after the last replacement.
std::int32_t ConvertSeparators(QString &text, const QString &from, const QString &to);

// Calls UzpVersion2; throws AppError 53 when the library cannot be loaded, 453 when it lacks
// the entry point.
void CallUzpVersion2(UzpVer2 &record);

// Where the library is loaded from: <applicationDirPath>/libunzip32.so unless a test set
// another path. Setting a path (or an empty text for the default) unloads the current library.
QString LibraryPath();
void SetLibraryPathForTesting(const QString &path);

// What the last RunUnzipLibrary handed over, for tests.
struct CallRecord {
    int calls = 0;
    std::int32_t includeCount = 0;
    QStringList includeNames;
    std::int32_t nvflag = 0;
    bool extractDirNull = false;
    QByteArray extractDir;
};
const CallRecord &LastCallForTesting();

// ~cUnzip calls this so a reader that was never owned by a shared_ptr is not left dangling in
// ActiveReader.
void ReaderDestroyed(const cUnzip *reader);

} // namespace mUnzip

// The module's shared state is also reachable as free functions of qm (the split run uses them).
using mUnzip::ActiveReader;
using mUnzip::PasswordCancelled;

} // namespace qm
