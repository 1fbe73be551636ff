// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the window as the program does and quits as soon as it is exposed.
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/Context.h"
#include "app/Main.h"
#include "toolkit/QtToolkit.h"

#include <QApplication>
#include <QStringList>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qm::PrepareApplication(app, QStringLiteral(QUILLMERE_VERSION));
    qm::QtToolkit toolkit;
    qm::SettingsStore settings;
    qm::Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    qm::Form1 form(context);
    qm::ShowStartWindow(form, QStringList());
    while (!form.windowHandle() || !form.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}
