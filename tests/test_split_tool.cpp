// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include "cli/CommandLine.h"
#include "common/AppError.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        TempHome world;
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
        TempHome world;
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
    // Only what a run of ours provably made goes: a folder of this user's that another user
    // renamed to a run folder's name (a shared folder without the sticky bit), one with a copied
    // marker, or a dead run's folder that holds something a run never leaves, stays whole.
    void deadRunsFoldersGoLiveOnesStay()
    {
        QFETCH(QString, prefix);
        TempHome world;
        const bool tool = prefix.contains("tool");
        const QString deadButMore = deadRunFolder(world.home(), tool);
        QVERIFY(!deadButMore.isEmpty());
        const QString extra = world.makeFile(QFileInfo(deadButMore).fileName() + "/kept/notes.txt", "not a run's");
        // A dead run's folder opened to a group (chmod 2775): whatever its marker, others may
        // have written it, so it stays.
        const QString opened = deadRunFolder(world.home(), tool);
        QVERIFY(!opened.isEmpty() && ::chmod(QFile::encodeName(opened).constData(), 02775) == 0);
        const QString dead = deadRunFolder(world.home(), tool);
        QVERIFY(!dead.isEmpty());
        const QString live = world.makeFile(prefix + "live/part1.zip", "a running run's");
        const QString victim = world.makeFile("victim/keep.txt", "keep");
        QVERIFY(QFile::link(world.home() + "/victim", world.home() + "/" + prefix + "link"));
        const QString renamed = world.makeFile(prefix + "AAAAAAAAAA/projects.txt", "a user's own");
        world.makeFile(prefix + "AAAAAAAAAA/deeper/plan.txt", "and more");
        const QString copied = world.makeFile(prefix + "BBBBBBBBBB/part1.zip", "a user's own");
        const QString deadMarker = markerOf(dead);
        QDir(QFileInfo(copied).path()).mkdir(deadMarker); // another folder's marker
        const UniqueFd liveLock(::open(QFile::encodeName(QFileInfo(live).path()).constData(), O_RDONLY | O_DIRECTORY));
        QCOMPARE(::flock(liveLock.get(), LOCK_EX | LOCK_NB), 0);
        if (tool)
            DeployedTool("x", world.home());
        else {
            const UniqueFd home(::open(QFile::encodeName(world.home()).constData(), O_RDONLY | O_DIRECTORY));
            StagingFolder staging(world.home(), home.get());
        }
        QFile kept(renamed);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("a user's own"));
        QVERIFY(QFile::exists(world.home() + "/" + prefix + "AAAAAAAAAA/deeper/plan.txt"));
        QVERIFY(QFile::exists(copied));
        QVERIFY(QFile::exists(extra));
        QVERIFY(QFileInfo(opened).isDir());
        QVERIFY(!markerOf(deadButMore).isEmpty() && !deadMarker.isEmpty());
        QVERIFY(QFileInfo(QFileInfo(copied).path() + "/" + deadMarker).isDir());
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(live));
        QVERIFY(QFile::exists(victim));
        QVERIFY(QFileInfo(world.home() + "/" + prefix + "link").isSymLink());
    }

private:
    static QString markerOf(const QString &runFolder)
    {
        return QDir(runFolder).entryList({QString(RunFolder::kMarkerPrefix) + "*"}, QDir::Dirs | QDir::Hidden).value(0);
    }

    // What a run killed outright (kill -9, power) leaves: a child process makes its folder as a
    // run does, with a part or the tool in it, and ends without cleaning up; its lock goes with it.
    static QString deadRunFolder(const QString &home, bool tool)
    {
        const QStringList before = QDir(home).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        // A child draws its names from a copy of this process's generator: moved on, so that two
        // children never draw the same.
        for (int i = 0; i < 64; ++i)
            QRandomGenerator::global()->generate();
        const pid_t child = ::fork();
        if (child == 0) {
            if (tool) {
                const DeployedTool left("#!/bin/sh\n", home);
                ::_exit(0);
            }
            const UniqueFd parent(::open(QFile::encodeName(home).constData(), O_RDONLY | O_DIRECTORY));
            StagingFolder staging(home, parent.get());
            const UniqueFd source(::open("/dev/null", O_RDONLY));
            const UniqueFd part(::openat(staging.handle(), "a1.zip", O_WRONLY | O_CREAT | O_EXCL, 0600));
            ::_exit(staging.useSource(source.get()).isEmpty() || !part.isValid() ? 1 : 0);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return QString();
        for (const QString &name : QDir(home).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            if (!before.contains(name))
                return home + "/" + name;
        return QString();
    }
};

QTEST_GUILESS_MAIN(SplitToolTest)
#include "test_split_tool.moc"
