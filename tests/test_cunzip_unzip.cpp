// SPDX-License-Identifier: GPL-3.0-or-later
// The reader class's testing and extracting, and the callbacks the library answers through.
#include "CUnzipFixtures.h"

class CUnzipUnzipTest : public QObject, protected CUnzipFixtures
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { makeFixtures(); }
    void init() { m_library = std::make_shared<WatchedLibrary>(); }

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

QTEST_GUILESS_MAIN(CUnzipUnzipTest)
#include "test_cunzip_unzip.moc"
