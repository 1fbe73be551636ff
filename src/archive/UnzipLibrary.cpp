// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/UnzipLibrary.h"

#include "common/AppError.h"
#include "common/Paths.h"

#include <QCoreApplication>
#include <QLibrary>

namespace qm {

UnzipLibrary::UnzipLibrary(const QString &path) : m_path(path.isEmpty() ? besideProgram() : path)
{
}

// Not unloaded: other objects for the same file may share it, and loading again costs.
UnzipLibrary::~UnzipLibrary() = default;

QString UnzipLibrary::besideProgram()
{
    return paths::join(QCoreApplication::applicationDirPath(), QStringLiteral("libunzip32.so"));
}

bool UnzipLibrary::load()
{
    const std::lock_guard<std::mutex> lock(m_loading);
    if (m_library && m_library->isLoaded())
        return true;
    m_library = std::make_unique<QLibrary>(m_path);
    if (!m_library->load()) {
        m_library.reset();
        return false;
    }
    m_wiz = reinterpret_cast<WizFunction>(m_library->resolve("Wiz_SingleEntryUnzip"));
    m_version = reinterpret_cast<VersionFunction>(m_library->resolve("UzpVersion2"));
    m_stored = reinterpret_cast<StoredFunction>(m_library->resolve("Wiz_ListStored"));
    return true;
}

int UnzipLibrary::singleEntryUnzip(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *dcl,
                                   USERFUNCTIONS *callbacks)
{
    if (!load() || !m_wiz)
        return -1;
    return m_wiz(ifnc, ifnv, xfnc, xfnv, dcl, callbacks);
}

int UnzipLibrary::listStored(DCL *dcl, USERFUNCTIONS *callbacks, DLLSTORED *stored)
{
    if (!load() || !m_stored)
        return -1;
    return m_stored(dcl, callbacks, stored);
}

void UnzipLibrary::version(UzpVer2 &record)
{
    if (!load())
        throw AppError::fileNotFound(m_path);
    if (!m_version)
        throw AppError(453, AppError::tr("Specified DLL function not found: %1").arg(QStringLiteral("UzpVersion2")));
    m_version(&record);
}

} // namespace qm
