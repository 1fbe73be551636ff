// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include "split/Shell32.h"
#include "split/ZipSplit.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace qm;

namespace {

const QString kStandIn = QStringLiteral(QUILLMERE_STAND_IN_TOOL);

ProcessCommand standIn(const QStringList &arguments = {})
{
    return {kStandIn, arguments, {}, {}};
}

// Starts the command and lets the event loop run until its end arrives: the exit code, or the
// launch failure's negative code.
int runToEnd(ToolProcess &tool, const ProcessCommand &command, std::optional<int> style = 0)
{
    QEventLoop loop;
    int code = 0;
    bool ended = false;
    const int launch = RunAndWait(tool, command, style, [&](int exitCode) {
        code = exitCode;
        ended = true;
        loop.quit();
    });
    if (launch < 0)
        return launch;
    if (!ended)
        loop.exec();
    return code;
}

} // namespace

class RunAndWaitTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("QM_STAND_IN"); }

    void eachPathArrivesAsOneArgument_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("archive");
        QTest::newRow("spaces") << "/my out/x" << "/in/my photos.zip";
        QTest::newRow("quotes") << "/o\"ut" << "/in/it's \"x\".zip";
        QTest::newRow("shell text") << "/$HOME;ls" << "/in/`touch pwned`$(id)|&.zip";
        QTest::newRow("non-ASCII") << "/Größe" << "/in/日本語 ärchiv.zip";
        QTest::newRow("leading dash") << "-b" << "-n 5.zip";
    }
    void eachPathArrivesAsOneArgument()
    {
        QFETCH(QString, folder);
        QFETCH(QString, archive);
        TempHome world;
        const QString argsFile = world.home() + "/args.txt";
        qputenv("QM_STAND_IN_ARGS", QFile::encodeName(argsFile));
        const ProcessCommand command = ZipSplitCommandLine(kStandIn, 4096, folder, archive);
        ToolProcess tool;
        QCOMPARE(runToEnd(tool, command), 0);
        QFile f(argsFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList got = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(got, command.arguments);
        QCOMPARE(got.size(), 5);
        QVERIFY(!QFile::exists(world.home() + "/pwned"));
    }

    void exitCodeAndOutputComeBack()
    {
        TempHome world;
        qputenv("QM_STAND_IN", "exit:14");
        ToolProcess tool;
        QCOMPARE(runToEnd(tool, standIn()), 14);
        const ProcessOutcome &outcome = tool.outcome();
        QVERIFY(outcome.started);
        QVERIFY(!outcome.crashed);
        QVERIFY(outcome.output.contains("zipsplit error: stand-in failure"));
    }

    void launchFailureIsNegativeAndSilent()
    {
        TempHome world;
        ToolProcess tool;
        const int code = runToEnd(tool, {world.home() + "/no such tool", {}, {}, {}});
        QVERIFY(code < 0);
        QVERIFY(!tool.outcome().started); // and silent: the engine links no toolkit to show a box with
        QVERIFY(runToEnd(tool, {QString(), {}, {}, {}}, std::nullopt) < 0);
    }

    void standardInputIsTheNullDevice()
    {
        TempHome world;
        QElapsedTimer clock;
        clock.start();
        ToolProcess tool;
        QCOMPARE(runToEnd(tool, {QStringLiteral("/bin/cat"), {}, {}, {}}), 0); // would hang on a terminal
        QVERIFY(clock.elapsed() < 5000);
    }

    void theEndArrivesThroughTheEventLoop()
    {
        // Back-to-back quick processes each report their own end (speed: bench/split_run).
        for (int i = 0; i < 20; ++i) {
            ToolProcess tool;
            QCOMPARE(runToEnd(tool, {QStringLiteral("/bin/true"), {}, {}, {}}), 0);
        }
        // RunAndWait returns at once; the exit code follows, and events run meanwhile.
        qputenv("QM_STAND_IN", "sleep:400");
        ToolProcess tool;
        bool ended = false, fired = false;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunAndWait(tool, standIn(), 0, [&](int) { ended = true; }), 0);
        QVERIFY(clock.elapsed() < 300);
        QTimer::singleShot(50, [&] { fired = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ended, 5000);
        QVERIFY(fired);
        QVERIFY(clock.elapsed() >= 350);
    }

    void stopperEndsTheProcess()
    {
        TempHome world;
        qputenv("QM_STAND_IN", "hang");
        const QString folder = world.home() + "/parts";
        QDir().mkpath(folder);
        ToolProcess tool;
        QTimer::singleShot(200, [&] { tool.stop(); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runToEnd(tool, standIn({"-b", folder})), 9);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(tool.outcome().stopped);
        QVERIFY(!QFile::exists(folder + "/stand-in1.zip")); // removed its own half part
        QVERIFY(runToEnd(tool, standIn()) < 0); // nothing starts after a stop
    }

    // A program killed outright (kill -9, OOM) takes its running tool with it: no orphan keeps
    // writing into a folder that the next run sweeps.
    void theToolDiesWithTheProgram()
    {
        TempHome world;
        const QString pids = world.home() + "/pids";
        const QString archive = makeZip(world.home() + "/a.zip", {{"a.txt", QByteArray(5000, 'a')}});
        QDir().mkpath(world.home() + "/out");
        QProcess driver;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QM_STAND_IN", "hang");
        env.insert("QM_STAND_IN_PIDS", pids);
        env.insert("QM_DRIVER_TOOL", kStandIn);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        driver.setProcessEnvironment(env);
        driver.start(QStringLiteral(QUILLMERE_BIN_DIR "/split_driver"), {"run", "size", "1", world.home() + "/out", archive});
        QTRY_VERIFY_WITH_TIMEOUT(QFile(pids).size() > 0, 20000);
        QFile file(pids);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray tool = file.readAll().trimmed();
        ::kill(pid_t(driver.processId()), SIGKILL);
        driver.waitForFinished(5000);
        // Gone, or a zombie about to be reaped: never still running.
        const auto alive = [&] {
            QFile stat("/proc/" + tool + "/stat");
            return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!alive(), 3000);
    }
};

QTEST_MAIN(RunAndWaitTest)
#include "test_runandwait.moc"
