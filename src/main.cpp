#include "app/Form1.h"
#include "app/Settings.h"
#include "common/Context.h"
#include "common/Toolkit.h"
#include "common/SignalWatcher.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));

    qm::QtToolkit toolkit;
    qm::SettingsStore settings;
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    qm::Form1 form(context);
    form.Form_Load();
    form.show();
    // A logout, Ctrl+C or a closed terminal ends the program as closing the window does: a run
    // stops its tool and removes what it made.
    qm::SignalWatcher watcher;
    QObject::connect(&watcher, &qm::SignalWatcher::received, &form, [&form](int signalNumber) {
        form.close();
        QCoreApplication::exit(128 + signalNumber);
    });
    return app.exec();
}
