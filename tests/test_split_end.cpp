// SPDX-License-Identifier: GPL-3.0-or-later
// How a run in the window ends: the last box, stops, failures and names already taken.
#include "SplitWorld.h"

class SplitEndTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Without a size to split by (a stored one the field would not take), nothing is split, not
    // every archive into its smallest parts, and the box says what the field takes.
    void aSizeThatIsNotANumberSplitsNothing_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("ten") << "ten";
        QTest::newRow("1,5") << "1,5";
    }
    void aSizeThatIsNotANumberSplitsNothing()
    {
        QFETCH(QString, size);
        SplitWorld w;
        w.form.Text2->setText(size);
        w.form.fileList().append(noisyZip(w.world.home() + "/in/a.zip", 4, 40000, 51));
        startSplittingAndWait(w.form);

        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0], QStringLiteral("Please input a split size from 1 to 2047 MB."));
        QVERIFY(w.outputFiles().isEmpty());
        QVERIFY(w.clean());
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    // The last box offers the folder when parts were written; a long run that ends while the
    // window is not active says so on the desktop.
    void theEndLeadsToTheParts_data()
    {
        QTest::addColumn<bool>("zip");         // false: the row is not a ZIP, nothing is written
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opens");       // the file manager can open the folder
        QTest::addColumn<bool>("active");      // the window is the active one when the run ends
        QTest::addColumn<QStringList>("notes");
        const QString done = "Done.\nSplit 1 archive into 1 part in <out>.";
        QTest::newRow("Open Folder") << true << int(vbOpenFolder) << true << true << QStringList();
        QTest::newRow("OK") << true << int(vbOK) << true << false << QStringList{done};
        QTest::newRow("the folder cannot be opened") << true << int(vbOpenFolder) << false << true << QStringList();
        QTest::newRow("nothing written") << false << int(vbOK) << true << false
                                         << QStringList{"1 archive could not be split.\nNo archive was split."};
    }
    void theEndLeadsToTheParts()
    {
        QFETCH(bool, zip);
        QFETCH(int, answer);
        QFETCH(bool, opens);
        QFETCH(bool, active);
        QFETCH(QStringList, notes);
        SplitWorld w;
        w.world.context().notifyAfterMs = 0;
        w.world.toolkit().msgAnswers.enqueue(answer);
        w.world.toolkit().openFolderResult = opens;
        w.world.toolkit().active = active;
        w.form.fileList().append(zip ? noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1)
                                     : w.world.makeFile("in/a.zip", "not a zip"));
        startSplittingAndWait(w.form);

        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes[0].buttons, zip ? int(vbOKOpenFolder) : int(vbOKOnly));
        QCOMPARE(w.world.toolkit().openedFolders, answer == vbOpenFolder ? QStringList{w.out} : QStringList());
        QCOMPARE(boxes.size(), opens ? 1 : 2);
        if (!opens)
            QCOMPARE(boxes[1].text, "The folder " + w.out + " could not be opened.");
        QCOMPARE(w.world.toolkit().notifications, notes.replaceInStrings("<out>", w.out));
        // "Done." heads the box only when the archive was split.
        QVERIFY2(boxes[0].text.startsWith(zip ? "Done.\n\n" : "1 archive could not be split.\n\n"), qPrintable(boxes[0].text));
        // The notification offers the folder only where parts went.
        QCOMPARE(w.world.toolkit().notifiedFolders, notes.isEmpty() ? QStringList() : QStringList{zip ? w.out : ""});
    }

    void collidingPartNamesNeverReplaceAFile()
    {
        SplitWorld w;
        const QString y2021 = noisyZip(w.world.home() + "/in/backup_2021.zip", 3, 600 * 1024, 7);
        const QString y2022 = noisyZip(w.world.home() + "/in/backup_2022.zip", 3, 600 * 1024, 70);
        w.form.Text2->setText("1");
        w.form.fileList().append(y2021);
        startSplittingAndWait(w.form);
        const QStringList first = w.outputFiles();
        QCOMPARE(first.size(), 3);
        QMap<QString, QByteArray> before;
        for (const QString &name : first)
            before[name] = readAll(w.out + "/" + name);

        w.world.toolkit().shown.clear();
        w.form.fileList().clear();
        w.form.fileList().append(y2022);
        startSplittingAndWait(w.form);

        for (const QString &name : first)
            QCOMPARE(readAll(w.out + "/" + name), before[name]); // the first run's parts survive
        QCOMPARE(w.outputFiles().size(), 6);
        QStringList expected = entriesOf(y2021) + entriesOf(y2022);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
        const auto boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith("The output folder already held files of the same name"));
        for (const QString &name : first) {
            const QString renamed = "backup_2022-" + name;
            QVERIFY2(QFile::exists(w.out + "/" + renamed), qPrintable(renamed));
            QVERIFY(boxes[0].contains(renamed + " (" + name + " of " + y2022 + ")"));
        }
        QVERIFY(w.clean());
    }

    // Every name a part could take is taken: the archive fails saying so, once, and the run
    // ends with nothing of it left (it once told its end a second time, to a task let go).
    void partsThatCannotBeMovedInFailTheArchiveOnce()
    {
        SplitWorld w;
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        QStringList taken{"a1.zip", "a-a1.zip"};
        for (int i = 2; i < 1000; ++i)
            taken << QStringLiteral("a-a1 (%1).zip").arg(i);
        for (const QString &name : taken)
            QVERIFY(QFile(w.out + "/" + name).open(QIODevice::WriteOnly));
        w.form.fileList().append(a);
        startSplittingAndWait(w.form);
        QTest::qWait(50); // a second end, had one been told, would land now
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0], "This archive could not be split:\n" + a + ": its parts could not be moved into the output "
                           "folder.");
        QCOMPARE(w.outputFiles().size(), taken.size());
        QVERIFY(w.clean());
    }

    // The last box: how many failed, the counts and the folder up front; each failure in the details.
    void failedArchivesAreNamedInOneBox()
    {
        SplitWorld w;
        const QString good = noisyZip(w.world.home() + "/in/good.zip", 2, 10000, 3);
        const QString notZip = w.world.makeFile("in/notzip.zip", "this is plain text, not an archive");
        const QString empty = w.world.makeFile("in/empty.zip", QByteArray());
        const QString folder = w.world.home() + "/in/folder.zip";
        QDir().mkpath(folder);
        const QString gone = w.world.home() + "/in/gone.zip";
        const QString other = noisyZip(w.world.home() + "/in/other.zip", 2, 10000, 30);
        const QString fifo = w.world.home() + "/in/pipe.zip";
        QVERIFY(run(QStringLiteral("mkfifo"), {fifo}) == 0);
        const QByteArray notZipBytes = readAll(notZip);
        w.form.fileList().append(QStringList{good, notZip, empty, folder, gone, fifo, other});
        startSplittingAndWait(w.form);

        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].icon, 48);
        QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
        QCOMPARE(boxes[0].text, "5 archives could not be split.\n\nSplit 2 archives into 2 parts in " + w.out + ".");
        const QString text = boxes[0].details;
        QVERIFY(text.startsWith("These 5 archives could not be split:"));
        QVERIFY(text.contains(notZip + ": it is not a ZIP archive, or it is damaged."));
        QVERIFY(text.contains(empty + ": the file is empty."));
        QVERIFY(text.contains(folder + ": it is a folder, not a ZIP archive."));
        QVERIFY(text.contains(gone + ": the file no longer exists."));
        QVERIFY(text.contains(fifo + ": it is a device, pipe or socket, not a ZIP archive."));
        QVERIFY(!text.contains(good + ":"));
        QStringList expected = entriesOf(good) + entriesOf(other);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected); // nothing from the failed ones
        QCOMPARE(readAll(notZip), notZipBytes);
        QVERIFY(w.clean());
    }

    void failingToolIsReportedAndLeavesNothing_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("write error, half a part") << QByteArray("half:14")
                                                  << "a part could not be written; the disk may be full.";
        QTest::newRow("error text with exit 0") << QByteArray("errorzero")
                                                << "the splitting tool reported an error: stand-in failure.";
        QTest::newRow("bad parameters") << QByteArray("exit:16") << "the splitting tool did not accept its parameters.";
        QTest::newRow("killed") << QByteArray("crash") << "the splitting tool stopped unexpectedly.";
        QTest::newRow("its message names the archive, not the name the tool read it by")
            << QByteArray("invalid") << "the splitting tool cannot split it: Zip file structure invalid (a.zip).";
        QTest::newRow("output without end") << QByteArray("flood")
                                            << "the splitting tool wrote far more messages than it ever does, and was "
                                               "stopped.";
    }
    void failingToolIsReportedAndLeavesNothing()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", mode);
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        w.form.fileList().append(a);
        startSplittingAndWait(w.form);
        QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a + ": " + reason});
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    void stopEndsTheRunAndNamesWhatWasNotSplit_data()
    {
        QTest::addColumn<int>("stopAt");     // the zipsplit start (1-based) during which Stop is pressed
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("during the first archive") << 1 << false;
        QTest::newRow("mid-way through a big archive, by Escape") << 2 << true;
        QTest::newRow("at the last") << 3 << false;
    }
    void stopEndsTheRunAndNamesWhatWasNotSplit()
    {
        QFETCH(int, stopAt);
        QFETCH(bool, byEscape);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "slow:300"); // a tool still copying when Stop comes
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        QStringList archives;
        for (const char *name : {"a", "b", "c"})
            archives << noisyZip(w.world.home() + "/in/" + name + ".zip", 2, 1000, quint32(name[0]));
        w.form.fileList().append(archives);
        w.form.show();
        bool pressed = false;
        const auto eachTurn = [&] {
            if (pressed || w.logLines(log) != stopAt)
                return;
            pressed = true;
            QVERIFY(w.form.isRunning());
            QVERIFY(!w.form.PushButton1->isEnabled() && !w.form.PushButton5->isEnabled()); // the list is locked
            QVERIFY(w.form.PushButton2->isEnabled());
            QCOMPARE(QString(w.form.PushButton2->text()).remove('&'), QStringLiteral("Stop Splitting"));
            QCOMPARE(w.form.PushButton2->accessibleName(), QStringLiteral("Stop Splitting"));
            if (byEscape)
                QTest::keyClick(&w.form, Qt::Key_Escape);
            else
                w.form.PushButton2->click();
        };
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(pressed);
        QCOMPARE(w.logLines(log), stopAt); // nothing started after the stop
        QString box = QStringLiteral("Splitting was stopped; ")
                      + (stopAt == 3 ? "this archive was not split:" : QString("these %1 archives were not split:").arg(4 - stopAt));
        QStringList split;
        for (int i = 0; i < 3; ++i)
            if (i + 1 < stopAt)
                split << entriesOf(archives[i]);
            else
                box += "\n" + archives[i] + ": stopped before it was split.";
        QCOMPARE(w.messageTexts(), QStringList{box});
        const QString stopped = QString("Splitting was stopped before %1.\n\n")
                                    .arg(stopAt == 3 ? QString("1 archive") : QString("%1 archives").arg(4 - stopAt));
        QVERIFY2(w.world.toolkit().messages().last().text.startsWith(stopped), qPrintable(w.world.toolkit().messages().last().text));
        split.sort();
        QCOMPARE(w.unionOfParts(), split); // finished archives keep their parts, the stopped one has none
        QVERIFY(w.clean());
        QCOMPARE(QString(w.form.PushButton2->text()).remove('&'), QStringLiteral("Start Splitting"));
        QCOMPARE(w.form.PushButton2->accessibleName(), QStringLiteral("Start Splitting"));
    }
};

QTEST_MAIN(SplitEndTest)
#include "test_split_end.moc"
