// SPDX-License-Identifier: GPL-3.0-or-later
// A run in the window against what goes wrong around it: folders swapped or gone, a missing tool,
// spoiled parts, signals and a second run into the same folder.
#include "SplitWorld.h"

class SplitSafetyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void foldersSwappedDuringTheRunRedirectNothing_data()
    {
        QTest::addColumn<QString>("swapped");
        QTest::addColumn<bool>("otherUser"); // the swap is done by another user in a shared folder
        QTest::newRow("tool folder, for one with another program") << "tool" << false;
        QTest::newRow("staging folder, for a link to the user's documents") << "staging" << false;
        QTest::newRow("tool folder, by another user") << "tool" << true;
        QTest::newRow("staging folder, by another user") << "staging" << true;
    }
    void foldersSwappedDuringTheRunRedirectNothing()
    {
        QFETCH(QString, swapped);
        QFETCH(bool, otherUser);
        if (otherUser && ::geteuid() != 0)
            QSKIP("acting as a second user needs root (setpriv); the rows above make the same swap as this user");
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "real");
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        const QString documents = w.world.home() + "/Documents";
        w.world.makeFile("Documents/letter.txt", "mine");
        const QString hijacked = w.world.home() + "/hijacked";
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 2, 1000, 2);
        w.form.fileList().append(QStringList{a, b});
        const QString folder = swapped == "tool" ? w.appData : w.out;
        if (otherUser) { // a shared folder anyone may write to, without the sticky bit
            QFile::setPermissions(w.world.home(), QFileDevice::Permissions(0x7755));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        }
        bool done = false;
        const auto eachTurn = [&] {
            const QStringList runs = QDir(folder).entryList({".quillmere-*"}, QDir::Dirs | QDir::Hidden);
            if (done || runs.isEmpty())
                return;
            done = true;
            const QString swap = swapped == "staging"
                                     ? QStringLiteral("mv '%1' '%2/moved-away' && ln -s '%3' '%1'").arg(folder + "/" + runs[0], folder, documents)
                                     : QStringLiteral("mv '%1' '%2/moved-away' && mkdir '%1' && printf '#!/bin/sh\\ntouch %3\\n' >'%1/zipsplit'"
                                                      " && chmod 755 '%1/zipsplit'").arg(folder + "/" + runs[0], folder, hijacked);
            QStringList command{"sh", "-c", swap};
            if (otherUser)
                command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
            QCOMPARE(run(otherUser ? "setpriv" : command.takeFirst(), command), 0);
        };
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(done);
        QCOMPARE(w.logLines(log), 2);
        QVERIFY(!QFile::exists(hijacked));
        QCOMPARE(QDir(documents).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"letter.txt"});
        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QStringList expected = entriesOf(a) + entriesOf(b);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
    }

    // The run holds the output folder it opened: a field changed mid-run changes nothing, and a
    // folder deleted, or renamed with a link left in its place, takes no part anywhere else and
    // stops the rest of the run.
    void outputFolderGoneOrChangedDuringTheRun_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason"); // of both archives; empty: both are split
        QTest::newRow("deleted") << "delete" << "the output folder was removed during the split.";
        QTest::newRow("field cleared") << "clear" << "";
        QTest::newRow("renamed, a link in its place") << "link"
                                                      << "the output folder \"<out>\" was moved or replaced during "
                                                         "the run, so nothing was written.";
    }
    void outputFolderGoneOrChangedDuringTheRun()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "slow:200");
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 1);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 1, 1000, 2);
        const QString elsewhere = w.world.home() + "/elsewhere";
        QDir().mkpath(elsewhere);
        w.form.fileList().append(QStringList{a, b});
        reason.replace("<out>", w.out);
        bool changed = false;
        startSplittingAndWait(w.form, [&] {
            if (changed || !w.form.isRunning())
                return;
            changed = true;
            if (change == "delete")
                QDir(w.out).removeRecursively();
            else if (change == "clear")
                w.form.Text1->setText(QString());
            else
                QVERIFY(QFile::rename(w.out, w.out + "-moved") && QFile::link(elsewhere, w.out));
        });
        QVERIFY(changed);
        if (reason.isEmpty()) {
            QCOMPARE(w.messageTexts(), QStringList{"Done."});
            QCOMPARE(w.outputFiles(), QStringList({"a1.zip", "b1.zip"}));
        } else {
            QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a + ": " + reason
                                                   + "\n\nSplitting was stopped; this archive was not split:\n" + b
                                                   + ": stopped before it was split."});
        }
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(w.noTool());
    }

    void missingToolIsReportedAndEveryArchiveNamed_data()
    {
        QTest::addColumn<bool>("resourceMissing");
        QTest::addColumn<int>("line");
        QTest::newRow("resource cannot be loaded") << true << 122;
        QTest::newRow("APPDATA folder missing") << false << 124;
    }
    void missingToolIsReportedAndEveryArchiveNamed()
    {
        QFETCH(bool, resourceMissing);
        QFETCH(int, line);
        SplitWorld w;
        if (resourceMissing)
            w.world.context().toolSource = w.world.home() + "/no-tool";
        else
            qputenv("APPDATA", QFile::encodeName(w.world.home() + "/no/appdata"));
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 1, 1000, 6);
        w.form.fileList().append(QStringList{a, b});
        startSplittingAndWait(w.form);
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0].contains(QStringLiteral("PushButton2_Click at line %1\r\r").arg(line)));
        // Each archive says why: the tool's folder, and the system's words when it is written.
        const QString why = resourceMissing ? QString()
                                            : ": Path not found: " + w.world.home() + "/no/appdata ("
                                                  + QString::fromLocal8Bit(std::strerror(ENOENT)) + ")";
        QVERIFY2(boxes[1].contains(a + ": the splitting tool could not be started" + why + "."), qPrintable(boxes[1]));
        QVERIFY(boxes[1].contains(b + ": the splitting tool could not be started" + why + "."));
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    // Each archive is listed through the archive reader the context names: without it nothing
    // is planned, and nothing written.
    void archivesAreListedThroughTheContextsLibrary()
    {
        SplitWorld w;
        const QString library = w.world.home() + "/no-libunzip32.so";
        w.world.context().unzipLibrary = library;
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        w.form.fileList().append(QStringList{a});
        startSplittingAndWait(w.form);
        QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a
                                               + ": the archive reader " + library + " could not be loaded."});
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    void spoiledPartsAreCaughtAndNamed_data()
    {
        QTest::addColumn<QByteArray>("spoil");
        QTest::addColumn<QString>("reason"); // a pattern
        const QString size = "part photos1.zip is \\d+ bytes where \\d+ were planned\\.";
        QTest::newRow("an entry dropped") << QByteArray("drop") << size;
        QTest::newRow("an entry twice") << QByteArray("dup") << "the splitting tool made 4 parts where 3 were planned\\.";
        QTest::newRow("a part cut short") << QByteArray("truncate") << size;
        QTest::newRow("a part over the size") << QByteArray("oversize") << size;
        QTest::newRow("a data byte changed") << QByteArray("flip")
                                             << "the data in part photos1.zip is not the archive's: the archive changed "
                                                "while it was being split, or the part was written wrong\\.";
    }
    void spoiledPartsAreCaughtAndNamed()
    {
        QFETCH(QByteArray, spoil);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", spoil);
        w.world.makeFile("out/before.zip", "the user's own file");
        const QString archive = noisyZip(w.world.home() + "/in/photos.zip", 9, 20000, 5);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText("3");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        const QRegularExpression expected("^This archive could not be split:\n" + QRegularExpression::escape(archive)
                                          + ": " + reason + "$");
        QVERIFY2(expected.match(boxes[0]).hasMatch(), qPrintable(boxes[0]));
        QCOMPARE(w.outputFiles(), QStringList{"before.zip"}); // none of its parts, and nothing else gone
        QVERIFY(w.clean());
    }

    void closingOrASignalMidRunStopsTheToolAndCleansUp_data()
    {
        QTest::addColumn<int>("signalNumber"); // 0: the window is closed
        QTest::newRow("window closed") << 0;
        QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
        QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
        QTest::newRow("SIGQUIT (Ctrl+\\)") << int(SIGQUIT);
    }
    void closingOrASignalMidRunStopsTheToolAndCleansUp()
    {
        QFETCH(int, signalNumber);
        SplitWorld w;
        SignalWatcher watcher; // wired as main() wires it
        int received = 0;
        QObject::connect(&watcher, &SignalWatcher::received, &w.form, [&](int number) {
            received = number;
            w.form.close();
        });
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "firstpart"); // the second archive's tool never ends by itself
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        const QString first = noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1);
        w.form.fileList().append(QStringList{first, noisyZip(w.world.home() + "/in/b.zip", 2, 1000, 2),
                                             noisyZip(w.world.home() + "/in/c.zip", 2, 1000, 3)});
        w.form.show();
        bool sent = false;
        const auto eachTurn = [&] {
            if (w.logLines(log) != 2 || sent)
                return;
            sent = true;
            if (signalNumber)
                ::kill(::getpid(), signalNumber);
            else
                w.form.close();
        };
        QElapsedTimer clock;
        clock.start();
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(received, signalNumber);
        QVERIFY(!w.form.isVisible());
        QCOMPARE(w.logLines(log), 2); // the third archive was never started
        QCOMPARE(w.world.toolkit().messages().size(), 0);
        QCOMPARE(w.unionOfParts(), entriesOf(first)); // the first archive's parts stay
        QVERIFY(w.clean());
        QVERIFY(!w.form.isRunning());
    }

    void twoRunsAtOnceIntoOneFolderBothFinish()
    {
        SplitWorld w;
        Form1 other(w.world.context());
        other.Text1->setText(w.out);
        other.Text2->setText("1");
        w.form.Text2->setText("1");
        QStringList mine, theirs, expected;
        for (int i = 0; i < 3; ++i) {
            mine << noisyZip(w.world.home() + QStringLiteral("/in/mine%1.zip").arg(i), 2, 3000, 10 + i);
            theirs << noisyZip(w.world.home() + QStringLiteral("/in/theirs%1.zip").arg(i), 2, 3000, 20 + i);
            expected << entriesOf(mine.last()) << entriesOf(theirs.last());
        }
        expected.sort();
        w.form.fileList().append(mine);
        other.fileList().append(theirs);
        bool started = false;
        const auto eachTurn = [&] {
            if (!started) {
                started = true; // the other window's whole run happens inside this run's first wait
                other.PushButton2_Click();
            }
        };
        startSplittingAndWait(w.form, eachTurn);
        QTRY_VERIFY_WITH_TIMEOUT(!other.isRunning(), 60000);
        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 2);
        for (const auto &box : boxes)
            QVERIFY2(box.text.startsWith("Done.") && !box.text.contains("could not be split"), qPrintable(box.text));
        QCOMPARE(w.unionOfParts(), expected);
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }
};

QTEST_MAIN(SplitSafetyTest)
#include "test_split_safety.moc"
