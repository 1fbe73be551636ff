// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QPushButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace qm {

int QtToolkit::showMessage(const QString &text, int buttons, int icon, const QString &title)
{
    QMessageBox box(owner());
    box.setWindowTitle(title);
    // Windows message texts use CR and CR LF; Qt wants LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setIcon(icon == vbCritical ? QMessageBox::Critical
                : icon == vbExclamation ? QMessageBox::Warning
                                        : QMessageBox::NoIcon);
    QPushButton *openFolder = nullptr;
    if (buttons == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        if (buttons == vbOKOpenFolder)
            openFolder = box.addButton(tr("Open Folder"), QMessageBox::ActionRole);
    }
    const int answer = box.exec();
    if (buttons == vbYesNo)
        return answer == QMessageBox::Yes ? vbYes : vbNo;
    return openFolder && box.clickedButton() == openFolder ? vbOpenFolder : vbOK;
}

QString QtToolkit::showInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    QString shown = prompt;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    bool ok = false;
    const QString answer = QInputDialog::getText(owner(), title, shown, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString(QLatin1String(""));
}

QStringList QtToolkit::openFileNames(const QString &title, const QString &filterName, const QString &,
                                     const QString &startFolder)
{
    return QFileDialog::getOpenFileNames(owner(), title, startFolder, filterName);
}

QString QtToolkit::chooseFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner(), title, startFolder, QFileDialog::ShowDirsOnly);
}

void QtToolkit::notify(const QString &summary, const QString &body)
{
    QDBusInterface notifications(QStringLiteral("org.freedesktop.Notifications"),
                                 QStringLiteral("/org/freedesktop/Notifications"),
                                 QStringLiteral("org.freedesktop.Notifications"), QDBusConnection::sessionBus());
    if (!notifications.isValid())
        return;
    notifications.asyncCall(QStringLiteral("Notify"), kApplicationTitle, 0u, QStringLiteral("quillmere"), summary,
                            body, QStringList(), QVariantMap(), -1);
}

bool QtToolkit::ownerActive() const
{
    return owner() && owner()->isActiveWindow();
}

bool QtToolkit::openFolder(const QString &folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void QtToolkit::doEvents()
{
    QCoreApplication::processEvents();
}

void QtToolkit::setMousePointer(QWidget *window, int shape, const QCursor *custom)
{
    if (!window)
        return;
    if (shape == vbHourglass)
        window->setCursor(Qt::WaitCursor);
    else if (shape == vbCustom && custom)
        window->setCursor(*custom);
    else
        window->unsetCursor();
}

} // namespace qm
