// Headless split runs for bench/split_run and the tests that start whole processes.
//   split_driver sizes <size|parts> <number> <archive>...   the split size the run uses, per archive
//   split_driver run <size|parts> <number> <output folder> <archive>...
//       one Start Splitting over the archives; prints run_ms, boxes and done (1 when every
//       archive was split: the box begins with "Done.")
//       APPDATA is a fresh temporary folder unless the environment sets it.
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "common/NumberConversion.h"
#include "ScriptedToolkit.h"
#include "app/Settings.h"
#include "common/Context.h"
#include "split/LargestEntrySize.h"
#include "split/SplitRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: %s sizes|run size|parts NUMBER [OUTPUT] ARCHIVE...\n", argv[0]);
        return 2;
    }
    const bool byParts = args[2] == QLatin1String("parts");
    const QString number = args[3];

    if (args[1] == QLatin1String("sizes")) {
        for (const QString &archive : args.mid(4)) {
            std::int64_t size = byParts ? qm::SplitSizeFromParts(QFileInfo(archive).size(), qm::ToInteger(number))
                                        : std::int64_t(qm::TimesKilo(qm::TimesKilo(qm::ToLong(number))));
            size = std::max(size, qm::MinimumSplitSize(qm::LargestEntrySize(archive)));
            std::printf("%lld %s\n", static_cast<long long>(size), qPrintable(archive));
        }
        return 0;
    }

    QTemporaryDir appData;
    if (qEnvironmentVariableIsEmpty("APPDATA"))
        qputenv("APPDATA", QFile::encodeName(appData.path()));
    qm::ScriptedToolkit toolkit;
    QTemporaryDir settingsFolder; // never the user's own settings
    qm::SettingsStore settings(settingsFolder.filePath(QStringLiteral("Quillmere.conf")));
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    qm::Form1 form(context);
    form.Text1->setText(args[4]);
    form.Text2->setText(byParts ? QStringLiteral("20") : number);
    form.Text3->setText(byParts ? number : QStringLiteral("5"));
    form.setOptionValue(byParts ? form.Option2 : form.Option1, true);
    form.fileList().append(args.mid(5));

    QElapsedTimer clock;
    clock.start();
    form.PushButton2_Click();
    const double ms = clock.nsecsElapsed() / 1e6;

    const auto boxes = toolkit.messages();
    // Notes after "Done." (renamed or larger parts) still mean every archive was split.
    const bool done = boxes.size() == 1 && boxes[0].text.startsWith(QLatin1String("Done."));
    std::printf("run_ms=%.1f\nboxes=%d\ndone=%d\n", ms, int(boxes.size()), done ? 1 : 0);
    if (!done)
        for (const auto &box : boxes)
            std::fprintf(stderr, "%s\n", qPrintable(box.text));
    return done ? 0 : 1;
}
