#include "TestSupport.h"

#include "common/AppError.h"
#include "split/ToolFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace qm;

class SplitToolTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qunsetenv("APPDATA"); }

    void toolFolder_data()
    {
        QTest::addColumn<QString>("appData"); // "<unset>" = not in the environment
        QTest::addColumn<QString>("expected"); // relative to home; "<data>" = the data folder
        QTest::newRow("set") << "appdata" << "appdata";
        QTest::newRow("trailing separator") << "appdata/" << "appdata";
        QTest::newRow("unset") << "<unset>" << "<data>";
        QTest::newRow("empty") << "" << "<data>";
        QTest::newRow("root") << "/" << "<data>";
    }
    void toolFolder()
    {
        QFETCH(QString, appData);
        QFETCH(QString, expected);
        TestWorld world;
        if (appData == "<unset>")
            qunsetenv("APPDATA");
        else if (appData.startsWith('/') || appData.isEmpty())
            qputenv("APPDATA", appData.toLocal8Bit());
        else
            qputenv("APPDATA", (world.home() + "/" + appData).toLocal8Bit());
        const QString dataFolder = world.home() + "/data/Veltrane/Quillmere";
        const QString want = expected == "<data>" ? dataFolder : world.home() + "/" + expected;
        QCOMPARE(ToolFolder(), want);
        QCOMPARE(ToolPath(), want + "/zipsplit");
        if (expected == "<data>")
            QVERIFY(QFileInfo(dataFolder).isDir()); // created when missing
    }

    void resourceHoldsTheSystemZipsplit()
    {
        QFile system(QStringLiteral("/usr/bin/zipsplit"));
        QVERIFY(system.open(QIODevice::ReadOnly));
        QCOMPARE(LoadToolBytes(), system.readAll());
        setToolSourceForTests(QStringLiteral("/nonexistent/tool"));
        try {
            LoadToolBytes();
            QFAIL("no exception");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 326);
        }
        setToolSourceForTests(QString());
    }

    void deployWritesAnOwnerOnlyExecutableAndReplacesLinks()
    {
        TestWorld world;
        const QString path = world.home() + "/zipsplit";
        const QString victim = world.makeFile("victim.txt", "keep me");
        QVERIFY(QFile::link(victim, path));
        QVERIFY(!IsSafeToolFile(path)); // a symlink is never started
        DeployTool("#!/bin/sh\nexit 0\n", path);
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("#!/bin/sh\nexit 0\n"));
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me")); // the link was replaced, not followed
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
        QVERIFY(S_ISREG(st.st_mode));
        QCOMPARE(int(st.st_mode & 07777), 0700);
        QVERIFY(IsSafeToolFile(path));
        QCOMPARE(QDir(world.home()).entryList({"zipsplit.*"}, QDir::Files | QDir::Hidden).size(), 0);

        QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOther));
        QVERIFY(!IsSafeToolFile(path)); // writable by others: refused
        QVERIFY(!IsSafeToolFile(world.home())); // a folder
    }

    void deployIntoAMissingFolderFails()
    {
        TestWorld world;
        QVERIFY_THROWS_EXCEPTION(AppError, DeployTool("x", world.home() + "/missing/zipsplit"));
    }
};

QTEST_GUILESS_MAIN(SplitToolTest)
#include "test_split_tool.moc"
