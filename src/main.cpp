// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatchSplit.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "common/Context.h"
#include "common/SignalWatcher.h"
#include "common/QtToolkit.h"
#include "common/Translations.h"

#include "common/Paths.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

QStringList arguments(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << qm::paths::fromRaw(QByteArray(argv[i]));
    return args;
}

// Names the program and installs the user's language, before any text is made.
void prepare(QCoreApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));
    qm::InstallTranslations(app, qm::LanguagesFromEnvironment(QProcessEnvironment::systemEnvironment()));
}

int runWindow(int argc, char *argv[], const QStringList &files)
{
    QApplication app(argc, argv);
    prepare(app);
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));

    qm::QtToolkit toolkit;
    qm::SettingsStore settings;
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    qm::Form1 form(context);
    form.Form_Load();
    form.show();
    // Files from the command line ("Open With") join the list as a drop of them would.
    const QStringList dropped = qm::PathsToList(files, QDir::currentPath());
    if (!dropped.isEmpty())
        form.ListView1_OLEDragDrop(dropped);
    // A logout, Ctrl+C or a closed terminal ends the program as closing the window does: a run
    // stops its tool and removes what it made.
    qm::SignalWatcher watcher;
    QObject::connect(&watcher, &qm::SignalWatcher::received, &form, [&form](int signalNumber) {
        form.close();
        QCoreApplication::exit(128 + signalNumber);
    });
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList args = arguments(argc, argv);
    const qm::CommandLine asked = qm::ParseCommandLine(args);
    if (asked.mode == qm::CommandLine::Mode::Window)
        return runWindow(argc, argv, asked.files);
    // No window and no display: the batch run, --help and the usage errors need neither.
    QCoreApplication app(argc, argv);
    prepare(app);
    // Parsed again now that the language is installed: its errors are in the user's language.
    const qm::CommandLine line = qm::ParseCommandLine(args);
    switch (line.mode) {
    case qm::CommandLine::Mode::Help:
        std::fputs(qm::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    case qm::CommandLine::Mode::Version:
        std::printf("quillmere %s\n", QUILLMERE_VERSION);
        return 0;
    case qm::CommandLine::Mode::Usage:
        std::fprintf(stderr, "quillmere: %s\n%s\n", qPrintable(line.error), qPrintable(qm::UsageHint()));
        return qm::kExitUsage;
    case qm::CommandLine::Mode::Window:
    case qm::CommandLine::Mode::Split:
        break;
    }
    return qm::RunBatchSplit(line, stdout, stderr);
}
