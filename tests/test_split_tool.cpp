// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/CommandLine.h"
#include "common/AppError.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
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
        QTest::newRow("root as /.") << "/." << "<data>";
        QTest::newRow("root as //") << "//" << "<data>";
        QTest::newRow("root as /./") << "/./" << "<data>";
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
        if (expected == "<data>")
            QVERIFY(QFileInfo(dataFolder).isDir()); // created when missing
    }

    void resourceHoldsTheZipsplitTheBuildEmbedded()
    {
        QFile embedded(QStringLiteral(QUILLMERE_EMBEDDED_ZIPSPLIT));
        QVERIFY(embedded.open(QIODevice::ReadOnly));
        QCOMPARE(LoadToolBytes(), embedded.readAll());
        // --version names the Debian zip it came from, as recorded when it was embedded.
        QCOMPARE(EmbeddedToolVersion(), QStringLiteral(QUILLMERE_EMBEDDED_ZIPSPLIT_VERSION));
        QVERIFY(EmbeddedToolVersion().startsWith(QStringLiteral("zip 3.0-")));
        QVERIFY(VersionText(QStringLiteral("1")).contains(QStringLiteral("(Debian %1)").arg(EmbeddedToolVersion())));
        try {
            LoadToolBytes(QStringLiteral("/nonexistent/tool"));
            QFAIL("no exception");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 326);
        }
    }

    void eachRunWritesItsOwnPrivateTool()
    {
        TestWorld world;
        auto first = std::make_unique<DeployedTool>("#!/bin/sh\nexit 0\n", world.home());
        const DeployedTool second("#!/bin/sh\nexit 0\n", world.home());
        QVERIFY(first->path() != second.path());
        for (const DeployedTool *tool : {static_cast<const DeployedTool *>(first.get()), &second}) {
            struct stat st {};
            QCOMPARE(::lstat(QFile::encodeName(tool->path()).constData(), &st), 0);
            QVERIFY(S_ISREG(st.st_mode));
            QCOMPARE(int(st.st_mode & 07777), 0700);
            QCOMPARE(::lstat(QFile::encodeName(QFileInfo(tool->path()).path()).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 07777), 0700);
            QFile started(tool->program()); // the open file itself
            QVERIFY(started.open(QIODevice::ReadOnly));
            QCOMPARE(started.readAll(), QByteArray("#!/bin/sh\nexit 0\n"));
        }
        const QString firstFolder = QFileInfo(first->path()).path();
        first.reset();
        QVERIFY(!QFile::exists(firstFolder));
        QVERIFY(QFile::exists(second.path())); // the other run's tool stays
        QVERIFY_THROWS_EXCEPTION(AppError, DeployedTool("x", world.home() + "/missing"));
    }

    void deadRunsFoldersGoLiveOnesStay_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("tool folder") << ".quillmere-tool-";
        QTest::newRow("output folder") << ".quillmere-split-";
    }
    void deadRunsFoldersGoLiveOnesStay()
    {
        QFETCH(QString, prefix);
        TestWorld world;
        const QString dead = world.makeFile(prefix + "dead/part1.zip", "left by a killed run");
        const QString live = world.makeFile(prefix + "live/part1.zip", "a running run's");
        const QString victim = world.makeFile("victim/keep.txt", "keep");
        QVERIFY(QFile::link(world.home() + "/victim", world.home() + "/" + prefix + "link"));
        const UniqueFd liveLock(::open(QFile::encodeName(QFileInfo(live).path()).constData(), O_RDONLY | O_DIRECTORY));
        QCOMPARE(::flock(liveLock.get(), LOCK_EX | LOCK_NB), 0);
        if (prefix.contains("tool"))
            DeployedTool("x", world.home());
        else {
            const UniqueFd home(::open(QFile::encodeName(world.home()).constData(), O_RDONLY | O_DIRECTORY));
            StagingFolder staging(world.home(), home.get());
        }
        QVERIFY(!QFile::exists(QFileInfo(dead).path()));
        QVERIFY(QFile::exists(live));
        QVERIFY(QFile::exists(victim));
        QVERIFY(QFileInfo(world.home() + "/" + prefix + "link").isSymLink());
    }
};

QTEST_GUILESS_MAIN(SplitToolTest)
#include "test_split_tool.moc"
