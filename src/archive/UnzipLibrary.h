// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// UnzipLibrary: libunzip32.so at one path, loaded on first use. Whoever creates readers owns
// one and hands it to them; a reader without one behaves as if the library were missing.

#include "unzip32/unzip32.h"

#include <QString>

#include <memory>
#include <mutex>

class QLibrary;

namespace qm {

class UnzipLibrary
{
public:
    // An empty path stands for besideProgram().
    explicit UnzipLibrary(const QString &path = QString());
    virtual ~UnzipLibrary();
    UnzipLibrary(const UnzipLibrary &) = delete;
    UnzipLibrary &operator=(const UnzipLibrary &) = delete;

    QString path() const { return m_path; }
    // Loads it now (on first use otherwise); false when it cannot be. A failed load is tried
    // again on the next use, so a library that turns up later is found. Any thread may call it:
    // the window's plans list archives on worker threads.
    bool load();

    // Wiz_SingleEntryUnzip; -1 when the library cannot be loaded or lacks the entry point.
    // Virtual: another library can stand in for this one.
    virtual int singleEntryUnzip(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *dcl,
                                 USERFUNCTIONS *callbacks);
    // Wiz_ListStored; -1 likewise.
    int listStored(DCL *dcl, USERFUNCTIONS *callbacks, DLLSTORED *stored);

    // UzpVersion2; throws AppError 53 when the library cannot be loaded, 453 when it lacks the
    // entry point.
    void version(UzpVer2 &record);

    // libunzip32.so in the program's real folder, not Context::applicationFolder, which may
    // be pointed elsewhere.
    static QString besideProgram();

private:

    using WizFunction = int (*)(int, char **, int, char **, DCL *, USERFUNCTIONS *);
    using VersionFunction = void (*)(UzpVer2 *);
    using StoredFunction = int (*)(DCL *, USERFUNCTIONS *, DLLSTORED *);

    QString m_path;
    std::mutex m_loading; // entry points are set once, under it, before any call reads them
    std::unique_ptr<QLibrary> m_library;
    WizFunction m_wiz = nullptr;
    VersionFunction m_version = nullptr;
    StoredFunction m_stored = nullptr;
};

} // namespace qm
