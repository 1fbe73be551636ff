// SPDX-License-Identifier: GPL-3.0-or-later
// Archives are planned and their parts checked on worker threads: whatever comes while a plan is
// on its way ends the archive once, and a plan that comes late finds nothing to touch.
#include "TestFiles.h"

#include "archive/UnzipLibrary.h"
#include "common/UniqueFd.h"
#include "split/ArchiveSplit.h"
#include "split/SerialWorker.h"
#include "split/SplitJob.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QDir>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>

using namespace qm;

namespace {

struct TaskWorld
{
    TempHome world;
    QString out = world.home() + QStringLiteral("/out");
    QStringList archives;

    TaskWorld()
    {
        QDir().mkpath(out);
        qputenv("APPDATA", QFile::encodeName(world.home()));
        qputenv("QM_STAND_IN", "real");
        // Past what is planned in place: the plans and checks go through the worker's thread.
        for (int i = 0; i < 3; ++i)
            archives << makeZip(world.home() + QStringLiteral("/a%1.zip").arg(i),
                                {{"one.bin", QByteArray(20000, char('a' + i))}, {"two.bin", QByteArray(5 << 20, 'z')}},
                                {QStringLiteral("-0")});
    }
    ~TaskWorld() { qunsetenv("QM_STAND_IN"); }
    std::shared_ptr<DeployedTool> tool() const
    {
        return std::make_shared<DeployedTool>(LoadToolBytes(QUILLMERE_STAND_IN_TOOL), ToolFolder());
    }
    // Lets every plan on its way arrive, and anything it would start end.
    static void settle() { QTest::qWait(300); }
};

} // namespace

class SplitTaskTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What comes right after start(), while the archive is being planned.
    void anArchiveEndsOnceWhateverComesWhileItIsPlanned_data()
    {
        QTest::addColumn<QStringList>("during");
        QTest::addColumn<int>("dones");
        QTest::addColumn<int>("staged"); // parts zipsplit left in the staging folder
        QTest::newRow("nothing") << QStringList() << 1 << 2;
        QTest::newRow("stop") << QStringList{"stop"} << 1 << 0;
        QTest::newRow("stop twice") << QStringList{"stop", "stop"} << 1 << 0;
        QTest::newRow("destroyed") << QStringList{"destroy"} << 0 << 0;
        QTest::newRow("stopped, then destroyed") << QStringList{"stop", "destroy"} << 1 << 0;
    }
    void anArchiveEndsOnceWhateverComesWhileItIsPlanned()
    {
        QFETCH(QStringList, during);
        QFETCH(int, dones);
        QFETCH(int, staged);
        TaskWorld w;
        const std::shared_ptr<DeployedTool> tool = w.tool();
        const UniqueFd output(::open(QFile::encodeName(w.out).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        StagingFolder staging(w.out, output.get());
        SerialWorker worker;
        auto task = std::make_unique<ArchiveTask>(
            ArchiveSplitRequest{w.archives[0], tool.get(), std::make_shared<UnzipLibrary>(), 0, 2, QString()},
            staging, worker);
        QSignalSpy done(task.get(), &ArchiveTask::done);
        task->start();
        QCOMPARE(done.count(), 0); // never from inside start()
        for (const QString &what : during)
            what == QLatin1String("stop") ? task->stop() : task.reset();
        if (task && done.isEmpty())
            QVERIFY(done.wait(20000));
        TaskWorld::settle();
        QCOMPARE(done.count(), dones);
        QCOMPARE(int(staging.parts().size()), staged);
        if (task && during.contains(QLatin1String("stop"))) {
            QVERIFY(task->stopped());
            QCOMPARE(task->result().failure.kind, FailureKind::Stopped);
        } else if (task) {
            QCOMPARE(task->result().failure.kind, FailureKind::None);
        }
    }

    // The run stopped or let go while its first archives are being planned: stopped, it names
    // them all and ends once; let go, it leaves nothing in the output folder.
    void aRunEndsWhileItsArchivesArePlanned_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("stopped") << false;
        QTest::newRow("destroyed") << true;
    }
    void aRunEndsWhileItsArchivesArePlanned()
    {
        QFETCH(bool, destroy);
        TaskWorld w;
        SplitRequest request;
        request.archives = w.archives;
        request.outputFolder = w.out;
        request.parts = 2;
        request.jobs = 2;
        request.tool = w.tool();
        auto owned = std::make_unique<SplitJob>(std::move(request));
        const QPointer<SplitJob> job = owned.get();
        QSignalSpy finished(job.data(), &SplitJob::finished);
        bool acted = false;
        // The first progress comes as the first archives start: their plans are on their way.
        connect(job.data(), &SplitJob::progress, job.data(), [&] {
            if (std::exchange(acted, true))
                return;
            destroy ? owned.release()->deleteLater() : job->stop();
        });
        job->start();
        QTRY_VERIFY_WITH_TIMEOUT(acted, 5000);
        if (!destroy)
            QVERIFY(finished.count() == 1 || finished.wait(20000));
        TaskWorld::settle();
        QCOMPARE(QDir(w.out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        if (destroy) {
            QVERIFY(job.isNull());
            return;
        }
        QCOMPARE(finished.count(), 1);
        QCOMPARE(job->summary().notSplit, w.archives);
    }
};

QTEST_GUILESS_MAIN(SplitTaskTest)
#include "test_split_task.moc"
