// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline: an empty Qt window of the same size, quitting as soon as it is exposed.
#include <QApplication>
#include <QWidget>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(536, 509);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}
