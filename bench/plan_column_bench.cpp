// SPDX-License-Identifier: GPL-3.0-or-later
// bench_plan_column LIST   lists the archives named in LIST (one a line) in the window, headless,
//                          and prints key=value lines: the time until every row shows its plan,
//                          the longest gap between event-loop turns meanwhile, then the same
//                          while a size is typed into the field a key every 20 ms, and the time
//                          from the last key until every row shows its plan again.
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
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

using namespace qm;

namespace {

bool allPlanned(Form1 &form)
{
    for (int row = 0; row < form.rowCount(); ++row) {
        const QString text = form.fileList().index(row, 1).data().toString();
        if (text.isEmpty() || text == QStringLiteral("\u2026"))
            return false;
    }
    return true;
}

// The longest stretch between two ticks of a 5 ms timer while `until` is false.
struct GapProbe
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    GapProbe()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longest = qMax(longest, clock.nsecsElapsed() - last);
            last = clock.nsecsElapsed();
        });
    }
    void start()
    {
        longest = 0;
        clock.start();
        last = 0;
        timer.start();
    }
    double longestMs() const { return longest / 1e6; }
};

// Runs the event loop until every row shows its plan; milliseconds since `clock` started.
double waitForPlans(Form1 &form, const QElapsedTimer &clock)
{
    while (!allPlanned(form))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIST\n", argv[0]);
        return 2;
    }
    TempHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFile list(QString::fromLocal8Bit(argv[1]));
    if (!list.open(QIODevice::ReadOnly))
        return 2;
    const QStringList archives = QString::fromLocal8Bit(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ScriptedToolkit toolkit;
    SettingsStore settings(home.home() + QStringLiteral("/Quillmere.conf"));
    Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    Form1 form(context);
    form.Form_Load();
    form.Text2->setText(QStringLiteral("20"));
    form.show();
    QCoreApplication::processEvents();

    GapProbe probe;
    probe.start();
    form.fileList().append(archives);
    const double planMs = waitForPlans(form, probe.clock);
    const double planGap = probe.longestMs();

    // Typing "5", "50", "5", "", "3", "30", ... a key every 20 ms for two seconds.
    form.Text2->clear();
    probe.start();
    QTimer typist;
    int keys = 0;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        const int step = keys++ % 4;
        if (step == 0)
            form.Text2->insert(QString::number(1 + keys % 9));
        else if (step == 1)
            form.Text2->insert(QStringLiteral("0"));
        else
            form.Text2->backspace();
        if (keys == 100)
            typist.stop();
    });
    typist.start(20);
    while (typist.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The field ends on a size in range: every row is planned again from here.
    form.Text2->setText(QStringLiteral("7"));
    QElapsedTimer settle;
    settle.start();
    const double settleMs = waitForPlans(form, settle);
    std::printf("rows=%d\nplan_ms=%.1f\nplan_gap_ms=%.1f\ntyping_keys=%d\ntyping_gap_ms=%.1f\nsettle_ms=%.1f\n",
                form.rowCount(), planMs, planGap, keys, probe.longestMs(), settleMs);
    return 0;
}
