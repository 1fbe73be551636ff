#include "TestSupport.h"

#include "split/Shell32.h"
#include "split/ZipSplit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace qm;

namespace {

const QString kStandIn = QStringLiteral(QUILLMERE_STAND_IN_TOOL);

ProcessCommand standIn(const QStringList &arguments = {})
{
    return {QString(), kStandIn, arguments, {}};
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
        TestWorld world;
        const QString argsFile = world.home() + "/args.txt";
        qputenv("QM_STAND_IN_ARGS", QFile::encodeName(argsFile));
        const ProcessCommand command = ZipSplitCommandLine(kStandIn, 4096, folder, archive);
        QCOMPARE(RunAndWait(world.toolkit(), command, 0), 0);
        QFile f(argsFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList got = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(got, command.arguments);
        QCOMPARE(got.size(), 5);
        QVERIFY(!QFile::exists(world.home() + "/pwned"));
    }

    void exitCodeAndOutputComeBack()
    {
        TestWorld world;
        qputenv("QM_STAND_IN", "exit:14");
        ProcessOutcome outcome;
        QCOMPARE(RunAndWait(world.toolkit(), standIn(), 0, &outcome), 14);
        QVERIFY(outcome.started);
        QVERIFY(!outcome.crashed);
        QVERIFY(outcome.output.contains("zipsplit error: stand-in failure"));
    }

    void launchFailureIsNegativeAndSilent()
    {
        TestWorld world;
        ProcessOutcome outcome;
        const int code = RunAndWait(world.toolkit(), {QString(), world.home() + "/no such tool", {}, {}}, 0, &outcome);
        QVERIFY(code < 0);
        QVERIFY(!outcome.started);
        QCOMPARE(world.toolkit().shown.size(), 0);
        QVERIFY(RunAndWait(world.toolkit(), {QString(), QString(), {}, {}}) < 0);
    }

    void standardInputIsTheNullDevice()
    {
        TestWorld world;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunAndWait(world.toolkit(), {QString(), QStringLiteral("/bin/cat"), {}, {}}, 0), 0); // would hang on a terminal
        QVERIFY(clock.elapsed() < 5000);
    }

    void waitEndsWithTheProcessAndKeepsTheWindowLive()
    {
        TestWorld world;
        // Back-to-back quick processes each report their own end (speed: bench/split_run).
        for (int i = 0; i < 20; ++i)
            QCOMPARE(RunAndWait(world.toolkit(), {QString(), QStringLiteral("/bin/true"), {}, {}}, 0), 0);
        QElapsedTimer clock;

        // Events are handled while the process runs.
        qputenv("QM_STAND_IN", "sleep:400");
        bool fired = false;
        QTimer::singleShot(50, [&] { fired = true; });
        clock.start();
        QCOMPARE(RunAndWait(world.toolkit(), standIn(), 0), 0);
        QVERIFY(fired);
        QVERIFY(clock.elapsed() >= 350);
        QVERIFY(world.toolkit().doEventsCount > 0);
    }

    void stopperEndsTheProcess()
    {
        TestWorld world;
        qputenv("QM_STAND_IN", "hang");
        const QString folder = world.home() + "/parts";
        QDir().mkpath(folder);
        ProcessStopper stopper;
        QTimer::singleShot(200, [&] { stopper.stop(); });
        ProcessOutcome outcome;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunAndWait(world.toolkit(), standIn({"-b", folder}), 0, &outcome, &stopper), 9);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(outcome.stopped);
        QVERIFY(!QFile::exists(folder + "/stand-in1.zip")); // removed its own half part
        QVERIFY(RunAndWait(world.toolkit(), standIn(), 0, nullptr, &stopper) < 0); // nothing starts after a stop
    }
};

QTEST_MAIN(RunAndWaitTest)
#include "test_runandwait.moc"
