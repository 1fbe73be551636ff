// SPDX-License-Identifier: GPL-3.0-or-later
// Starts exactly as the program does and quits as soon as the window is exposed.
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/Context.h"
#include "toolkit/QtToolkit.h"
#include "common/Translations.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    qm::InstallTranslations(app, qm::LanguagesFromEnvironment(QProcessEnvironment::systemEnvironment()));
    qm::QtToolkit toolkit;
    qm::SettingsStore settings;
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    qm::Form1 form(context);
    form.Form_Load();
    form.show();
    while (!form.windowHandle() || !form.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}
