// SPDX-License-Identifier: GPL-3.0-or-later
// The reader class over the library: options, listings, the stored directory, bad archives.
#include "CUnzipFixtures.h"

class CUnzipTest : public QObject, protected CUnzipFixtures
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { makeFixtures(); }
    void init() { m_library = std::make_shared<WatchedLibrary>(); }

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
};

QTEST_GUILESS_MAIN(CUnzipTest)
#include "test_cunzip.moc"
