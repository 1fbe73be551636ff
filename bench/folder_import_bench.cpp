// SPDX-License-Identifier: GPL-3.0-or-later
// bench_folder_import make ROOT   builds 100,000 files in 5,110 folders (a fifth of them .zip)
// bench_folder_import run ROOT    imports ROOT with "zip" and drops ROOT, headless, and prints
//                                 key=value lines: times, longest gap between event-loop turns,
//                                 resident memory added by the dropped rows.
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "ScriptedToolkit.h"
#include "TestFiles.h"
#include "app/Settings.h"
#include "app/Context.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <malloc.h>

using namespace qm;

namespace {

bool makeTree(const QString &root)
{
    int files = 0;
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 50; ++c) {
                const QString folder = QStringLiteral("%1/d%2/d%3/d%4")
                                           .arg(root).arg(a).arg(b).arg(c, 2, 10, QLatin1Char('0'));
                if (!QDir().mkpath(folder))
                    return false;
                for (int f = 0; f < 20; ++f) {
                    QFile file(QStringLiteral("%1/file%2.%3").arg(folder).arg(f, 2, 10, QLatin1Char('0'))
                                   .arg(f % 5 == 0 ? QStringLiteral("zip") : QStringLiteral("dat")));
                    if (!file.open(QIODevice::WriteOnly))
                        return false;
                    ++files;
                }
            }
    std::printf("files=%d\n", files);
    return true;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Longest stretch without an event-loop turn while `work` runs.
struct GapWatch
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    int turns = 0;
    void start() { clock.start(); last = 0; longest = 0; turns = 0; }
    void turn() { const qint64 now = clock.nsecsElapsed(); longest = qMax(longest, now - last); last = now; ++turns; }
    void stop() { turn(); --turns; }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s make|run ROOT\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString root = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (mode == QStringLiteral("make"))
        return makeTree(root) ? 0 : 1;

    // The settings store and desktop stay in a throw-away home.
    TempHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedToolkit toolkit;
    SettingsStore settings(home.home() + QStringLiteral("/Quillmere.conf"));
    Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    GapWatch gaps;
    toolkit.onDoEvents = [&] { gaps.turn(); };

    Form1 form(context);
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    const int runs = 3;
    double bestImport = 1e18, bestDrop = 1e18;
    qint64 worstGap = 0;
    int importRows = 0, dropRows = 0, turns = 0;
    long addedKb = -1;
    for (int run = 0; run < runs; ++run) {
        form.PushButton5_Click();
        QCoreApplication::processEvents();
        toolkit.inputAnswers.enqueue(QStringLiteral("zip"));
        toolkit.folderAnswers.enqueue(root);
        gaps.start();
        form.PushButton4_Click();
        gaps.stop();
        bestImport = qMin(bestImport, gaps.clock.nsecsElapsed() / 1e6);
        worstGap = qMax(worstGap, gaps.longest);
        turns = gaps.turns;
        importRows = form.rowCount();

        form.PushButton5_Click();
        QCoreApplication::processEvents();
        malloc_trim(0);
        const long before = residentKb();
        gaps.start();
        form.ListView1_OLEDragDrop({root});
        gaps.stop();
        bestDrop = qMin(bestDrop, gaps.clock.nsecsElapsed() / 1e6);
        worstGap = qMax(worstGap, gaps.longest);
        QCoreApplication::processEvents(); // let the list lay the rows out
        dropRows = form.rowCount();
        if (run == 0)
            addedKb = residentKb() - before;
    }
    std::printf("import_rows=%d\nimport_ms=%.1f\nimport_turns=%d\ndrop_rows=%d\ndrop_ms=%.1f\n"
                "longest_gap_ms=%.1f\nrows_rss_kb=%ld\n",
                importRows, bestImport, turns, dropRows, bestDrop, worstGap / 1e6, addedKb);
    form.PushButton5_Click();
    return 0;
}
