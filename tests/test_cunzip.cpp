// SPDX-License-Identifier: GPL-3.0-or-later
// cUnzip and its binding mUnzip: the reader over the real libunzip32.so
// beside the test program, and the callbacks driven directly.
#include "TestSupport.h"

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
int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const AppError &e) {
        return e.number();
    }
    return 0;
}

QByteArray readAll(const QString &path)
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

} // namespace

class CUnzipTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_fixtures;
    std::shared_ptr<WatchedLibrary> m_library;
    QString fixture(const char *name) const { return m_fixtures.path() + QLatin1Char('/') + QLatin1String(name); }
    std::shared_ptr<cUnzip> newReader() const { return std::make_shared<cUnzip>(m_library); }

private Q_SLOTS:
    void initTestCase()
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

    void init() { m_library = std::make_shared<WatchedLibrary>(); }

    // ---- the reader -------------------------------------------------------------------

    void freshReader()
    {
        cUnzip reader(m_library);
        QCOMPARE(reader.FileCount(), 0);
        QCOMPARE(reader.ZipFile(), QString(""));
        QVERIFY(!reader.ZipFile().isNull());
        QVERIFY(reader.UnzipFolder().isNull());
        QCOMPARE(reader.MessageLevel(), 0);
        QVERIFY(!reader.ExtractOnlyNewer() && !reader.SpaceToUnderScore() && !reader.PromptToOverwrite()
                && !reader.TestZip() && !reader.UseFolderNames() && !reader.OverwriteExisting()
                && !reader.ConvertCRToCRLF() && !reader.CaseSensitiveFileNames());
        QCOMPARE(errorOf([&] { reader.Filename(1); }), 9);
    }

    void optionsReadBack()
    {
        cUnzip reader(m_library);
        reader.setTestZip(true);
        QVERIFY(reader.TestZip());
        reader.setTestZip(false);
        QVERIFY(!reader.TestZip());
        reader.setMessageLevel(-7); // stored unchecked
        QCOMPARE(reader.MessageLevel(), -7);
        reader.setExtractOnlyNewer(true);
        reader.setSpaceToUnderScore(true);
        reader.setPromptToOverwrite(true);
        reader.setUseFolderNames(true);
        reader.setOverwriteExisting(true);
        reader.setConvertCRToCRLF(true);
        reader.setCaseSensitiveFileNames(true);
        QVERIFY(reader.ExtractOnlyNewer() && reader.SpaceToUnderScore() && reader.PromptToOverwrite()
                && reader.UseFolderNames() && reader.OverwriteExisting() && reader.ConvertCRToCRLF()
                && reader.CaseSensitiveFileNames());
    }

    void listingDropsFolderEntries()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("stored.zip")); // a.txt, docs/, docs/b.txt
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 2);
        QCOMPARE(reader->Filename(1), QString("a.txt"));
        QCOMPARE(reader->FileDirectory(1), QString(""));
        QCOMPARE(reader->Filename(2), QString("b.txt"));
        QCOMPARE(reader->FileDirectory(2), QString("docs"));
        QCOMPARE(reader->FileSize(1), 3);      // stored: the file's length
        QCOMPARE(reader->FileSize(2), 260);
        QCOMPARE(reader->FileCompressionMethod(1), QString("Stored"));
        QCOMPARE(reader->FileCRC(1), std::int32_t(0x352441C2));
        QCOMPARE(reader->FileCompressionRatio(1), 0);
        QVERIFY(!reader->FileEncrypted(1));
        QVERIFY(reader->FileSelected(1));
        QVERIFY(std::abs(reader->FileDate(1).date().daysTo(QDate::currentDate())) <= 1);
        QCOMPARE(reader->FileDate(1).time().second(), 0);
        QVERIFY(!mUnzip::CallScope::current()); // the callbacks' bridge ends with the call
    }

    void nestedFoldersUseBackslashAndBuildBack()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("deflated.zip")); // a.txt, x/y/z.bin
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 2);
        QCOMPARE(reader->FileDirectory(2), QString("x\\y"));
        QCOMPARE(reader->Filename(2), QString("z.bin"));
        QCOMPARE(cUnzip::BuildEntryPath(reader->FileDirectory(2), reader->Filename(2)), QString("x/y/z.bin"));
        QCOMPARE(cUnzip::BuildEntryPath(QString(), QStringLiteral("a.txt")), QString("a.txt"));
        QCOMPARE(cUnzip::BuildEntryPath(QString(QChar(u'\0')), QStringLiteral("a.txt")), QString("a.txt"));
        QCOMPARE(reader->FileCompressionMethod(1), QString("Defl:N"));
        QVERIFY(reader->FileCompressionRatio(1) > 80);
        QVERIFY(reader->FileSize(1) < 260); // the compressed size
    }

    // Names and sizes as zipinfo gives them, where extra fields could mislead the reader: Zip64
    // sizes that differ, Unicode paths with a stale checksum or a length past the field.
    void listingMatchesZipinfo_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"zip64_deflated.zip", "upath_passed_over.zip", "deflated.zip"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void listingMatchesZipinfo()
    {
        QFETCH(QString, name);
        const QString archive = m_fixtures.path() + QLatin1Char('/') + name;
        auto reader = newReader();
        reader->setZipFile(archive);
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->ListStored(), 0);
        QStringList listed, sizes;
        for (std::int32_t i = 1; i <= reader->FileCount(); ++i)
            listed << cUnzip::BuildEntryPath(reader->FileDirectory(i), reader->Filename(i));
        for (const zip::Entry &entry : reader->StoredDirectory().entries)
            sizes << QStringLiteral("%1 %2").arg(entry.uncompressedSize).arg(entry.compressedSize);
        QProcess zipinfo;
        zipinfo.start(QStringLiteral("zipinfo"), {QStringLiteral("-l"), archive});
        QVERIFY(zipinfo.waitForFinished());
        QStringList names, expected; // "-rw-r--r--  4.5 unx  1080 bx  40 defN 25-Jan-01 12:00 d64.txt"
        const QRegularExpression line(QStringLiteral("^(\\S+\\s+){3}(\\d+)\\s+\\S+\\s+(\\d+)(\\s+\\S+){3}\\s(.*)$"));
        for (const QString &text : QString::fromUtf8(zipinfo.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = line.match(text);
            if (m.hasMatch()) {
                names << m.captured(5);
                expected << m.captured(2) + QLatin1Char(' ') + m.captured(3);
            }
        }
        QCOMPARE(listed, names);
        QCOMPARE(sizes, expected);
    }

    void directoryAppendsAndZipFileEmpties()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("stored.zip"));
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 4);
        QCOMPARE(reader->Filename(3), QString("a.txt"));
        reader->setZipFile(fixture("stored.zip")); // even the same path empties the list
        QCOMPARE(reader->FileCount(), 0);
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 2);
    }

    void entriesOf5GiBAreReadWhole()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("huge.zip"));
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 1);
        QCOMPARE(reader->FileSize(1), std::int64_t(5) * 1024 * 1024 * 1024);
        QCOMPARE(reader->FilePackedSize(1), 0); // ratio 0
    }

    // What the split run plans from: every record as stored, folders too, local headers read,
    // offsets where they lie; the classic listing is left alone.
    void storedListingKeepsWhatPlanningNeeds()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("stored.zip")); // a.txt, docs/, docs/b.txt
        QCOMPARE(reader->ListStored(), 0);
        QCOMPARE(reader->FileCount(), 0);
        const zip::Directory &stored = reader->StoredDirectory();
        QCOMPARE(int(stored.problem), int(zip::Problem::None));
        QCOMPARE(stored.entries.size(), std::size_t(3));
        QCOMPARE(stored.name(stored.entries[1]), std::string_view("docs/"));
        std::uint64_t previous = 0;
        for (const zip::Entry &entry : stored.entries) {
            QCOMPARE(entry.localName, entry.nameLength);
            QVERIFY(entry.localOffset >= previous && zip::EndsBefore(entry, stored.centralStart));
            previous = entry.localOffset + 1;
        }
        reader->setZipFile(fixture("huge.zip"));
        QCOMPARE(reader->ListStored(), 0);
        QCOMPARE(reader->StoredDirectory().entries.at(0).uncompressedSize, std::uint64_t(5) << 30);
        cUnzip orphan; // no library: as if the file were missing
        orphan.setZipFile(fixture("stored.zip"));
        QCOMPARE(orphan.ListStored(), -1);
        QCOMPARE(int(orphan.StoredDirectory().problem), int(zip::Problem::NotZip));
    }

    void indexOutsideTheListFails_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("0") << 0;
        QTest::newRow("count + 1") << 3;
        QTest::newRow("negative") << -1;
    }
    void indexOutsideTheListFails()
    {
        QFETCH(int, index);
        auto reader = newReader();
        reader->setZipFile(fixture("stored.zip"));
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(errorOf([&] { reader->Filename(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileDirectory(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileSize(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FilePackedSize(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileCompressionRatio(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileDate(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileCRC(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileCompressionMethod(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileEncrypted(index); }), 9);
        QCOMPARE(errorOf([&] { reader->FileSelected(index); }), 9);
        QCOMPARE(errorOf([&] { reader->setFileSelected(index, false); }), 9);
        QVERIFY(reader->FileSelected(1) && reader->FileSelected(2)); // nothing changed
    }

    void packedSize_data()
    {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<qlonglong>("size");
        QTest::addColumn<qlonglong>("packed");
        QTest::addColumn<int>("error");
        QTest::newRow("75 of 1000") << 75 << 1000ll << 750ll << 0;
        QTest::newRow("33 of 10") << 33 << 10ll << 3ll << 0;
        QTest::newRow("-33 of 10 truncates toward zero") << -33 << 10ll << -3ll << 0;
        QTest::newRow("100 of 21474836") << 100 << 21474836ll << 21474836ll << 0;
        // The 32-bit design overflowed here; sizes are 64-bit now.
        QTest::newRow("100 of 21474837") << 100 << 21474837ll << 21474837ll << 0;
        QTest::newRow("100 of 3 GB") << 100 << 3000000000ll << 3000000000ll << 0;
        QTest::newRow("beyond 64 bits") << 100 << (std::numeric_limits<qlonglong>::max() / 50) << 0ll << 6;
        QTest::newRow("-32768 of big") << -32768 << (std::numeric_limits<qlonglong>::max() / 16384) << 0ll << 6;
    }
    void packedSize()
    {
        QFETCH(int, ratio);
        QFETCH(qlonglong, size);
        QFETCH(qlonglong, packed);
        QFETCH(int, error);
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        receive("f.bin", static_cast<unsigned long long>(size), static_cast<unsigned>(ratio) & 0xFFFF);
        QCOMPARE(reader->FileCount(), 1);
        QCOMPARE(reader->FileCompressionRatio(1), ratio);
        QCOMPARE(reader->FileSize(1), size);
        std::int64_t got = 0;
        QCOMPARE(errorOf([&] { got = reader->FilePackedSize(1); }), error);
        if (!error)
            QCOMPARE(got, packed);
    }

    void unzipPassesIncludeNames()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("deflated.zip"));
        QCOMPARE(reader->Directory(), 0);
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        reader->setUseFolderNames(true);

        QVERIFY(reader->Unzip()); // all selected: no names
        QCOMPARE(m_library->includeCount, 0);
        QCOMPARE(m_library->nvflag, 0);
        QCOMPARE(m_library->extractDir, QFile::encodeName(out.path()));
        QCOMPARE(readAll(out.path() + QStringLiteral("/x/y/z.bin")).size(), 1024);

        reader->setFileSelected(1, false);
        reader->setFileSelected(2, false);
        reader->Unzip(); // none selected: no names either (so everything)
        QCOMPARE(m_library->includeCount, 0);

        QTemporaryDir out2;
        reader->setUnzipFolder(out2.path());
        reader->setFileSelected(2, true);
        QVERIFY(reader->Unzip());
        QCOMPARE(m_library->includeCount, 1);
        QCOMPARE(m_library->includeNames, QStringList{QStringLiteral("x/y/z.bin")});
        QVERIFY(QFileInfo::exists(out2.path() + QStringLiteral("/x/y/z.bin")));
        QVERIFY(!QFileInfo::exists(out2.path() + QStringLiteral("/a.txt")));
    }

    // The selected paths reach the library as patterns: each must match only itself.
    void unzipWritesOnlyTheSelectedEntry_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *path : {"abc.txt", "a?c.txt", "a*c.txt", "a\\c.txt", "a[b]c.txt", "d/a?c.txt"})
            QTest::newRow(path) << QString::fromLatin1(path);
    }
    void unzipWritesOnlyTheSelectedEntry()
    {
        QFETCH(QString, path);
        auto reader = newReader();
        reader->setZipFile(fixture("wild.zip")); // every entry holds its own path
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 6);
        for (std::int32_t i = 1; i <= reader->FileCount(); ++i)
            reader->setFileSelected(
                i, cUnzip::BuildEntryPath(reader->FileDirectory(i), reader->Filename(i)) == path);
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        QVERIFY(reader->Unzip());
        QStringList written;
        QDirIterator it(out.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            written << QString::fromLatin1(readAll(it.next()));
        QCOMPARE(written, QStringList{path});
    }

    void unzipOfOneOfThree()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        reader->setZipFile(QStringLiteral("/nonexistent/x.zip"));
        receive("one.txt");
        receive("two.txt");
        receive("three.txt");
        reader->setFileSelected(1, false);
        reader->setFileSelected(3, false);
        QVERIFY(!reader->Unzip()); // the archive does not exist: not a success
        QCOMPARE(m_library->includeCount, 1);
        QCOMPARE(m_library->includeNames, QStringList{QStringLiteral("two.txt")});
        QVERIFY(m_library->extractDir.isNull()); // UnzipFolder never assigned
    }

    void unzipWithoutArchiveMakesNoCall()
    {
        cUnzip reader(m_library);
        QVERIFY(!reader.Unzip());
        QCOMPARE(m_library->calls, 0);
    }

    void unzipTestsWithTestZip()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("badcrc.zip"));
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        reader->setTestZip(true);
        QStringList messages;
        connect(reader.get(), &cUnzip::Progress, [&](std::int32_t lCount, const QString &sMsg) {
            QCOMPARE(lCount, 1);
            messages << sMsg;
        });
        QVERIFY(!reader->Unzip());
        QVERIFY(messages.join(QString()).contains(QStringLiteral("bad CRC")));
        QVERIFY(QDir(out.path()).isEmpty());
        reader->setZipFile(fixture("stored.zip"));
        QVERIFY(reader->Unzip());
    }

    void overwritePromptEvent()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("stored.zip"));
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        reader->setUseFolderNames(true);
        QVERIFY(reader->Unzip());
        QFile f(out.path() + QStringLiteral("/a.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("old");
        f.close();
        reader->setPromptToOverwrite(true);
        QStringList asked;
        std::int32_t answer = 100;
        connect(reader.get(), &cUnzip::OverwritePrompt, [&](const QString &sFile, std::int32_t &eResponse) {
            QCOMPARE(eResponse, 100);
            asked << sFile;
            eResponse = answer;
        });
        QVERIFY(reader->Unzip());
        QCOMPARE(readAll(out.path() + QStringLiteral("/a.txt")), QByteArray("old"));
        QVERIFY(!asked.isEmpty());
        QString expected = out.path() + QStringLiteral("/a.txt");
        expected.replace(QLatin1Char('/'), QLatin1Char('\\'));
        QCOMPARE(asked.first(), expected);
        answer = IDM_REPLACE_ALL;
        QVERIFY(reader->Unzip());
        QCOMPARE(readAll(out.path() + QStringLiteral("/a.txt")), QByteArray("abc"));
    }

    void passwordAndCancelEvents()
    {
        auto reader = newReader();
        reader->setZipFile(fixture("encrypted.zip"));
        QCOMPARE(reader->Directory(), 0);
        QVERIFY(reader->FileEncrypted(1));
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        int requests = 0;
        QString given = QStringLiteral("  secret  "); // trimmed before use
        connect(reader.get(), &cUnzip::PasswordRequest, [&](QString &sPassword, bool &bCancel) {
            QVERIFY(sPassword.isEmpty() && !bCancel);
            ++requests;
            sPassword = given;
        });
        QStringList notices;
        bool stop = false;
        connect(reader.get(), &cUnzip::Cancel, [&](const QString &sMsg, bool &bCancel) {
            QVERIFY(!bCancel);
            notices << sMsg;
            bCancel = stop;
        });
        QVERIFY(reader->Unzip());
        QCOMPARE(requests, 1);
        QCOMPARE(notices, QStringList{QStringLiteral("s.txt")});
        QCOMPARE(readAll(out.path() + QStringLiteral("/s.txt")).size(), 260);

        stop = true;
        QTemporaryDir out2;
        reader->setUnzipFolder(out2.path());
        QVERIFY(!reader->Unzip());
        QVERIFY(QDir(out2.path()).isEmpty());
    }

    // Directory hands on the library's code; a damaged directory still lists what it can.
    void badArchives_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        for (const char *name : {"no-such.zip", "not_a_zip.zip", "truncated.zip"})
            QTest::newRow(name) << QString::fromLatin1(name) << int(PK_NOZIP) << 0;
        for (const char *name :
             {"lying_count.zip", "lying_offset.zip", "bad_zip64_count.zip", "bad_zip64_count_ffff.zip",
              "bad_zip64_locator.zip"})
            QTest::newRow(name) << QString::fromLatin1(name) << int(PK_BADERR) << 0;
        QTest::newRow("folder") << QString() << int(PK_NOZIP) << 0;
        QTest::newRow("entry beyond the end") << QStringLiteral("outside_size64.zip") << int(PK_BADERR) << 1;
    }
    void badArchives()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QFETCH(int, count);
        auto reader = newReader();
        reader->setZipFile(name.isEmpty() ? m_fixtures.path() : m_fixtures.path() + QLatin1Char('/') + name);
        QCOMPARE(reader->Directory(), code);
        QCOMPARE(reader->FileCount(), count);
        reader->setZipFile(QString()); // an empty path: the library refuses it too
        QCOMPARE(reader->Directory(), std::int32_t(PK_PARAM));
        QCOMPARE(reader->FileCount(), 0);
    }

    void missingLibrary_data()
    {
        QTest::addColumn<QString>("path"); // empty: no library given
        QTest::addColumn<int>("versionError");
        QTest::newRow("no such file") << QStringLiteral("/nonexistent/libunzip32.so") << 53;
        QTest::newRow("none given") << QString() << 53;
        // A real shared library that is not ours: loads, but lacks both entry points.
        QTest::newRow("not ours") << QStringLiteral("/usr/lib/x86_64-linux-gnu/libz.so.1") << 453;
    }
    void missingLibrary()
    {
        QFETCH(QString, path);
        QFETCH(int, versionError);
        if (!path.isEmpty() && versionError == 453 && !QFileInfo::exists(path))
            QSKIP("no libz.so.1 to stand in");
        auto reader = std::make_shared<cUnzip>(path.isEmpty() ? nullptr : std::make_shared<UnzipLibrary>(path));
        int progress = 0;
        connect(reader.get(), &cUnzip::Progress, [&] { ++progress; });
        reader->setZipFile(fixture("stored.zip"));
        QCOMPARE(reader->Directory(), -1); // and no callback ran
        QCOMPARE(reader->FileCount(), 0);
        QCOMPARE(progress, 0);
        QVERIFY(!mUnzip::CallScope::current());
        QVERIFY(!reader->Unzip());
        std::int32_t major = 0, minor = 0, revision = 0;
        QDateTime date;
        QString extra;
        QCOMPARE(errorOf([&] { reader->GetVersion(major, minor, revision, date, extra); }), versionError);
    }

    void libraryThatTurnsUpLaterIsFound()
    {
        QTemporaryDir folder;
        const QString path = folder.path() + QStringLiteral("/libunzip32.so");
        auto reader = std::make_shared<cUnzip>(std::make_shared<UnzipLibrary>(path));
        reader->setZipFile(fixture("stored.zip"));
        QCOMPARE(reader->Directory(), -1);
        QVERIFY(QFile::copy(QStringLiteral(UNZIP32_LIBRARY), path));
        QCOMPARE(reader->Directory(), 0);
        QCOMPARE(reader->FileCount(), 2);
    }

    void version()
    {
        cUnzip reader(m_library);
        std::int32_t major = -1, minor = -1, revision = -1;
        QDateTime date;
        QString extra = QStringLiteral("x");
        reader.GetVersion(major, minor, revision, date, extra);
        QCOMPARE(major, UNZIP32_VERSION_MAJOR);
        QCOMPARE(minor, UNZIP32_VERSION_MINOR);
        QCOMPARE(revision, UNZIP32_VERSION_PATCH);
        QCOMPARE(extra, QString(10, QLatin1Char(' ')));
        QCOMPARE(date.date(), QDate::fromString(QStringLiteral(UNZIP32_RELEASE_DATE), Qt::ISODate));
    }

    void readerNotOwnedBySharedPtr()
    {
        cUnzip reader(m_library); // on the stack
        reader.setZipFile(fixture("stored.zip"));
        QCOMPARE(reader.Directory(), 0);
        QCOMPARE(reader.FileCount(), 2);
        receive("late.txt"); // after the call: reaches no reader
        QCOMPARE(reader.FileCount(), 2);
        auto gone = std::make_unique<cUnzip>(m_library);
        mUnzip::CallScope call(*gone);
        gone.reset(); // destroyed during its own call
        QVERIFY(!call.reader); // not left dangling
        receive("late.txt");
    }

    // ---- the binding's callbacks -----------------------------------------------------

    void splitEntryPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("nested") << "docs/sub/a.txt" << "a.txt" << "docs\\sub";
        QTest::newRow("root") << "a.txt" << "a.txt" << "";
        QTest::newRow("folder entry") << "docs/" << "" << "docs";
        QTest::newRow("leading separator") << "/x" << "x" << "";
        QTest::newRow("absolute") << "/abs/x" << "x" << "\\abs";
        QTest::newRow("cut at NUL") << QStringLiteral("a/b") + QChar(u'\0') + QStringLiteral("/c") << "b" << "a";
        QTest::newRow("backslash is no separator") << "a\\b.txt" << "a\\b.txt" << "";
    }
    void splitEntryPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QString gotFolder;
        mUnzip::SplitEntryPath(path, gotFolder);
        QCOMPARE(path, name);
        QCOMPARE(gotFolder, folder);
    }

    void convertSeparators()
    {
        QString text = QStringLiteral("a/b/c");
        QCOMPARE(mUnzip::ConvertSeparators(text, QStringLiteral("/"), QStringLiteral("\\")), 5);
        QCOMPARE(text, QString("a\\b\\c"));
        QString none = QStringLiteral("abc");
        QCOMPARE(mUnzip::ConvertSeparators(none, QStringLiteral("/"), QStringLiteral("\\")), 1);
        QString first = QStringLiteral("/x");
        QCOMPARE(mUnzip::ConvertSeparators(first, QStringLiteral("/"), QStringLiteral("\\")), 2);
    }

    void receivedEntriesLikeTheSplitRunGetsThem()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        receive("docs/sub/a.txt");
        receive("docs/");         // folder entry: dropped
        receive("a.txt", 5, 0, "");
        QCOMPARE(reader->FileCount(), 2);
        QCOMPARE(reader->FileDirectory(1), QString("docs\\sub"));
        QCOMPARE(reader->Filename(1), QString("a.txt"));
        QCOMPARE(reader->FileDirectory(2), QString(""));
        QCOMPARE(reader->FileCompressionMethod(2), QString("")); // method text starting with NUL
        QCOMPARE(reader->FileCRC(1), 0x1234);
        mUnzip::ReceiveDirEntry(1, 1, 0, 1, 1, 2000, 0, 0, ' ', nullptr, nullptr, 0, ' ');
        QCOMPARE(reader->FileCount(), 2); // a null path adds nothing
    }

    void addDirectoryEntryDirectly()
    {
        cUnzip reader(m_library);
        EntryStamp stamp;
        stamp.year = 2020;
        stamp.month = 5;
        stamp.day = 6;
        reader.AddDirectoryEntry(QStringLiteral("a.txt"), QStringLiteral("f\\g"), stamp, 7, 1, true, 50,
                                 QStringLiteral("Defl:N"));
        reader.AddDirectoryEntry(QString(), QStringLiteral("f"), stamp, 1, 1, false, 0, QString());
        reader.AddDirectoryEntry(QString(QChar(u'\0')), QStringLiteral("f"), stamp, 1, 1, false, 0, QString());
        reader.AddDirectoryEntry(QStringLiteral("\u00e9t\u00e9.txt"), QString(), stamp, 8, 2, false, -3,
                                 QStringLiteral("Stored"));
        QCOMPARE(reader.FileCount(), 2);
        QCOMPARE(reader.Filename(1), QString("a.txt"));
        QCOMPARE(reader.FileDirectory(1), QString("f\\g"));
        QCOMPARE(reader.FileCompressionMethod(1), QString("Defl:N"));
        QVERIFY(reader.FileEncrypted(1));
        QCOMPARE(reader.FilePackedSize(1), 3);
        QCOMPARE(reader.Filename(2), QStringLiteral("\u00e9t\u00e9.txt"));
        QCOMPARE(reader.FileDirectory(2), QString(""));
        QCOMPARE(reader.FileCompressionMethod(2), QString("Stored"));
        QCOMPARE(reader.FileDate(2), QDateTime(QDate(2020, 5, 6), QTime(0, 0)));
    }

    void foldersAndMethodsThatComeBack()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        receive("a/1", 1, 0, "Stored");
        receive("b/2", 1, 0, "Defl:N");
        receive("a/3", 1, 0, "Stored");
        receive("4", 1, 0, "BZip2");
        receive("b/5", 1, 0, "Defl:N");
        QCOMPARE(reader->FileCount(), 5);
        const QStringList folders{"a", "b", "a", "", "b"};
        const QStringList methods{"Stored", "Defl:N", "Stored", "BZip2", "Defl:N"};
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(reader->Filename(i), QString::number(i));
            QCOMPARE(reader->FileDirectory(i), folders.at(i - 1));
            QCOMPARE(reader->FileCompressionMethod(i), methods.at(i - 1));
        }
    }

    void longPathsAreReadWhole()
    {
        // The design cut paths at 256 bytes; a long path could then lose its name. Read whole.
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        const QByteArray path = QByteArray("d/").repeated(150) + "name.txt";
        receive(path.constData());
        QCOMPARE(reader->FileCount(), 1);
        QCOMPARE(reader->Filename(1), QString("name.txt"));
        QCOMPARE(reader->FileDirectory(1).size(), 299);
    }

    void receivedDateFlagsAndRatio()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        receive("a", 1, 0xFFFF, "Stored", 2, 29, 2008, 13, 5, 0xFFFFFFFFul, 0x45);
        receive("b", 1, 75, "Stored", 2, 30, 2008, 25, 61, 0, 0x20); // rolls over
        QCOMPARE(reader->FileDate(1), QDateTime(QDate(2008, 2, 29), QTime(13, 5, 0)));
        QVERIFY(reader->FileEncrypted(1));
        QCOMPARE(reader->FileCompressionRatio(1), -1);
        QCOMPARE(reader->FileCRC(1), -1);
        QVERIFY(!reader->FileEncrypted(2));
        QCOMPARE(reader->FileCompressionRatio(2), 75);
        QCOMPARE(reader->FileDate(2), QDateTime(QDate(2008, 3, 2), QTime(2, 1, 0)));

        const ZoneForTest berlin("Europe/Berlin");
        receive("c", 1, 0, "Stored", 3, 31, 2024, 2, 30); // skipped by the change to summer time
        QCOMPARE(reader->FileDate(3).toUTC(), QDateTime(QDate(2024, 3, 31), QTime(1, 30), Qt::UTC));
    }

    void printCallbackBounds()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        QStringList got;
        connect(reader.get(), &cUnzip::Progress, [&](std::int32_t, const QString &sMsg) { got << sMsg; });
        char one[] = "x";
        QCOMPARE(mUnzip::PrintCallback(one, 1), 0);
        QVERIFY(got.isEmpty());
        char two[] = "ab";
        QCOMPARE(mUnzip::PrintCallback(two, 2), 0);
        QCOMPARE(got, QStringList{QStringLiteral("ab")});
        QByteArray big(32000, 'a');
        QCOMPARE(mUnzip::PrintCallback(big.data(), 32000), 0);
        QCOMPARE(got.size(), 1);
        char path[] = "inflating: a/b.txt";
        mUnzip::PrintCallback(path, sizeof path - 1);
        QCOMPARE(got.last(), QString("inflating: a\\b.txt"));
    }

    void replaceCallbackWithoutHandlerSaysNo()
    {
        char name[] = "a/b.txt";
        {
            cUnzip reader(m_library);
            mUnzip::CallScope call(reader);
            QCOMPARE(mUnzip::ReplaceCallback(name), 100);
        }
        QCOMPARE(mUnzip::ReplaceCallback(name), 100); // no reader: still an answer
    }

    void passwordCallbackRules()
    {
        auto reader = newReader();
        char buffer[400];
        int requests = 0;
        QString answer = QString(300, QLatin1Char('p'));
        {
            mUnzip::CallScope call(*reader);
            QCOMPARE(mUnzip::PasswordCallback(buffer, 400, "p", "n"), 1); // no handler: refused
            QVERIFY(call.passwordRefused);
            connect(reader.get(), &cUnzip::PasswordRequest, [&](QString &sPassword, bool &) {
                ++requests;
                sPassword = answer;
            });
            QCOMPARE(mUnzip::PasswordCallback(buffer, 400, "p", "n"), 1); // refused at once
            QCOMPARE(requests, 0);
        }

        mUnzip::CallScope call(*reader); // the next call asks again
        std::memset(buffer, 'z', sizeof buffer);
        QCOMPARE(mUnzip::PasswordCallback(buffer, 400, "p", "n"), 0);
        QCOMPARE(std::strlen(buffer), size_t(254));
        QCOMPARE(mUnzip::PasswordCallback(buffer, 10, "p", "n"), 0);
        QCOMPARE(std::strlen(buffer), size_t(9)); // never beyond the buffer

        answer = QStringLiteral(" \tpw\n  "); // only spaces are trimmed
        QCOMPARE(mUnzip::PasswordCallback(buffer, 400, "p", "n"), 0);
        QCOMPARE(QByteArray(buffer), QByteArray("\tpw\n"));
        answer = QStringLiteral("    ");
        QCOMPARE(mUnzip::PasswordCallback(buffer, 400, "p", "n"), 1); // only spaces: none
        QVERIFY(call.passwordRefused);
    }

    void serviceCallbackBounds()
    {
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        QStringList got;
        connect(reader.get(), &cUnzip::Cancel, [&](const QString &sMsg, bool &bCancel) {
            got << sMsg;
            bCancel = sMsg == QStringLiteral("stop/here");
        });
        QCOMPARE(mUnzip::ServiceCallback("a.txt", 1), 0);
        QCOMPARE(mUnzip::ServiceCallback("a.txt", 32000), 0);
        QVERIFY(got.isEmpty());
        QCOMPARE(mUnzip::ServiceCallback("a\\b.txt", 8), 0);
        QCOMPARE(got, QStringList{QStringLiteral("a/b.txt")});
        QCOMPARE(mUnzip::ServiceCallback("stop\\here", 10), 1);
    }

    void moreThan1023IncludeNames()
    {
        // The design's list held 1023 names; ours takes any number.
        auto reader = newReader();
        mUnzip::CallScope call(*reader); // as during a library call
        reader->setZipFile(fixture("stored.zip"));
        for (int i = 0; i < 1500; ++i)
            receive(QByteArray("n").append(QByteArray::number(i)).constData());
        receive("a.txt");
        reader->setFileSelected(1, false);
        QTemporaryDir out;
        reader->setUnzipFolder(out.path());
        QVERIFY(reader->Unzip());
        QCOMPARE(m_library->includeCount, 1500);
        QCOMPARE(readAll(out.path() + QStringLiteral("/a.txt")), QByteArray("abc"));
    }
};

QTEST_GUILESS_MAIN(CUnzipTest)
#include "test_cunzip.moc"
