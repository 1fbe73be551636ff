// SPDX-License-Identifier: GPL-3.0-or-later
// libunzip32.so on its own: the exported entry points, loaded the way the program loads them,
// driven with recording callbacks over archives made at test time (fuzz/make_corpus.py).
#include "TestSupport.h"

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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class Unzip32Test : public QObject
{
    Q_OBJECT

private:
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

private Q_SLOTS:
    void initTestCase()
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

    void listReportsEveryEntryInOrderWithItsArguments()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(3));
        const Listed &a = m_recorder.entries[0];
        QCOMPARE(a.name, QByteArray("a.txt"));
        QCOMPARE(a.ucsize, 3ull);
        QCOMPARE(a.csize, 3ull);
        QCOMPARE(a.cfactor, 0u);
        QCOMPARE(a.method, QByteArray("Stored"));
        QCOMPARE(a.crc, 0x352441C2ul); // crc32("abc")
        QCOMPARE(a.crypt, ' ');
        QVERIFY(!(a.crypt & 0x40));
        QCOMPARE(m_recorder.entries[1].name, QByteArray("docs/"));
        QCOMPARE(m_recorder.entries[2].name, QByteArray("docs/b.txt"));
        // The archive was made just now: its date is today, in local time.
        const QDate today = QDate::currentDate();
        QVERIFY(std::abs(QDate(int(a.yr), int(a.mo), int(a.dy)).daysTo(today)) <= 1);
        QVERIFY(a.hh < 24 && a.mm < 60);
        // The folder entry carries the DOS epoch of Python's ZipInfo: 1 January 1980, 00:00.
        QCOMPARE(m_recorder.entries[1].yr, 1980u);
        QCOMPARE(m_recorder.entries[1].mo, 1u);
        QCOMPARE(m_recorder.entries[1].dy, 1u);
        // Nothing is printed for a listing that works.
        QVERIFY(m_recorder.messages.isEmpty());
    }

    void listGivesDeflateMethodAndPercentageSaved()
    {
        const QByteArray path = QFile::encodeName(fixture("deflated.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(2));
        for (const Listed &e : m_recorder.entries) {
            QCOMPARE(e.method, QByteArray("Defl:N"));
            const int expected = qRound((double(e.ucsize) - double(e.csize)) * 100.0 / double(e.ucsize));
            QCOMPARE(int(e.cfactor), expected);
        }
        QCOMPARE(m_recorder.entries[1].name, QByteArray("x/y/z.bin"));
    }

    void listGivesNegativeFactorForAnEntryThatGrew()
    {
        const QByteArray path = QFile::encodeName(fixture("comment.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(1));
        const Listed &e = m_recorder.entries[0];
        QVERIFY(e.csize > e.ucsize);
        QCOMPARE(static_cast<int16_t>(e.cfactor & 0xFFFF), int16_t(-200));
    }

    void listNamesOtherMethods()
    {
        const QByteArray bzip = QFile::encodeName(fixture("bzip2.zip"));
        DCL options = listing(bzip);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.at(0).method, QByteArray("BZip2"));
        const QByteArray lzma = QFile::encodeName(fixture("lzma.zip"));
        options = listing(lzma);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.at(0).method, QByteArray("LZMA"));
    }

    void listMarksEncryptedEntries()
    {
        const QByteArray path = QFile::encodeName(fixture("encrypted.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(1));
        QCOMPARE(m_recorder.entries[0].crypt, 'E');
        QVERIFY(m_recorder.entries[0].crypt & 0x40);
        QVERIFY(m_recorder.passwordAsked.isEmpty()); // listing needs no password
    }

    void listPassesSizesBeyond4GiBWhole()
    {
        const QByteArray path = QFile::encodeName(m_big);
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(1));
        QCOMPARE(m_recorder.entries[0].ucsize, 5ull * 1024 * 1024 * 1024);
        QCOMPARE(m_recorder.entries[0].csize, 5ull * 1024 * 1024 * 1024);
    }

    void listFillsTotals()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        DCL options = listing(path);
        USERFUNCTIONS callbacks;
        std::memset(&callbacks, 0, sizeof callbacks);
        char empty[1] = {0};
        char *none[2] = {empty, nullptr};
        QCOMPARE(m_wiz(0, none, 0, none, &options, &callbacks), PK_OK); // no callbacks at all
        QCOMPARE(callbacks.NumMembers, 3ul);
        QCOMPARE(callbacks.TotalSize, 263ul);
        QCOMPARE(callbacks.TotalSizeComp, 263ul);
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("listed"); // entries a listing still reports
        QTest::newRow("missing path") << QStringLiteral("no-such.zip") << int(PK_NOZIP) << 0;
        QTest::newRow("a folder") << QStringLiteral("big") << int(PK_NOZIP) << 0;
        QTest::newRow("0-byte file") << QStringLiteral("zero.zip") << int(PK_NOZIP) << 0;
        QTest::newRow("a FIFO") << QStringLiteral("fifo.zip") << int(PK_NOZIP) << 0;
        QTest::newRow("not a zip") << QStringLiteral("not_a_zip.zip") << int(PK_NOZIP) << 0;
        QTest::newRow("truncated") << QStringLiteral("truncated.zip") << int(PK_NOZIP) << 0;
        QTest::newRow("lying count") << QStringLiteral("lying_count.zip") << int(PK_BADERR) << 0;
        QTest::newRow("lying offset") << QStringLiteral("lying_offset.zip") << int(PK_BADERR) << 0;
        QTest::newRow("Zip64 count") << QStringLiteral("bad_zip64_count.zip") << int(PK_BADERR) << 0;
        QTest::newRow("Zip64 locator") << QStringLiteral("bad_zip64_locator.zip") << int(PK_BADERR) << 0;
        // Entries whose data the directory puts beyond the end: listed, and said.
        QTest::newRow("size 0xFFFFFFF0") << QStringLiteral("outside_size.zip") << int(PK_BADERR) << 1;
        QTest::newRow("size 2^63-1") << QStringLiteral("outside_size63.zip") << int(PK_BADERR) << 1;
        QTest::newRow("size 2^64-1") << QStringLiteral("outside_size64.zip") << int(PK_BADERR) << 1;
        QTest::newRow("offset past the end") << QStringLiteral("outside_offset.zip") << int(PK_BADERR) << 1;
        QTest::newRow("data into the directory") << QStringLiteral("into_directory.zip") << int(PK_BADERR) << 1;
        QTest::newRow("offset 2^63-16") << QStringLiteral("outside_offset63.zip") << int(PK_BADERR) << 1;
        QTest::newRow("offset 2^64-16") << QStringLiteral("outside_offset64.zip") << int(PK_BADERR) << 1;
    }
    void badInput()
    {
        QFETCH(QString, archive);
        QFETCH(int, code);
        QFETCH(int, listed);
        QFile zero(fixture("zero.zip"));
        QVERIFY(zero.open(QIODevice::WriteOnly));
        zero.close();
        const QByteArray fifo = QFile::encodeName(fixture("fifo.zip"));
        if (!QFileInfo::exists(fixture("fifo.zip")))
            QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const QByteArray path = QFile::encodeName(m_fixtures.path() + QLatin1Char('/') + archive);
        for (int mode = 0; mode < 3; ++mode) { // list, test, extract
            DCL options = listing(path);
            QTemporaryDir out;
            const QByteArray folder = QFile::encodeName(out.path());
            if (mode > 0) {
                options = extracting(path, folder);
                options.ntflag = mode == 1;
            }
            QCOMPARE(call(options), code);
            QCOMPARE(m_recorder.entries.size(), size_t(mode == 0 ? listed : 0));
            QVERIFY(!m_recorder.messages.isEmpty()); // told why
            QVERIFY(listed == 0 || mode > 0 || m_recorder.said(QStringLiteral("lies outside the archive")));
            QVERIFY(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
        }
    }

    void emptyArchiveWarns()
    {
        const QByteArray path = QFile::encodeName(fixture("empty.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_WARN);
        QVERIFY(m_recorder.entries.empty());
        QVERIFY(m_recorder.said(QStringLiteral("zipfile is empty")));
    }

    void missingParametersAreRefused()
    {
        USERFUNCTIONS callbacks;
        std::memset(&callbacks, 0, sizeof callbacks);
        QCOMPARE(m_wiz(0, nullptr, 0, nullptr, nullptr, &callbacks), PK_PARAM);
        DCL options = listing(QByteArray());
        options.lpszZipFN = nullptr;
        QCOMPARE(m_wiz(0, nullptr, 0, nullptr, &options, nullptr), PK_PARAM);
        QCOMPARE(call(options), PK_PARAM);
        options.lpszZipFN = "";
        QCOMPARE(call(options), PK_PARAM);
    }

    void testModeChecksCrc()
    {
        const QByteArray good = QFile::encodeName(fixture("deflated.zip"));
        QTemporaryDir out;
        DCL options = extracting(good, QFile::encodeName(out.path()));
        options.ntflag = 1;
        QCOMPARE(call(options), PK_OK);
        QVERIFY(m_recorder.said(QStringLiteral("No errors detected")));
        QVERIFY(m_recorder.said(QStringLiteral("testing: a.txt")));
        QVERIFY(QDir(out.path()).isEmpty()); // testing writes nothing

        const QByteArray bad = QFile::encodeName(fixture("badcrc.zip"));
        options.lpszZipFN = bad.constData();
        QCOMPARE(call(options), PK_ERR);
        QVERIFY(m_recorder.said(QStringLiteral("bad CRC")));
        QVERIFY(m_recorder.said(QStringLiteral("At least one error")));
    }

    // Neither a partial file nor the entry's folders (deep/er/, sub/) stay behind.
    void failedEntryLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("code");
        QTest::newRow("bad CRC") << QStringLiteral("badcrc.zip") << int(PK_ERR);
        QTest::newRow("wrong password") << QStringLiteral("encrypted_in_folder.zip") << int(IZ_BADPWD);
    }
    void failedEntryLeavesNothingBehind()
    {
        QFETCH(QString, archive);
        QFETCH(int, code);
        const QByteArray bad = QFile::encodeName(m_fixtures.path() + QLatin1Char('/') + archive);
        QTemporaryDir out;
        DCL options = extracting(bad, QFile::encodeName(out.path()));
        m_recorder = Recorder{};
        m_recorder.passwordAnswers = {"wrong", "nope", "a"};
        QCOMPARE(callKeeping(options), code);
        QVERIFY(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    }

    void extractWritesFilesAndFolders()
    {
        const QByteArray path = QFile::encodeName(fixture("deflated.zip"));
        QTemporaryDir out;
        const QString target = out.path() + QStringLiteral("/new/deeper");
        const QByteArray folder = QFile::encodeName(target);
        DCL options = extracting(path, folder);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(target + QStringLiteral("/a.txt")), QByteArray("hello world\r\n").repeated(20));
        QCOMPARE(readAll(target + QStringLiteral("/x/y/z.bin")).size(), 1024);
        QVERIFY(m_recorder.said(QStringLiteral("inflating: ") + target + QStringLiteral("/a.txt")));
        QCOMPARE(m_recorder.serviceNames, (QList<QByteArray>{"a.txt", "x/y/z.bin"}));
        QCOMPARE(m_recorder.serviceSizes, (QList<unsigned long>{6, 10})); // with the NUL
    }

    void extractIntoCurrentFolderWhenNoneGiven()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(out.path()));
        DCL options = extracting(path, QByteArray());
        options.lpszExtractDir = nullptr;
        const int code = call(options);
        QDir::setCurrent(before);
        QCOMPARE(code, PK_OK);
        QCOMPARE(readAll(out.path() + QStringLiteral("/a.txt")), QByteArray("abc"));
        QVERIFY(QFileInfo(out.path() + QStringLiteral("/docs")).isDir());
    }

    void pathsThatClimbOutAreRefused()
    {
        const QByteArray path = QFile::encodeName(fixture("evil.zip"));
        QTemporaryDir box;
        const QString target = box.path() + QStringLiteral("/a/b");
        DCL options = extracting(path, QFile::encodeName(target));
        options.fQuiet = 2; // refusals are reported even when quiet
        QCOMPARE(call(options), PK_WARN);
        for (const char *name : {"../x", "/etc/x", "a/../../x", "..\\y"})
            QVERIFY2(m_recorder.said(QStringLiteral("refusing %1").arg(QLatin1String(name))), name);
        QStringList everything;
        QDirIterator it(box.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            everything << it.next();
        QCOMPARE(everything, (QStringList{box.path() + QStringLiteral("/a"), target}));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/etc/x")) || QFileInfo(QStringLiteral("/etc/x")).lastModified()
                                                                     < QDateTime::currentDateTime().addSecs(-60));
    }

    void symbolicLinkEntriesAreNotCreated()
    {
        const QByteArray path = QFile::encodeName(fixture("symlink.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        QCOMPARE(call(options), PK_WARN);
        QVERIFY(!QFileInfo::exists(out.path() + QStringLiteral("/link")));
        QVERIFY(!QFileInfo(out.path() + QStringLiteral("/link")).isSymLink());
        QVERIFY(m_recorder.said(QStringLiteral("symbolic link")));
    }

    void existingSymbolicLinksAreNotFollowed()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        QTemporaryDir outside;
        // docs -> outside folder; a.txt -> a file outside
        QVERIFY(QFile::link(outside.path(), out.path() + QStringLiteral("/docs")));
        const QString victim = outside.path() + QStringLiteral("/victim.txt");
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("keep");
        v.close();
        QVERIFY(QFile::link(victim, out.path() + QStringLiteral("/a.txt")));
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.noflag = 1; // even when told to overwrite
        QVERIFY(call(options) != PK_OK);
        QCOMPARE(readAll(victim), QByteArray("keep"));
        QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{QStringLiteral("victim.txt")});
        // a.txt: the link itself was replaced by the extracted file.
        QVERIFY(!QFileInfo(out.path() + QStringLiteral("/a.txt")).isSymLink());
        QCOMPARE(readAll(out.path() + QStringLiteral("/a.txt")), QByteArray("abc"));
        QVERIFY(m_recorder.said(QStringLiteral("symbolic link is in the way")));
    }

    void existingFilesAreKeptUnlessAllowed()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        const QString file = out.path() + QStringLiteral("/a.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.close();
        DCL options = extracting(path, QFile::encodeName(out.path()));
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("old"));
        QVERIFY(m_recorder.replaceAsked.isEmpty()); // not asked without PromptToOverwrite

        options.PromptToOverwrite = 1;
        m_recorder = Recorder{};
        m_recorder.replaceAnswer = IDM_REPLACE_NO;
        QCOMPARE(callKeeping(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("old"));
        QCOMPARE(m_recorder.replaceAsked.size(), 2); // a.txt and docs/b.txt exist by now
        QCOMPARE(m_recorder.replaceAsked.first(), QFile::encodeName(file));

        m_recorder = Recorder{};
        m_recorder.replaceAnswer = IDM_REPLACE_YES;
        QCOMPARE(callKeeping(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("abc"));

        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("old");
        f.close();
        options.PromptToOverwrite = 0;
        options.noflag = 1;
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("abc"));
    }

    void extractOnlyNewerComparesDates()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        const QString file = out.path() + QStringLiteral("/a.txt");
        auto writeOld = [&](const QDateTime &when) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("old");
            f.flush();
            QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
            f.close();
        };
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.ExtractOnlyNewer = 1;
        writeOld(QDateTime::currentDateTime().addDays(2)); // newer than the entry
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("old"));
        writeOld(QDateTime::currentDateTime().addYears(-3)); // older: replaced without asking
        options.PromptToOverwrite = 1;
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(file), QByteArray("abc"));
        QVERIFY(m_recorder.replaceAsked.isEmpty());
    }

    void folderNamesCanBeDropped()
    {
        const QByteArray path = QFile::encodeName(fixture("deflated.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.ndflag = 0;
        QCOMPARE(call(options), PK_OK);
        QVERIFY(QFileInfo::exists(out.path() + QStringLiteral("/z.bin")));
        QVERIFY(!QFileInfo::exists(out.path() + QStringLiteral("/x")));
    }

    void spacesCanBecomeUnderscores()
    {
        const QByteArray path = QFile::encodeName(fixture("spaces.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.SpaceToUnderscore = 1;
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(out.path() + QStringLiteral("/my_docs/read_me.txt")), QByteArray("spaces"));
    }

    void textLineEndsCanBeConverted()
    {
        const QByteArray path = QFile::encodeName(fixture("crlf.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.naflag = 1;
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(readAll(out.path() + QStringLiteral("/t.txt")), QByteArray("one\ntwo\n"));
        QCOMPARE(readAll(out.path() + QStringLiteral("/b.bin")), QByteArray("\0\r\n", 3)); // binary
    }

    void encryptedEntriesAskForThePassword()
    {
        const QByteArray path = QFile::encodeName(fixture("encrypted.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        m_recorder = Recorder{};
        m_recorder.passwordAnswers = {"wrong", "secret"};
        QCOMPARE(callKeeping(options), PK_OK);
        QCOMPARE(readAll(out.path() + QStringLiteral("/s.txt")), QByteArray("hello world\r\n").repeated(20));
        QCOMPARE(m_recorder.passwordAsked, (QList<QByteArray>{"s.txt", "s.txt"}));

        QTemporaryDir out2;
        const QByteArray folder2 = QFile::encodeName(out2.path());
        options.lpszExtractDir = folder2.constData();
        QCOMPARE(call(options), IZ_BADPWD); // refused at once
        QCOMPARE(m_recorder.passwordAsked.size(), 1);
        QVERIFY(!QFileInfo::exists(out2.path() + QStringLiteral("/s.txt")));

        m_recorder = Recorder{};
        m_recorder.passwordAnswers = {"a", "b", "c", "d"};
        QCOMPARE(callKeeping(options), IZ_BADPWD); // three wrong tries, then skipped
        QCOMPARE(m_recorder.passwordAsked.size(), 3);

        options.ntflag = 1;
        m_recorder = Recorder{};
        m_recorder.passwordAnswers = {"secret"};
        QCOMPARE(callKeeping(options), PK_OK);
    }

    void includeAndExcludeNames()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        const QByteArray folder = QFile::encodeName(out.path());
        DCL options = extracting(path, folder);
        QCOMPARE(call(options, {"docs/b.txt"}), PK_OK);
        QVERIFY(QFileInfo::exists(out.path() + QStringLiteral("/docs/b.txt")));
        QVERIFY(!QFileInfo::exists(out.path() + QStringLiteral("/a.txt")));
        QCOMPARE(m_recorder.serviceNames, QList<QByteArray>{"docs/b.txt"});

        QCOMPARE(call(options, {"nothing-like-it"}), PK_FIND);
        QVERIFY(m_recorder.said(QStringLiteral("filename not matched")));

        DCL list = listing(path);
        QCOMPARE(call(list, {"*.txt"}, {"a.txt"}), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(1));
        QCOMPARE(m_recorder.entries[0].name, QByteArray("docs/b.txt"));

        QCOMPARE(call(list, {"A.TXT"}), PK_OK); // case-sensitive unless C_flag
        QVERIFY(m_recorder.entries.empty());
        list.C_flag = 1;
        QCOMPARE(call(list, {"A.T?T"}), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(1));

        const QByteArray wild = QFile::encodeName(fixture("wild.zip"));
        list = listing(wild);
        QCOMPARE(call(list, {"a?c.txt"}), PK_OK); // abc, a?c, a*c, a\c
        QCOMPARE(m_recorder.entries.size(), size_t(4));
        QCOMPARE(call(list, {"a\\?c.txt", "a\\\\c.txt", "a[b]c.txt"}), PK_OK); // '\' escapes; '[' is plain
        QStringList names;
        for (const Listed &e : m_recorder.entries)
            names << QString::fromLatin1(e.name);
        QCOMPARE(names, (QStringList{"a?c.txt", "a\\c.txt", "a[b]c.txt"}));
    }

    // Stored fields come back as stored, also where mktime would move them (a daylight-saving
    // gap) or could pick either of two instants (the hour that repeats).
    void listGivesStoredDateAndTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        for (const char *zone : {"Europe/Berlin", "America/New_York", "UTC"})
            QTest::newRow(zone) << QByteArray(zone);
    }
    void listGivesStoredDateAndTime()
    {
        QFETCH(QByteArray, zone);
        const ZoneForTest inZone(zone.constData());
        const QByteArray path = QFile::encodeName(fixture("dst.zip"));
        DCL options = listing(path);
        QCOMPARE(call(options), PK_OK);
        QCOMPARE(m_recorder.entries.size(), size_t(4));
        for (const Listed &e : m_recorder.entries) { // named "YYYY-MM-DD hh-mm" after the stamp
            const QString got = QString::asprintf("%04u-%02u-%02u %02u-%02u", e.yr, e.mo, e.dy, e.hh, e.mm);
            QCOMPARE(got, QString::fromLatin1(e.name));
        }
    }

    void serviceCallbackCanStop()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        m_recorder = Recorder{};
        m_recorder.stopAfter = 1;
        QCOMPARE(callKeeping(options), IZ_CTRLC);
        QVERIFY(QFileInfo::exists(out.path() + QStringLiteral("/a.txt")));
        QVERIFY(!QFileInfo::exists(out.path() + QStringLiteral("/docs")));
    }

    void quietLevelsFilterMessages()
    {
        const QByteArray path = QFile::encodeName(fixture("stored.zip"));
        QTemporaryDir out;
        DCL options = extracting(path, QFile::encodeName(out.path()));
        options.fQuiet = 1;
        QCOMPARE(call(options), PK_OK);
        QVERIFY(m_recorder.messages.isEmpty());
        options.fQuiet = 0;
        options.noflag = 1;
        QCOMPARE(call(options), PK_OK);
        QVERIFY(m_recorder.said(QStringLiteral("extracting: ")));
        QVERIFY(m_recorder.said(QStringLiteral("creating: ")));
    }

    void versionRecordIsFilled()
    {
        UzpVer2 record;
        std::memset(&record, 0x7F, sizeof record);
        record.structlen = sizeof record;
        m_version(&record);
        QCOMPARE(record.structlen, 64u);
        QCOMPARE(record.windll.major, static_cast<unsigned char>(UNZIP32_VERSION_MAJOR));
        QCOMPARE(record.windll.minor, static_cast<unsigned char>(UNZIP32_VERSION_MINOR));
        QCOMPARE(record.windll.patchlevel, static_cast<unsigned char>(UNZIP32_VERSION_PATCH));
        QCOMPARE(QByteArray(record.date), QByteArray(UNZIP32_RELEASE_DATE));
        QCOMPARE(QByteArray(record.betalevel), QByteArray(""));
        QVERIFY(QByteArray(record.zlib_version).startsWith('1'));
        QCOMPARE(record.fEncryption, 1);

        // A shorter record is filled only up to its length.
        std::memset(&record, 'x', sizeof record);
        record.structlen = 8;
        m_version(&record);
        QCOMPARE(record.structlen, 8u);
        QCOMPARE(record.betalevel[0], 'x');
        m_version(nullptr); // harmless
    }
};

QTEST_GUILESS_MAIN(Unzip32Test)
#include "test_unzip32.moc"
