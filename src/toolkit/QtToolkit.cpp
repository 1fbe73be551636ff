// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
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
    // Any sender: naming the service would have Qt ask the bus for its owner, and wait for the
    // answer. Only ids the service gave us count.
    explicit NotificationActions(QtToolkit &toolkit) : m_toolkit(toolkit), m_bus(QDBusConnection::sessionBus())
    {
        m_bus.connect(QString(), kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), this,
                      SLOT(invoked(uint, QString)));
        m_bus.connect(QString(), kNotificationsPath, kNotifications, QStringLiteral("NotificationClosed"), this,
                      SLOT(closed(uint, uint)));
    }
    // Nothing waits for the service: the capabilities, where a folder may be offered, and then the
    // notification are asked for and heard through the event loop. A service that is not running
    // is not started for it.
    void notify(const QString &summary, const QString &body, const QString &folder, const QString &openLabel)
    {
        if (folder.isEmpty())
            return send(summary, body, {}, QString());
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, summary, body, folder, openLabel](QDBusPendingCallWatcher *w) {
                    w->deleteLater();
                    const QDBusPendingReply<QStringList> capabilities = *w;
                    if (capabilities.isError() && capabilities.error().type() == QDBusError::ServiceUnknown)
                        return;
                    if (capabilities.isValid() && capabilities.value().contains(QStringLiteral("actions")))
                        return send(summary, body, {kOpenFolderAction, openLabel}, folder);
                    send(summary, body, {}, QString());
                });
    }

private:
    QDBusMessage call(const QString &method) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, method);
        message.setAutoStartService(false);
        return message;
    }
    void send(const QString &summary, const QString &body, const QStringList &actions, const QString &folder)
    {
        QDBusMessage message = call(QStringLiteral("Notify"));
        const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopId}};
        message << kApplicationTitle << 0u << kDesktopId << summary << body << actions << hints << -1;
        const QDBusPendingCall pending = m_bus.asyncCall(message);
        if (!actions.isEmpty())
            offer(pending, folder);
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
    QDBusConnection m_bus;
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
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    if (!m_actions)
        m_actions = std::make_unique<NotificationActions>(*this);
    m_actions->notify(summary, body, folder, tr("Open Folder"));
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
