// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchSplit.h"
#include "cli/CommandLine.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/Context.h"
#include "app/Main.h"
#include "common/SignalWatcher.h"
#include "toolkit/QtToolkit.h"

#include "common/Paths.h"
#include "posix/FileOps.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList arguments(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << qm::paths::fromRaw(QByteArray(argv[i]));
    return args;
}

// Where Qt cannot reach a display it ends the process (abort, "Reinstalling the application may
// fix this problem"): one line that says what to do instead, and exit status 1. Installed only
// while the application is made.
void noDisplay(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        std::fprintf(stderr, "%s\n", qPrintable(qm::NoDisplayText()));
        std::_Exit(1);
    }
    // What else Qt says while it looks for a display is noise beside that one line.
}

bool displayNamed()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
           || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

int noWindow()
{
    std::fprintf(stderr, "%s\n", qPrintable(qm::NoDisplayText()));
    return 1;
}

int runCommandLine(const QStringList &args, qm::SignalWatcher &watcher)
{
    // Parsed again now that the language is installed: its errors are in the user's language.
    const qm::CommandLine line = qm::ParseCommandLine(args);
    switch (line.mode) {
    case qm::CommandLine::Mode::Help:
        return qm::PrintForScripts(qm::UsageText(), stdout, stderr);
    case qm::CommandLine::Mode::Version:
        return qm::PrintForScripts(qm::VersionText(QStringLiteral(QUILLMERE_VERSION)), stdout, stderr);
    case qm::CommandLine::Mode::Usage:
        std::fprintf(stderr, "quillmere: %s\n%s\n", qPrintable(line.error), qPrintable(qm::UsageHint()));
        return qm::kExitUsage;
    case qm::CommandLine::Mode::Window:
    case qm::CommandLine::Mode::Split:
        break;
    }
    return qm::RunBatchSplit(line, stdout, stderr, watcher);
}

int runWindow(int argc, char *argv[], const QStringList &files)
{
    const QtMessageHandler previous = qInstallMessageHandler(noDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    // A logout, Ctrl+C or a closed terminal ends the program as closing the window does: a run
    // stops its tool and removes what it made; then the program dies by that signal.
    qm::SignalWatcher watcher;
    qm::PrepareApplication(app, QStringLiteral(QUILLMERE_VERSION));
    int status = 0;
    {
        qm::QtToolkit toolkit;
        qm::SettingsStore settings;
        qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
        qm::Form1 form(context);
        QObject::connect(&watcher, &qm::SignalWatcher::received, &form, [&](int signalNumber) {
            form.close();
            QCoreApplication::exit(128 + signalNumber);
        });
        qm::ShowStartWindow(form, files); // files from the command line: "Open With"
        if (watcher.caught() == 0) // one told while the window loaded has closed it already
            status = app.exec();
    } // the window is gone, and with it what a run of it had made
    // A signal that came after the event loop's last look still ends the program by it.
    if (const int caught = watcher.finish())
        qm::DieBySignal(caught);
    return status;
}

// Batch mode, --help, --version and the usage errors: no window and no display needed.
int runWithoutWindow(int argc, char *argv[], const QStringList &args, qm::CommandLine::Mode asked)
{
    QCoreApplication app(argc, argv);
    // Watched from the start: a signal before the tool is written still stops the run cleanly.
    qm::SignalWatcher watcher;
    qm::PrepareApplication(app, QStringLiteral(QUILLMERE_VERSION));
    const int status = asked == qm::CommandLine::Mode::Window ? noWindow() : runCommandLine(args, watcher);
    // Everything is cleaned up; a signal that came meanwhile, even after the run's summary, ends
    // the program by it so that a shell loop stops there.
    if (const int caught = watcher.finish())
        qm::DieBySignal(caught);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file: with a standard descriptor closed (>&-), the next socket or
    // file would take its number and receive what is printed for people.
    if (!qm::posix::openStandardDescriptors()) {
        std::fputs("quillmere: /dev/null cannot be opened\n", stderr); // reaches a standard error that is open
        return 1;
    }
    const QStringList args = arguments(argc, argv);
    const qm::CommandLine asked = qm::ParseCommandLine(args);
    if (asked.mode == qm::CommandLine::Mode::Window && displayNamed())
        return runWindow(argc, argv, asked.files);
    return runWithoutWindow(argc, argv, args, asked.mode);
}
