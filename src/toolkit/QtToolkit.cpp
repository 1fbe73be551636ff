// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QHash>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace qm {

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
// The installed icon and desktop file share the program's reverse-DNS id.
const QString kDesktopId = QStringLiteral("example.quillmere.Quillmere");
const QString kOpenFolderAction = QStringLiteral("open-folder");

} // namespace

// Opens the folder a notification offered when the user clicks its action; the service tells us
// by notification id, so the ids it gave are kept until the notification closes.
class QtToolkit::NotificationActions : public QObject
{
    Q_OBJECT
public:
    explicit NotificationActions(QtToolkit &toolkit) : m_toolkit(toolkit)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), this,
                    SLOT(invoked(uint, QString)));
        bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("NotificationClosed"), this,
                    SLOT(closed(uint, uint)));
    }
    void offer(const QDBusPendingCall &call, const QString &folder)
    {
        auto *watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, folder](QDBusPendingCallWatcher *w) {
            const QDBusPendingReply<uint> reply = *w;
            if (reply.isValid())
                m_folders.insert(reply.value(), folder);
            w->deleteLater();
        });
    }

private Q_SLOTS:
    void invoked(uint id, const QString &action)
    {
        if (action == kOpenFolderAction && m_folders.contains(id)) {
            const QString folder = m_folders.value(id);
            if (!m_toolkit.openFolder(folder))
                m_toolkit.folderNotOpened(folder);
        }
    }
    void closed(uint id, uint) { m_folders.remove(id); }

private:
    QtToolkit &m_toolkit;
    QHash<uint, QString> m_folders;
};

QtToolkit::QtToolkit() = default;
QtToolkit::~QtToolkit()
{
    // A launch still running ends with the toolkit, unannounced.
    for (QProcess *opener : m_openers.findChildren<QProcess *>())
        opener->disconnect(&m_openers);
}

int QtToolkit::showMessage(const QString &text, int buttons, int icon, const QString &title, const QString &details)
{
    QMessageBox box(owner());
    box.setWindowTitle(title);
    // Windows message texts use CR and CR LF; Qt wants LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    if (!details.isEmpty())
        box.setDetailedText(details); // opened on request; it scrolls and copies
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
        box.setEscapeButton(QMessageBox::Ok); // beside Open Folder too, Escape closes the box
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

void QtToolkit::notify(const QString &summary, const QString &body, const QString &folder)
{
    QDBusInterface notifications(kNotifications, kNotificationsPath, kNotifications, QDBusConnection::sessionBus());
    if (!notifications.isValid())
        return;
    QStringList actions;
    if (!folder.isEmpty()) {
        const QDBusReply<QStringList> capabilities = notifications.call(QStringLiteral("GetCapabilities"));
        if (capabilities.isValid() && capabilities.value().contains(QStringLiteral("actions")))
            actions << kOpenFolderAction << tr("Open Folder");
    }
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopId}};
    const QDBusPendingCall call = notifications.asyncCall(QStringLiteral("Notify"), kApplicationTitle, 0u, kDesktopId,
                                                          summary, body, actions, hints, -1);
    if (actions.isEmpty())
        return;
    if (!m_actions)
        m_actions = std::make_unique<NotificationActions>(*this);
    m_actions->offer(call, folder);
}

bool QtToolkit::ownerActive() const
{
    return owner() && owner()->isActiveWindow();
}

bool QtToolkit::openFolder(const QString &folder)
{
    // Qt starts xdg-open and forgets it, so a desktop without a file manager would only say so on
    // standard error: start it here and hear how it ends.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    auto *process = new QProcess(&m_openers);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, &m_openers,
                     [this, process, folder](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             folderNotOpened(folder);
                     });
    process->start(opener, {QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded)});
    if (process->waitForStarted())
        return true;
    process->deleteLater(); // never started: the caller says so
    return false;
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

#include "QtToolkit.moc"
