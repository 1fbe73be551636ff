// SPDX-License-Identifier: GPL-3.0-or-later
// Headless split runs for bench/split_run and the tests that start whole processes.
//   split_driver sizes <size|parts> <number> <archive>...   the -n zipsplit gets in a run, per archive
//   split_driver plan <size|parts> <number> <archive>
//       reads the archive's directory and plans its parts, as a run does; prints plan_ms and n
//   split_driver run <size|parts> <number> <output folder> <archive>...
//       one Start Splitting over the archives; prints run_ms, boxes and done (1 when every
//       archive was split: the box begins with "Done.")
//   split_driver stop <ms> <size|parts> <number> <output folder> <archive>...
//       the same, pressing Stop Splitting once the run has lasted <ms>; prints stop_ms, the time
//       from the press to the end of the run
// APPDATA is a fresh temporary folder unless the environment sets it; QM_DRIVER_TOOL names a
// program to run in zipsplit's place.
#include "ScriptedToolkit.h"
#include "TestSupport.h"
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "archive/UnzipLibrary.h"
#include "app/Context.h"
#include "common/NumberConversion.h"
#include "split/PartPlan.h"
#include "split/ZipDirectory.h"
#include "split/SplitChoice.h"
#include "app/SplitRun.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

// The run's library: loaded once for a run, not for each archive.
const std::shared_ptr<qm::UnzipLibrary> &runLibrary()
{
    static const auto library = std::make_shared<qm::UnzipLibrary>();
    return library;
}

qm::ZipDirectory directoryOf(const QString &path);

qm::PartPlan planOf(bool byParts, const QString &number, const QString &archive)
{
    const qm::ZipDirectory directory = directoryOf(archive);
    const qm::PartPlanner planner(directory);
    const int parts = qm::ToInteger(number);
    return byParts ? planner.forParts(parts, qm::SplitSizeFromParts(QFileInfo(archive).size(), parts))
                   : planner.forSize(std::int64_t(qm::TimesKilo(qm::TimesKilo(qm::ToLong(number)))));
}

int printSizes(bool byParts, const QString &number, const QStringList &archives)
{
    for (const QString &archive : archives)
        std::printf("%lld %s\n", static_cast<long long>(planOf(byParts, number, archive).zipSplitSize),
                    qPrintable(archive));
    return 0;
}

int printPlanCost(bool byParts, const QString &number, const QString &archive)
{
    runLibrary()->load();
    QElapsedTimer clock;
    clock.start();
    const qm::PartPlan plan = planOf(byParts, number, archive);
    std::printf("plan_ms=%.1f\nplan_n=%lld\nplan_parts=%d\n", clock.nsecsElapsed() / 1e6,
                static_cast<long long>(plan.zipSplitSize), int(plan.parts.size()));
    return 0;
}

qm::ZipDirectory directoryOf(const QString &path)
{
    // As a run reads it: through the archive reader and its library beside the program.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    qm::SplitFailure failure;
    qm::ZipDirectory directory = qm::ListStoredDirectory(fd, runLibrary(), failure);
    ::close(fd);
    return directory;
}

int splitRun(bool byParts, const QString &number, const QString &output, const QStringList &archives,
             qint64 stopAfterMs)
{
    QTemporaryDir appData;
    if (qEnvironmentVariableIsEmpty("APPDATA"))
        qputenv("APPDATA", QFile::encodeName(appData.path()));
    qm::ScriptedToolkit toolkit;
    QTemporaryDir settingsFolder; // never the user's own settings
    qm::SettingsStore settings(settingsFolder.filePath(QStringLiteral("Quillmere.conf")));
    // QM_DRIVER_TOOL: another program in zipsplit's place (the tests' stand-in).
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), qEnvironmentVariable("QM_DRIVER_TOOL")};
    qm::Form1 form(context);
    form.Text1->setText(output);
    form.Text2->setText(byParts ? QStringLiteral("20") : number);
    form.Text3->setText(byParts ? number : QStringLiteral("5"));
    form.setOptionValue(byParts ? form.Option2 : form.Option1, true);
    form.fileList().append(archives);
    form.archiveLibrary()->load(); // as the shown window does once it has settled

    QElapsedTimer clock, sinceStop;
    clock.start();
    startSplittingAndWait(form, [&] {
        if (stopAfterMs >= 0 && !sinceStop.isValid() && clock.elapsed() >= stopAfterMs) {
            sinceStop.start();
            form.PushButton2_Click(); // "Stop Splitting"
        }
    });
    const double ms = clock.nsecsElapsed() / 1e6;
    if (stopAfterMs >= 0) {
        std::printf("stop_ms=%.1f\n", sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e6 : -1.0);
        return sinceStop.isValid() ? 0 : 1;
    }
    const auto boxes = toolkit.messages();
    // Notes after "Done." (renamed or larger parts) still mean every archive was split.
    const bool done = boxes.size() == 1 && boxes[0].text.startsWith(QLatin1String("Done."));
    std::printf("run_ms=%.1f\nboxes=%d\ndone=%d\n", ms, int(boxes.size()), done ? 1 : 0);
    if (!done)
        for (const auto &box : boxes)
            std::fprintf(stderr, "%s\n", qPrintable(box.text));
    return done ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("sizes") && args.size() >= 5)
        return printSizes(args[2] == QLatin1String("parts"), args[3], args.mid(4));
    if (mode == QLatin1String("plan") && args.size() == 5)
        return printPlanCost(args[2] == QLatin1String("parts"), args[3], args[4]);
    if (mode == QLatin1String("run") && args.size() >= 6)
        return splitRun(args[2] == QLatin1String("parts"), args[3], args[4], args.mid(5), -1);
    if (mode == QLatin1String("stop") && args.size() >= 7)
        return splitRun(args[3] == QLatin1String("parts"), args[4], args[5], args.mid(6), args[2].toLongLong());
    std::fprintf(stderr, "usage: %s sizes|plan|run|stop ... (see the source)\n", argv[0]);
    return 2;
}
