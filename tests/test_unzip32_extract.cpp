// SPDX-License-Identifier: GPL-3.0-or-later
// The library's testing and extracting: CRCs, paths that climb out, links, existing files, options.
#include "Unzip32Fixtures.h"

class Unzip32ExtractTest : public QObject, protected Unzip32Fixtures
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { loadAndMakeFixtures(); }

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
};

QTEST_GUILESS_MAIN(Unzip32ExtractTest)
#include "test_unzip32_extract.moc"
