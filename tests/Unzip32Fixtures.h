// SPDX-License-Identifier: GPL-3.0-or-later
// What the library's tests share: the library loaded as a program loads it, a recorder of its
// callbacks, and the archives fuzz/make_corpus.py writes. Included by one test file each.
#pragma once

// libunzip32.so on its own: the exported entry points, loaded the way the program loads them,
// driven with recording callbacks over archives made at test time (fuzz/make_corpus.py).
#include "TestFiles.h"

#include "unzip32/unzip32.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <ctime>
#include <list>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using WizFunction = int (*)(int, char **, int, char **, DCL *, USERFUNCTIONS *);
using VersionFunction = void (*)(UzpVer2 *);

struct Listed {
    unsigned long long ucsize = 0;
    unsigned long long csize = 0;
    unsigned cfactor = 0;
    unsigned mo = 0, dy = 0, yr = 0, hh = 0, mm = 0;
    char c = 0;
    QByteArray name;
    QByteArray method;
    unsigned long crc = 0;
    char crypt = 0;
};

struct Recorder {
    std::vector<Listed> entries;
    QStringList messages;
    QList<QByteArray> replaceAsked;
    int replaceAnswer = IDM_REPLACE_NO;
    QList<QByteArray> passwordAsked;
    QList<QByteArray> passwordAnswers; // none left: refuse
    QList<QByteArray> serviceNames;
    QList<unsigned long> serviceSizes;
    int stopAfter = -1;

    bool said(const QString &part) const
    {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const QString &m) { return m.contains(part); });
    }
};

Recorder *g_recorder = nullptr;

int onPrint(char *text, unsigned long size)
{
    g_recorder->messages << QString::fromUtf8(text, static_cast<qsizetype>(size));
    return 0;
}

int onReplace(char *name)
{
    g_recorder->replaceAsked << QByteArray(name);
    return g_recorder->replaceAnswer;
}

int onPassword(char *buffer, int size, const char *, const char *name)
{
    g_recorder->passwordAsked << QByteArray(name);
    if (g_recorder->passwordAnswers.isEmpty())
        return 1;
    const QByteArray answer = g_recorder->passwordAnswers.takeFirst();
    qstrncpy(buffer, answer.constData(), static_cast<size_t>(size));
    return 0;
}

void onEntry(unsigned long long ucsize, unsigned long long csize, unsigned cfactor, unsigned mo,
             unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c, const char *filename,
             const char *methbuf, unsigned long crc, char fCrypt)
{
    Listed e;
    e.ucsize = ucsize;
    e.csize = csize;
    e.cfactor = cfactor;
    e.mo = mo;
    e.dy = dy;
    e.yr = yr;
    e.hh = hh;
    e.mm = mm;
    e.c = c;
    e.name = filename;
    e.method = methbuf;
    e.crc = crc;
    e.crypt = fCrypt;
    g_recorder->entries.push_back(e);
}

int onService(const char *name, unsigned long size)
{
    g_recorder->serviceNames << QByteArray(name);
    g_recorder->serviceSizes << size;
    return (g_recorder->stopAfter >= 0 && g_recorder->serviceNames.size() > g_recorder->stopAfter) ? 1 : 0;
}

[[maybe_unused]] QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Mixed into each test class: the library, its fixtures and one call at a time.
class Unzip32Fixtures
{
protected:
    QLibrary m_library{QStringLiteral(UNZIP32_LIBRARY)};
    WizFunction m_wiz = nullptr;
    VersionFunction m_version = nullptr;
    QTemporaryDir m_fixtures;
    Recorder m_recorder;
    QString m_big;
    std::list<QByteArray> m_keep;

    QString fixture(const char *name) const { return m_fixtures.path() + QLatin1Char('/') + QLatin1String(name); }

    // One call; include/exclude names as given (empty lists pass count 0).
    int call(DCL &options, const QList<QByteArray> &include = {}, const QList<QByteArray> &exclude = {})
    {
        m_recorder = Recorder{};
        return callKeeping(options, include, exclude);
    }
    int callKeeping(DCL &options, const QList<QByteArray> &include = {},
                    const QList<QByteArray> &exclude = {})
    {
        USERFUNCTIONS callbacks;
        std::memset(&callbacks, 0, sizeof callbacks);
        callbacks.print = onPrint;
        callbacks.replace = onReplace;
        callbacks.password = onPassword;
        callbacks.SendApplicationMessage = onEntry;
        callbacks.ServCallBk = onService;
        auto slots = [](const QList<QByteArray> &names) {
            std::vector<char *> list(1024, nullptr);
            for (int i = 0; i < names.size(); ++i)
                list[static_cast<size_t>(i)] = const_cast<char *>(names[i].constData());
            list[static_cast<size_t>(names.size())] = const_cast<char *>("");
            return list;
        };
        std::vector<char *> in = slots(include);
        std::vector<char *> out = slots(exclude);
        return m_wiz(static_cast<int>(include.size()), in.data(), static_cast<int>(exclude.size()),
                     out.data(), &options, &callbacks);
    }

    static DCL listing(const QByteArray &path)
    {
        DCL options;
        std::memset(&options, 0, sizeof options);
        options.nvflag = 1;
        options.lpszZipFN = path.constData();
        options.lpszExtractDir = "";
        return options;
    }
    // Keeps the folder's bytes alive for the test's duration (the record holds a pointer).
    DCL extracting(const QByteArray &path, const QByteArray &folder)
    {
        m_keep.push_back(folder);
        DCL options = listing(path);
        options.nvflag = 0;
        options.ndflag = 1;
        options.lpszExtractDir = m_keep.back().isNull() ? nullptr : m_keep.back().constData();
        return options;
    }

    // For initTestCase: the library loaded and the fixtures made.
    void loadAndMakeFixtures()
    {
        g_recorder = &m_recorder;
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        m_wiz = reinterpret_cast<WizFunction>(m_library.resolve("Wiz_SingleEntryUnzip"));
        m_version = reinterpret_cast<VersionFunction>(m_library.resolve("UzpVersion2"));
        QVERIFY(m_wiz && m_version);
        m_big = m_fixtures.path() + QStringLiteral("/big/huge.zip");
        QDir().mkpath(QFileInfo(m_big).absolutePath());
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral(ARCHIVE_FIXTURES_SCRIPT), m_fixtures.path(), QStringLiteral("--big"), m_big});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        QVERIFY(QFile::exists(fixture("stored.zip")));
    }
};

} // namespace
