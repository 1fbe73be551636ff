// SPDX-License-Identifier: GPL-3.0-or-later
// What the reader class's tests share: the library beside the program, watched, and the
// archives fuzz/make_corpus.py writes. Included by one test file each.
#pragma once

// cUnzip and its binding mUnzip: the reader over the real libunzip32.so
// beside the test program, and the callbacks driven directly.
#include "TestFiles.h"

#include "archive/cUnzip.h"
#include "archive/mUnzip.h"
#include "common/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

using namespace qm;

namespace {

// The AppError number a call throws, 0 when it does not throw.
[[maybe_unused]] int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const AppError &e) {
        return e.number();
    }
    return 0;
}

[[maybe_unused]] QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The library beside the program, noting what the last call handed over.
struct WatchedLibrary : UnzipLibrary {
    int calls = 0;
    int includeCount = 0;
    QStringList includeNames;
    int nvflag = 0;
    QByteArray extractDir; // null for a null pointer
    int singleEntryUnzip(int ifnc, char **ifnv, int xfnc, char **xfnv, DCL *dcl, USERFUNCTIONS *callbacks) override
    {
        ++calls;
        includeCount = ifnc;
        includeNames.clear();
        for (int i = 0; i < ifnc; ++i)
            includeNames << QString::fromLocal8Bit(ifnv[i]);
        nvflag = dcl->nvflag;
        extractDir = QByteArray(dcl->lpszExtractDir);
        return UnzipLibrary::singleEntryUnzip(ifnc, ifnv, xfnc, xfnv, dcl, callbacks);
    }
};

void receive(const char *path, unsigned long long csize = 10, unsigned cfactor = 0,
             const char *method = "Stored", unsigned mo = 1, unsigned dy = 2, unsigned yr = 2003,
             unsigned hh = 4, unsigned mm = 5, unsigned long crc = 0x1234, char crypt = ' ')
{
    mUnzip::ReceiveDirEntry(csize, csize, cfactor, mo, dy, yr, hh, mm, ' ', path, method, crc, crypt);
}

// Mixed into each test class: the fixtures folder and the watched library of the current test.
class CUnzipFixtures
{
protected:
    QTemporaryDir m_fixtures;
    std::shared_ptr<WatchedLibrary> m_library;
    QString fixture(const char *name) const { return m_fixtures.path() + QLatin1Char('/') + QLatin1String(name); }
    std::shared_ptr<cUnzip> newReader() const { return std::make_shared<cUnzip>(m_library); }
    // For initTestCase: the library where the build puts it, and the fixtures made.
    void makeFixtures()
    {
        // The binding loads the library from the program's own folder, where the build puts it.
        QVERIFY(QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/libunzip32.so")));
        QCOMPARE(UnzipLibrary().path(), QCoreApplication::applicationDirPath() + QStringLiteral("/libunzip32.so"));
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral(ARCHIVE_FIXTURES_SCRIPT), m_fixtures.path(),
                                                 QStringLiteral("--big"), fixture("huge.zip")});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
    }
};

} // namespace
