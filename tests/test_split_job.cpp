// SPDX-License-Identifier: GPL-3.0-or-later
// The split engine on its own: a typed request, archives side by side, results in list order.
#include "TestFiles.h"

#include "archive/UnzipLibrary.h"
#include "common/UniqueFd.h"
#include "split/SplitJob.h"
#include "split/StagingFolder.h"
#include "split/ToolFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace qm;

namespace {

QString zipOf(const QString &path, int entries, int size, int seed)
{
    QList<QPair<QString, QByteArray>> content;
    for (int i = 0; i < entries; ++i) {
        QByteArray data(size, Qt::Uninitialized);
        for (int b = 0; b < size; ++b)
            data[b] = char((b * 7919 + seed * 104729 + i * 13) >> 3);
        content.append({QStringLiteral("e%1.bin").arg(i), data});
    }
    QDir().mkpath(QFileInfo(path).path());
    return makeZip(path, content, {QStringLiteral("-0")});
}

// A job over the archives with the stand-in tool (or zipsplit itself when mode is "real").
struct JobWorld
{
    TempHome world;
    QString out = world.home() + QStringLiteral("/out");
    QVector<ArchiveOutcome> outcomes;
    QVector<RunProgress> progress;
    bool ended = false;

    JobWorld(const char *mode)
    {
        QDir().mkpath(out);
        qputenv("APPDATA", QFile::encodeName(world.home()));
        qputenv("QM_STAND_IN", mode);
    }
    ~JobWorld() { qunsetenv("QM_STAND_IN"); }

    SplitRequest request(const QStringList &archives, int jobs)
    {
        SplitRequest r;
        r.archives = archives;
        r.outputFolder = out;
        r.parts = 2;
        r.jobs = jobs;
        r.tool = std::make_shared<DeployedTool>(LoadToolBytes(QUILLMERE_STAND_IN_TOOL), ToolFolder());
        return r;
    }
    // Runs the job to its end; `during` runs once the first zipsplit has started.
    SplitSummary run(SplitRequest r, const std::function<void(SplitJob &)> &during = {})
    {
        SplitJob job(std::move(r));
        QObject::connect(&job, &SplitJob::archiveFinished, [this](const ArchiveOutcome &o) { outcomes << o; });
        QObject::connect(&job, &SplitJob::progress, [this](const RunProgress &p) { progress << p; });
        QSignalSpy finished(&job, &SplitJob::finished);
        job.start();
        if (during) {
            QTest::qWait(150);
            during(job);
        }
        if (finished.isEmpty())
            finished.wait(120000);
        ended = !finished.isEmpty();
        return job.summary();
    }
    QStringList left() const
    {
        return QDir(out).entryList({QStringLiteral(".quillmere-*")}, QDir::AllEntries | QDir::Hidden);
    }
};

int openHandles()
{
    int open = 0;
    for (int fd = 0; fd < 4096; ++fd)
        open += ::fcntl(fd, F_GETFD) != -1;
    return open;
}

// The most lines of $QM_STAND_IN_MARKS.seen: the most tools the stand-in saw running at once.
int mostAtOnce(const QString &marks)
{
    QFile seen(marks + ".seen");
    int most = 0;
    if (seen.open(QIODevice::ReadOnly))
        for (const QByteArray &line : seen.readAll().split('\n'))
            most = std::max(most, line.trimmed().toInt());
    return most;
}

// Whether the process runs still; a zombie has ended. The tool runs as /proc/<pid>/fd/N, so no
// name of it can be looked for: the stand-in notes its process id.
bool running(const QByteArray &pid)
{
    QFile stat(QStringLiteral("/proc/") + QString::fromLatin1(pid) + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

QMap<QString, QByteArray> digests(const QString &folder)
{
    QMap<QString, QByteArray> all;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(f.filePath());
        file.open(QIODevice::ReadOnly);
        all[f.fileName()] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
    }
    return all;
}

} // namespace

class SplitJobTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Split, failed and not a ZIP at all: reported in list order, whatever order they end in.
    void outcomesComeInListOrder()
    {
        JobWorld w("real");
        const QString a = zipOf(w.world.home() + "/in/a.zip", 4, 30000, 1);
        const QString text = w.world.makeFile("in/notes.zip", "plain text");
        const QString c = zipOf(w.world.home() + "/in/c.zip", 4, 30000, 3);
        const SplitSummary summary = w.run(w.request({a, text, c}, 3));
        QCOMPARE(w.outcomes.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w.outcomes[i].index, i);
        QCOMPARE(w.outcomes[0].result.parts.size(), 2);
        QCOMPARE(w.outcomes[1].result.failure.text, QStringLiteral("it is not a ZIP archive, or it is damaged."));
        QCOMPARE(w.outcomes[2].result.parts.size(), 2);
        QCOMPARE(summary.failures.size(), 1);
        QCOMPARE(QDir(w.out).entryList(QDir::Files), QStringList({"a1.zip", "a2.zip", "c1.zip", "c2.zip"}));
        QVERIFY(w.left().isEmpty());
    }

    // Every failure carries its kind, whatever its words: callers act on the kind.
    void failuresCarryTheirKind_data()
    {
        QTest::addColumn<QString>("input"); // what the row names
        QTest::addColumn<QByteArray>("tool"); // the stand-in's mode
        QTest::addColumn<int>("kind");
        const auto row = [](const char *name, const char *input, const char *tool, FailureKind kind) {
            QTest::newRow(name) << QString(input) << QByteArray(tool) << int(kind);
        };
        row("split", "zip", "real", FailureKind::None);
        row("gone", "gone", "real", FailureKind::Source);
        row("empty", "empty", "real", FailureKind::Source);
        row("a folder", "folder", "real", FailureKind::Source);
        row("plain text", "text", "real", FailureKind::NotZip);
        row("entries outside the file", "lying-offset", "real", FailureKind::NotZip);
        row("a stub", "stub", "real", FailureKind::Unsplittable);
        row("another disk", "zip64-disk", "real", FailureKind::Unsplittable);
        row("no reader", "zip:no-reader", "real", FailureKind::Reader);
        row("the tool fails", "zip", "exit:16", FailureKind::Tool);
        row("the tool dies", "zip", "crash", FailureKind::Tool);
        row("the disk is full", "zip", "half:14", FailureKind::Output);
        row("the tool finds it damaged", "zip", "exit:2", FailureKind::NotZip);
        row("changed meanwhile", "zip", "rewrite", FailureKind::Changed);
        row("a part cut short", "zip", "truncate", FailureKind::Parts);
        row("stopped", "zip", "hang", FailureKind::Stopped);
        row("no entries", "no-entries", "real", FailureKind::Empty);
    }
    void failuresCarryTheirKind()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, tool);
        QFETCH(int, kind);
        JobWorld w(tool.constData());
        QString archive = w.world.home() + "/in/" + input.section(':', 0, 0);
        QDir().mkpath(w.world.home() + "/in");
        if (input.section(':', 0, 0) == "zip")
            archive = zipOf(archive + ".zip", 4, 30000, 1);
        else if (input == "empty")
            w.world.makeFile("in/empty", QByteArray());
        else if (input == "folder")
            QDir().mkpath(archive);
        else if (input == "text")
            w.world.makeFile("in/text", "plain text");
        else if (input == "no-entries") // an end record alone
            w.world.makeFile("in/no-entries", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
        else if (input != "gone")
            QCOMPARE(QProcess::execute("python3", {SPLIT_FIXTURES_SCRIPT, input, archive}), 0);
        SplitRequest r = w.request({archive}, 1);
        if (input.endsWith(":no-reader"))
            r.library = std::make_shared<UnzipLibrary>(w.world.home() + "/no-libunzip32.so");
        const SplitSummary summary =
            w.run(r, tool == "hang" ? std::function<void(SplitJob &)>([](SplitJob &job) { job.stop(); })
                                    : std::function<void(SplitJob &)>());
        QCOMPARE(w.outcomes.size(), 1);
        const SplitFailure &failure = w.outcomes[0].result.failure;
        QCOMPARE(int(failure.kind), kind);
        QCOMPARE(failure.text.isEmpty(), kind == int(FailureKind::None));
        // The kind sorts the archive in the summary: split, stopped, or failed.
        QCOMPARE(summary.split, int(kind == int(FailureKind::None)));
        QCOMPARE(summary.notSplit.size(), int(kind == int(FailureKind::Stopped)));
        QCOMPARE(summary.failures.size(), int(kind != int(FailureKind::None) && kind != int(FailureKind::Stopped)));
    }

    // Handles run short with many archives at once: those that cannot start wait for others to
    // end and are tried again with fewer at once; every archive is split.
    void runningShortOfHandlesIsWaitedOut()
    {
        JobWorld w("real");
        QStringList archives;
        for (int i = 0; i < 40; ++i)
            archives << zipOf(w.world.home() + QStringLiteral("/in/h%1.zip").arg(i), 2, 3000, i);
        struct rlimit before {};
        ::getrlimit(RLIMIT_NOFILE, &before);
        struct rlimit tight = before;
        tight.rlim_cur = rlim_t(openHandles() + 40); // room for a few archives, not for 32
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        const SplitSummary summary = w.run(w.request(archives, 32));
        ::setrlimit(RLIMIT_NOFILE, &before);
        QVERIFY2(summary.allSplit(), qPrintable(summary.failures.value(0).failure.text));
        QCOMPARE(summary.split, 40);
        QVERIFY(w.left().isEmpty());
    }

    // Under a tight open-file limit, several at once end and split what one at a time splits
    // there, though archives are tried again; progress never goes back.
    void tightLimitsSplitWhatOneAtATimeDoes_data()
    {
        QTest::addColumn<int>("headroom"); // handles free when the run starts
        for (const int headroom : {10, 13, 14, 16, 18, 24})
            QTest::addRow("%d free", headroom) << headroom;
    }
    void tightLimitsSplitWhatOneAtATimeDoes()
    {
        QFETCH(int, headroom);
        JobWorld w("slow:20");
        QStringList archives;
        for (int i = 0; i < 12; ++i)
            archives << zipOf(w.world.home() + QStringLiteral("/in/t%1.zip").arg(i), 2, 3000, i);
        int alone = -1;
        for (const int jobs : {1, 2, 8}) {
            SplitRequest request = w.request(archives, jobs);
            request.outputFolder = w.out + QString::number(jobs);
            QDir().mkpath(request.outputFolder);
            struct rlimit before {};
            ::getrlimit(RLIMIT_NOFILE, &before);
            struct rlimit tight = before;
            tight.rlim_cur = rlim_t(openHandles() + headroom);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
            w.progress.clear();
            const SplitSummary summary = w.run(std::move(request));
            ::setrlimit(RLIMIT_NOFILE, &before);
            QVERIFY2(w.ended, qPrintable(QStringLiteral("%1 jobs never ended").arg(jobs)));
            alone = jobs == 1 ? summary.split : alone;
            QCOMPARE(summary.split, alone);
            for (int i = 1; i < w.progress.size(); ++i)
                QVERIFY(w.progress[i].bytesDone >= w.progress[i - 1].bytesDone);
        }
        QVERIFY2(alone > 0 || headroom < 16, qPrintable(QString::number(alone)));
    }

    // As many tools run at once as asked.
    void toolsRunAtOnceAsAsked()
    {
        const int jobs = 3;
        JobWorld w("slow:300");
        const QString marks = w.world.home() + "/marks";
        QDir().mkpath(marks);
        qputenv("QM_STAND_IN_MARKS", QFile::encodeName(marks));
        QStringList archives;
        for (int i = 0; i < 6; ++i)
            archives << zipOf(w.world.home() + QStringLiteral("/in/j%1.zip").arg(i), 2, 3000, i);
        const SplitSummary summary = w.run(w.request(archives, jobs));
        qunsetenv("QM_STAND_IN_MARKS");
        QVERIFY(summary.allSplit());
        QCOMPARE(mostAtOnce(marks), jobs);
    }

    // An output folder that can take no part is found out before any archive starts, and said
    // once, from the system's reason; every archive is left unsplit, none fails on its own.
    void anUnfitOutputFolderEndsTheRunAtOnce_data()
    {
        QTest::addColumn<QString>("folder"); // mounted read-only, full, or not there
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only") << "ro" << "the output folder <out> is on a read-only file system.";
        QTest::newRow("full") << "full" << "the disk that holds the output folder <out> is full.";
        QTest::newRow("gone") << "gone" << "the output folder <out> is gone.";
    }
    void anUnfitOutputFolderEndsTheRunAtOnce()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        JobWorld w("real");
        const QStringList archives{zipOf(w.world.home() + "/in/a.zip", 2, 3000, 1), w.world.home() + "/in/b.zip"};
        SplitRequest request = w.request(archives, 2);
        request.outputFolder = w.out + "/" + folder;
        const QByteArray mountPoint = QFile::encodeName(request.outputFolder);
        if (folder != "gone") { // a file system of its own, in this process's own view of mounts
            QVERIFY(QDir().mkpath(request.outputFolder));
            if (::unshare(CLONE_NEWNS) != 0)
                QSKIP("this machine gives no mount namespace of its own (root with CAP_SYS_ADMIN)");
            QVERIFY(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0);
            QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k"), 0);
            QFile filler(request.outputFolder + "/filler");
            if (folder == "full" && filler.open(QIODevice::WriteOnly))
                filler.write(QByteArray(128 * 1024, 'x')); // as much as fits
            filler.close();
            if (folder == "ro")
                QCOMPARE(::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        }
        const SplitSummary summary = w.run(std::move(request));
        if (folder != "gone")
            ::umount2(mountPoint.constData(), MNT_DETACH);
        QCOMPARE(summary.outputProblem, QString(reason).replace("<out>", w.out + "/" + folder));
        QCOMPARE(summary.notSplit, archives);
        QVERIFY(summary.failures.isEmpty());
    }

    // Alone and short of handles, at whatever step they run out, an archive fails saying so,
    // not with the reason of a missing or full folder or a damaged file.
    void aloneShortOfHandlesSaysSo()
    {
        JobWorld w("real");
        const QString archive = zipOf(w.world.home() + "/in/alone.zip", 2, 3000, 1);
        struct rlimit before {};
        ::getrlimit(RLIMIT_NOFILE, &before);
        for (int headroom = 0; headroom <= 12; ++headroom) {
            SplitRequest request = w.request({archive}, 1); // the tool is written first
            struct rlimit tight = before;
            tight.rlim_cur = rlim_t(openHandles() + headroom);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
            const SplitSummary summary = w.run(std::move(request));
            ::setrlimit(RLIMIT_NOFILE, &before);
            if (!summary.allSplit())
                QCOMPARE(summary.failures.value(0).failure.text, QStringLiteral("the system ran short of open files, memory or processes."));
            QDir(w.out).removeRecursively();
            QDir().mkpath(w.out);
        }
        QVERIFY(w.left().isEmpty());
    }

    // Names that collide across 300 archives come out the same, byte for byte, one at a time
    // or four at once.
    void sideBySideGivesWhatOneAtATimeGives()
    {
        JobWorld w("real");
        QStringList archives;
        for (int i = 0; i < 300; ++i) // every name's parts are report_1.zip and report_2.zip
            archives << zipOf(w.world.home() + QStringLiteral("/in/report-%1.zip").arg(i, 3, 10, QLatin1Char('0')), 2,
                              2000 + i, i);
        QMap<QString, QByteArray> results[2];
        QStringList renamed[2];
        for (int round = 0; round < 2; ++round) {
            SplitRequest r = w.request(archives, round == 0 ? 1 : 4);
            r.outputFolder = w.world.home() + QStringLiteral("/out%1").arg(round);
            QDir().mkpath(r.outputFolder);
            const SplitSummary summary = w.run(r);
            QVERIFY(summary.allSplit());
            results[round] = digests(r.outputFolder);
            for (const RenamedPart &part : summary.renamed)
                renamed[round] << QFileInfo(part.archive).fileName() + part.zipSplitName + part.savedAs;
        }
        QCOMPARE(results[0].size(), 600);
        QCOMPARE(results[1], results[0]);
        QCOMPARE(renamed[1], renamed[0]);
    }

    // Stop with several archives running: every zipsplit ends at once, none of their parts
    // (not even what a tool left behind) reaches the output folder, nothing stays.
    void stopEndsEveryRunningArchive()
    {
        JobWorld w("stubborn");
        QStringList archives;
        for (int i = 0; i < 5; ++i)
            archives << zipOf(w.world.home() + QStringLiteral("/in/s%1.zip").arg(i), 2, 3000, i);
        const QString pids = w.world.home() + QStringLiteral("/pids");
        qputenv("QM_STAND_IN_PIDS", QFile::encodeName(pids));
        QElapsedTimer sinceStop;
        const SplitSummary summary = w.run(w.request(archives, 3), [&](SplitJob &job) {
            sinceStop.start();
            job.stop();
        });
        QVERIFY2(sinceStop.elapsed() < 1000, qPrintable(QString::number(sinceStop.elapsed())));
        QCOMPARE(summary.notSplit, archives);
        QVERIFY(QDir(w.out).entryList(QDir::Files).isEmpty());
        QVERIFY(w.left().isEmpty());
        qunsetenv("QM_STAND_IN_PIDS");
        QFile started(pids);
        QVERIFY(started.open(QIODevice::ReadOnly));
        const QList<QByteArray> tools = started.readAll().split('\n');
        QVERIFY(tools.size() >= 2); // each line ended
        for (const QByteArray &pid : tools.mid(0, tools.size() - 1))
            QVERIFY2(!running(pid), pid.constData()); // no tool left running
    }

    // An archive large enough for the disk to be the limit is split alone: nothing beside it.
    void largeArchivesAreSplitAlone()
    {
        JobWorld w("slow:300");
        const QString a = zipOf(w.world.home() + "/in/a.zip", 2, 3000, 1);
        const QString big = zipOf(w.world.home() + "/in/big.zip", 2, 60000, 2);
        const QString c = zipOf(w.world.home() + "/in/c.zip", 2, 3000, 3);
        SplitRequest r = w.request({a, big, c}, 3);
        r.aloneFrom = QFileInfo(big).size();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(w.run(r).allSplit());
        QVERIFY2(clock.elapsed() >= 850, qPrintable(QString::number(clock.elapsed()))); // a, then big, then c
    }

    // Byte progress moves while each archive's parts are being written, never goes back, and
    // ends at the run's total: the archives' sizes.
    void progressRisesWithinEachArchiveToTheTotal()
    {
        JobWorld w("trickle:120");
        const QString a = zipOf(w.world.home() + "/in/a.zip", 4, 30000, 1);
        const QString gone = w.world.home() + "/in/gone.zip";
        const QString b = zipOf(w.world.home() + "/in/b.zip", 4, 50000, 2);
        SplitJob job(w.request({a, gone, b}, 1));
        QVector<RunProgress> seen;
        QObject::connect(&job, &SplitJob::progress, [&](const RunProgress &p) { seen << p; });
        QSignalSpy finished(&job, &SplitJob::finished);
        job.start();
        QVERIFY(finished.wait(60000));
        const std::int64_t total = QFileInfo(a).size() + QFileInfo(b).size();
        QVERIFY(!seen.isEmpty());
        int within = 0; // reports strictly inside an archive, between its start and its end
        for (int i = 0; i < seen.size(); ++i) {
            QCOMPARE(seen[i].bytesTotal, total);
            QCOMPARE(seen[i].archives, 3);
            if (i > 0) {
                QVERIFY(seen[i].bytesDone >= seen[i - 1].bytesDone);
                QVERIFY(seen[i].archivesDone >= seen[i - 1].archivesDone);
            }
            const std::int64_t before = seen[i].archivesDone == 0 ? 0 : QFileInfo(a).size();
            within += seen[i].current >= 0 && seen[i].bytesDone > before
                      && seen[i].bytesDone < before + QFileInfo(seen[i].current == 0 ? a : b).size();
        }
        QVERIFY2(within >= 2, qPrintable(QString::number(within)));
        QCOMPARE(seen.last().bytesDone, total);
        QCOMPARE(seen.last().archivesDone, 3);
    }

    // The staging folder's source link never goes through a link planted where its folder goes.
    void aLinkInTheStagingFolderIsNotFollowed()
    {
        TempHome world;
        const QString out = world.home() + "/out";
        const QString target = world.home() + "/target";
        QDir().mkpath(out);
        QDir().mkpath(target);
        const UniqueFd output(::open(QFile::encodeName(out).constData(), O_RDONLY | O_DIRECTORY));
        StagingFolder staging(out, output.get());
        QVERIFY(staging.isValid());
        QCOMPARE(::symlinkat(QFile::encodeName(target).constData(), staging.handle(), "src"), 0);
        const UniqueFd source(::open("/dev/null", O_RDONLY));
        QVERIFY(staging.useSource(source.get()).isEmpty());
        QVERIFY(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SplitJobTest)
#include "test_split_job.moc"
