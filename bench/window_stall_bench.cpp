// SPDX-License-Identifier: GPL-3.0-or-later
// bench_window_stall <size|parts> <number> <output folder> <archive>...
//   One Start Splitting through the real window, headless, with a 5 ms timer in the window's
//   event loop; prints the longest gap between its ticks (stall_ms), how many gaps passed 50 ms,
//   the run's time and whether it ended with "Done."; QM_STALL_TRACE=1 puts each gap past 50 ms on
//   standard error.
#include "ScriptedToolkit.h"
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "archive/UnzipLibrary.h"
#include "app/Context.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace qm;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: %s size|parts NUMBER OUTPUT ARCHIVE...\n", argv[0]);
        return 2;
    }
    const bool byParts = args[1] == QLatin1String("parts");
    QTemporaryDir appData, settingsFolder; // neither the user's tool folder nor settings
    qputenv("APPDATA", QFile::encodeName(appData.path()));
    ScriptedToolkit toolkit;
    SettingsStore settings(settingsFolder.filePath(QStringLiteral("Quillmere.conf")));
    Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    Form1 form(context);
    form.Text1->setText(args[3]);
    form.Text2->setText(byParts ? QStringLiteral("20") : args[2]);
    form.Text3->setText(byParts ? args[2] : QStringLiteral("5"));
    form.setOptionValue(byParts ? form.Option2 : form.Option1, true);
    form.fileList().append(args.mid(4));
    form.show();
    form.archiveLibrary()->load(); // as the shown window does once it has settled
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestAt = 0;
    int over = 0;
    bool clicked = false;
    const bool trace = qEnvironmentVariableIsSet("QM_STALL_TRACE"); // each gap past 50 ms on standard error
    QEventLoop loop;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (now - last > longest) {
            longest = now - last;
            longestAt = last;
        }
        if (now - last > 50'000'000) {
            ++over;
            if (trace)
                std::fprintf(stderr, "gap of %.1f ms from %.1f ms\n", (now - last) / 1e6, last / 1e6);
        }
        last = now;
        if (clicked && !form.isRunning())
            loop.quit();
    });
    // The click itself runs inside the loop, so what it does before the job starts counts too.
    QTimer::singleShot(0, &form, [&] {
        clicked = true;
        form.PushButton2_Click(); // "Start Splitting"
    });
    clock.start();
    probe.start(5);
    loop.exec();
    const double runMs = clock.nsecsElapsed() / 1e6;
    const auto boxes = toolkit.messages();
    const bool done = boxes.size() == 1 && boxes[0].text.startsWith(QLatin1String("Done."));
    std::printf("stall_ms=%.1f\nstall_at_ms=%.1f\nover_50=%d\nrun_ms=%.1f\ndone=%d\n", longest / 1e6,
                longestAt / 1e6, over, runMs, done ? 1 : 0);
    if (!done)
        for (const auto &box : boxes)
            std::fprintf(stderr, "%s\n", qPrintable(box.text));
    return done ? 0 : 1;
}
