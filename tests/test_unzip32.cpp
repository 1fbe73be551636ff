// SPDX-License-Identifier: GPL-3.0-or-later
// The library as a program calls it: listing, its records and totals, bad input, callbacks.
#include "Unzip32Fixtures.h"

class Unzip32Test : public QObject, protected Unzip32Fixtures
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { loadAndMakeFixtures(); }

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
