// SPDX-License-Identifier: GPL-3.0-or-later
// Start Splitting in the window: the parts, their names and the archives refused.
#include "SplitWorld.h"

#include <QStringDecoder>

namespace {

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

class SplitRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checks_data()
    {
        QTest::addColumn<QString>("folder"); // "<out>" = the existing output folder
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("folderAfter");
        QTest::newRow("blank") << "   " << "Please input folder name." << "Input Folder Name" << 48 << "   ";
        QTest::newRow("missing") << "/no/such/folder" << "Destination folder not found." << "Quillmere" << 16
                                 << "/no/such/folder";
        QTest::newRow("trailing separator, empty list") << "<out>/" << "No files added." << "Quillmere" << 0 << "<out>";
        QTest::newRow("root keeps its separator") << "/" << "No files added." << "Quillmere" << 0 << "/";
    }
    void checks()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, folderAfter);
        SplitWorld w;
        w.form.Text1->setText(QString(folder).replace("<out>", w.out));
        startSplittingAndWait(w.form);
        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].title, title);
        QCOMPARE(boxes[0].icon, icon);
        QCOMPARE(w.form.Text1->text(), QString(folderAfter).replace("<out>", w.out));
        QVERIFY(w.form.progress.isEmpty());
        QVERIFY(w.noTool());
        QVERIFY(!w.form.isRunning());
        QVERIFY(w.form.PushButton1->isEnabled());
        // The checks never touch the pointer; past them it ends as the default.
        const bool passedChecks = message == "No files added.";
        QCOMPARE(w.world.toolkit().pointerHistory.isEmpty(), !passedChecks);
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    void splitsEveryArchiveIntoValidParts_data()
    {
        QTest::addColumn<bool>("byParts");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<int>("minParts"); // per archive
        QTest::addColumn<QStringList>("larger"); // archives named for parts larger than asked
        const QStringList all{"alpha", "bravo", "charlie"};
        QTest::newRow("by size, 1 MB") << false << "1" << "5" << 3 << QStringList();
        QTest::newRow("by parts") << true << "20" << "3" << 3 << QStringList();
        QTest::newRow("by parts 1") << true << "20" << "1" << 1 << QStringList();
    }
    void splitsEveryArchiveIntoValidParts()
    {
        QFETCH(bool, byParts);
        QFETCH(QString, size);
        QFETCH(QString, parts);
        QFETCH(int, minParts);
        QFETCH(QStringList, larger);
        SplitWorld w;
        const QString a = noisyZip(w.world.home() + "/in/alpha.zip", 6, 400 * 1024, 1);
        const QString b = noisyZip(w.world.home() + "/in/bravo.zip", 6, 400 * 1024, 100);
        const QString c = noisyZip(w.world.home() + "/in/charlie.zip", 1, 1000, 200);
        const QByteArray aBytes = readAll(a), bBytes = readAll(b);
        w.form.Text2->setText(size);
        w.form.Text3->setText(parts);
        w.form.setOptionValue(byParts ? w.form.Option2 : w.form.Option1, true);
        w.form.fileList().append(QStringList{a, b, c});
        startSplittingAndWait(w.form);

        QString done = larger.isEmpty() ? "Done." : "The split size was raised to fit the largest entry, so these "
                                                    "parts are larger than the size asked for:";
        for (const QString &name : larger) {
            const qint64 entry = name == "charlie" ? 1000 : 400 * 1024;
            QStringList parts;
            for (const QString &part : w.outputFiles())
                if (part.startsWith(name))
                    parts << QStringLiteral("%1 (%2 bytes)").arg(part).arg(QFileInfo(w.out + "/" + part).size());
            done += QStringLiteral("\n%1/in/%2.zip (largest entry entry0.bin, %3 bytes): ").arg(w.world.home(), name).arg(entry)
                    + parts.join(", ");
        }
        QCOMPARE(w.messageTexts(), QStringList{done});
        QCOMPARE(w.world.toolkit().messages()[0].icon, 0);
        QVERIFY(w.outputFiles().size() >= 2 * minParts);
        QVERIFY(w.allPartsValid());
        QStringList expected = entriesOf(a) + entriesOf(b) + entriesOf(c);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
        QCOMPARE(readAll(a), aBytes);
        QCOMPARE(readAll(b), bBytes);
        QVERIFY(w.clean());
        QVERIFY(std::is_sorted(w.form.progress.begin(), w.form.progress.end() - 1));
        QCOMPARE(w.form.progress.mid(w.form.progress.size() - 2), (QVector<double>{100.0, 0.0}));
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    // In an empty folder the parts carry exactly the names bare zipsplit gives them.
    void shortNamesAreZipSplitsOwn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("parts");
        for (const char *name : {"a.zip", "a.b.c.zip", "b.zip", "1.zip", "_.zip", ".hidden.zip", "backup2024.zip",
                                 "my_12345678.zip", "verylongname.zip"})
            QTest::newRow(name) << name << 3;
        QTest::newRow("a.zip in 12 parts") << "a.zip" << 12;
        QTest::newRow("report.zip in 12 parts") << "report.zip" << 12;
    }
    void shortNamesAreZipSplitsOwn()
    {
        QFETCH(QString, name);
        QFETCH(int, parts);
        SplitWorld w;
        const QString archive = w.world.home() + "/in/" + name;
        QVERIFY(QFile::rename(noisyZip(w.world.home() + "/in/made.zip", parts, 50000, 3), archive));
        const QString bare = w.world.home() + "/bare";
        QDir().mkpath(bare);
        // One stored entry of 50,000 bytes a part.
        QCOMPARE(run("zipsplit", {"-n", "50300", "-b", bare, archive}), 0);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText(QString::number(parts));
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles(), QDir(bare).entryList(QDir::Files | QDir::Hidden, QDir::Name));
        QVERIFY(w.clean());
    }

    void namesInAnyScriptSplitWithValidNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("partPrefix"); // every part's name starts with it
        QTest::newRow("Cyrillic") << "Фотографии отпуск.zip" << "Фот";
        QTest::newRow("Greek") << "Ελληνικά αρχεία.zip" << "Ελλ";
        QTest::newRow("CJK") << "日本語のファイル.zip" << "日本";
        QTest::newRow("Arabic") << "ملفات عربية.zip" << "ملف";
        QTest::newRow("emoji") << "😀🎉 party.zip" << "😀";
        QTest::newRow("combining marks") << "हिन्दी दस्तावेज़.zip" << "हि";
        QTest::newRow("255 bytes") << QString(125, QChar(0x0414)) + "x.zip" << "ДДД";
        QTest::newRow("no extension, a .zip of the same stem beside") << "report" << "report";
        QTest::newRow("Latin names stay as zipsplit gives them") << "holiday pictures.zip" << "holiday";
    }
    void namesInAnyScriptSplitWithValidNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, partPrefix);
        SplitWorld w;
        const QString archive = w.world.home() + "/in/" + name;
        // zip itself would add ".zip" to a name without a dot.
        QVERIFY(QFile::rename(noisyZip(w.world.home() + "/in/new.zip", 6, 400 * 1024, 11), archive));
        const QString decoy = noisyZip(w.world.home() + "/in/report.zip", 1, 1000, 99);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        const QList<QByteArray> raw = rawNames(w.out);
        QCOMPARE(raw.size(), 3); // two entries a part, nothing else left behind
        for (const QByteArray &part : raw) {
            QVERIFY2(isValidUtf8(part), part.toHex().constData());
            QVERIFY2(QString::fromUtf8(part).startsWith(partPrefix), part.constData());
        }
        QCOMPARE(w.unionOfParts(), entriesOf(archive)); // the row's file, never the decoy
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }

    // The split size raised to fit the largest entry holds for the whole archive: every part over
    // the size asked is named, the one of two smaller entries too. (2 x 200-byte names need more
    // than the 256 bytes the minimum allows for headers.)
    void partsLargerThanAskedAreNamedInTheBox()
    {
        SplitWorld w;
        const QString longName = QString(200, 'n') + ".bin";
        const QString archive = makeZip(w.world.home() + "/ov2.zip",
                                        {{longName, noise(1500000, 8)}, {"a.bin", noise(700000, 9)},
                                         {"b.bin", noise(700000, 10)}},
                                        {"-0"});
        w.form.fileList().append(archive);
        w.form.Text2->setText("1");
        startSplittingAndWait(w.form);
        QCOMPARE(w.outputFiles(), (QStringList{"ov21.zip", "ov22.zip"}));
        QStringList parts;
        for (const QString &part : w.outputFiles()) {
            QVERIFY(QFileInfo(w.out + "/" + part).size() > 1048576);
            parts << QStringLiteral("%1 (%2 bytes)").arg(part).arg(QFileInfo(w.out + "/" + part).size());
        }
        QCOMPARE(w.messageTexts(), QStringList{"The split size was raised to fit the largest entry, so these parts "
                                               "are larger than the size asked for:\n" + archive + " (largest entry "
                                               + longName + ", 1500000 bytes): " + parts.join(", ")});
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
        QVERIFY(w.clean());
    }

    // zipsplit names parts from the first 7 characters, so these archives' parts are all
    // reports1.zip: the box says this run took the names, not that the folder held them.
    void partNamesTakenEarlierInTheRunAreSaidSo()
    {
        SplitWorld w;
        QStringList archives;
        for (const char *letter : {"a", "b", "c"})
            archives << noisyZip(w.world.home() + "/in/reports-" + letter + ".zip", 2, 1000, 5);
        w.form.fileList().append(archives);
        startSplittingAndWait(w.form);
        QCOMPARE(w.outputFiles(), (QStringList{"reports-b-reports1.zip", "reports-c-reports1.zip", "reports1.zip"}));
        QCOMPARE(w.messageTexts(), QStringList{"Parts of archives earlier in this run had the same names, so these "
                                               "parts were saved under other names:\nreports-b-reports1.zip "
                                               "(reports1.zip of " + archives[1] + ")\nreports-c-reports1.zip "
                                               "(reports1.zip of " + archives[2] + ")"});
    }

    void damagedArchivesFailWithoutParts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString outside = "it is damaged: its directory places entries outside the file.";
        QTest::newRow("offset past the end") << "lying-offset" << outside;
        QTest::newRow("size past the end") << "lying-size" << outside;
        QTest::newRow("data into the directory") << "into-directory" << outside;
        QTest::newRow("size 2^63-1") << "size-2^63" << outside;
        QTest::newRow("size 2^64-1") << "size-2^64" << outside;
        QTest::newRow("text without extension") << "text" << "it is not a ZIP archive, or it is damaged.";
        const QString segment = "it is one segment of a spanned archive, which the splitting tool cannot split; "
                                "zip -s 0 joins the segments into one archive.";
        QTest::newRow("Zip64 records naming another disk") << "zip64-disk" << segment;
        QTest::newRow("the last segment of a spanned set") << "spanned-last" << segment;
        // zipsplit would stop on these, ask for a disk forever, or copy too few bytes.
        QTest::newRow("an empty name") << "empty-name" << "its entry #1 has no name, which the splitting tool cannot split.";
        const QString disk1 = "it names more than one disk: its entry hello.txt is on disk 1, which the splitting tool "
                              "cannot read.";
        QTest::newRow("an entry on disk 1") << "disk-start" << disk1;
        QTest::newRow("an entry on disk 1 by its Zip64 field") << "disk-start-z64" << disk1;
        QTest::newRow("local sizes not the directory's")
            << "local-size" << "it is damaged: the local header of its entry hello.txt gives other sizes than its "
                               "directory does.";
        // Read and listed, but zipsplit would not find its entries: said before it runs.
        QTest::newRow("a stub the offsets do not count")
            << "stub" << "it has 1000 bytes before its first entry (a self-extracting stub) that its offsets do not "
                         "count, which the splitting tool cannot follow; zip -A mends that.";
        QTest::newRow("an end record in the comment")
            << "comment-end" << "bytes after its directory (in its comment or after the archive) look like the end of "
                                "an archive, which misleads the splitting tool.";
    }
    void damagedArchivesFailWithoutParts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        SplitWorld w;
        const QString good = noisyZip(w.world.home() + "/in/notes.zip", 2, 1000, 4);
        QString archive = w.world.home() + "/in/notes";
        if (kind == "text")
            w.world.makeFile("in/notes", "plain text");
        else
            QCOMPARE(run("python3", {SPLIT_FIXTURES_SCRIPT, kind, archive}), 0);
        w.form.Text3->setText("1");
        for (const bool byParts : {false, true}) {
            w.world.toolkit().shown.clear();
            QDir(w.out).removeRecursively();
            QDir().mkpath(w.out);
            w.form.setOptionValue(byParts ? w.form.Option2 : w.form.Option1, true);
            w.form.fileList().clear();
            w.form.fileList().append(QStringList{archive, good});
            startSplittingAndWait(w.form);
            QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + archive + ": " + reason});
            QCOMPARE(w.unionOfParts(), entriesOf(good));
            QVERIFY(w.clean());
        }
    }

    // A name in Windows-1251 ("Отчёт.zip"): the row opens the file by its bytes, and its parts keep
    // them, as zipsplit's own do.
    void aNameThatIsNotUtf8Splits()
    {
        SplitWorld w;
        const QByteArray raw = QFile::encodeName(w.world.home()) + "/in/\xce\xf2\xf7\xb8\xf2.zip";
        const QString made = noisyZip(w.world.home() + "/in/made.zip", 4, 400 * 1024, 21);
        QCOMPARE(::rename(QFile::encodeName(made).constData(), raw.constData()), 0);
        w.form.Text2->setText("1");
        w.form.fileList().append(paths::fromRaw(raw));
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QList<QByteArray> parts = rawNames(w.out);
        std::sort(parts.begin(), parts.end());
        QCOMPARE(parts, (QList<QByteArray>{"\xce\xf2\xf7\xb8\xf2" "1.zip", "\xce\xf2\xf7\xb8\xf2" "2.zip"}));
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }

    // zipsplit drops the archive comment (GitHub puts the commit there); every part has it back,
    // within the size.
    void everyPartCarriesTheArchiveComment()
    {
        SplitWorld w;
        const QString archive = noisyZip(w.world.home() + "/in/release.zip", 5, 400 * 1024, 31);
        const QByteArray comment = QByteArray("commit 0123456789abcdef\n").repeated(300);
        QProcess zip;
        zip.start("zip", {"-q", "-z", archive});
        zip.write(comment);
        zip.closeWriteChannel();
        QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles().size(), 3);
        const QByteArray stored = readAll(archive).right(7000); // zip stores the lines with CR LF
        QVERIFY(stored.endsWith("commit 0123456789abcdef"));
        for (const QString &part : w.outputFiles()) {
            QVERIFY(readAll(w.out + "/" + part).endsWith(stored));
            QVERIFY(QFileInfo(w.out + "/" + part).size() <= 1048576);
            QByteArray said; // as unzip reads it: by the end record's length
            QCOMPARE(run("unzip", {"-z", w.out + "/" + part}, &said), 0);
            QCOMPARE(said.count("commit 0123456789abcdef"), 300);
        }
        QVERIFY(w.allPartsValid());
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
    }

    void archivesOfFoldersSplit()
    {
        SplitWorld w;
        const QString archive = w.world.home() + "/in/folders.zip";
        QDir().mkpath(w.world.home() + "/in");
        QCOMPARE(run("python3", {"-c", "import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                       "    [z.writestr('f%03d/sub/' % i, b'') for i in range(300)]",
                                 archive}),
                 0);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText("3");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles().size(), 3);
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
        QVERIFY(w.clean());
    }

    // A download or a sync client rewriting the archive while zipsplit reads it.
    void anArchiveChangedMidSplitIsNotSplit()
    {
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "rewrite");
        const QString archive = noisyZip(w.world.home() + "/in/download.zip", 4, 400 * 1024, 41);
        const QByteArray before = readAll(archive);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(),
                 QStringList{"This archive could not be split:\n" + archive + ": it changed while it was being split."});
        QCOMPARE(readAll(archive), before); // the stand-in put its bytes back
        QVERIFY(w.outputFiles().isEmpty());
        QVERIFY(w.clean());
    }
};

QTEST_MAIN(SplitRunTest)
#include "test_split_run.moc"
