// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop notification at the end of a run, against a stand-in notification service on a
// private session bus: the installed icon, and "Open Folder" offered and acted on only where the
// service takes actions, and a box where the folder cannot be opened.
#include "BoxRecordingToolkit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QSignalSpy>
#include <QTest>

using namespace qm;

namespace {

// What a notification server does, as far as the program uses it.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList capabilities;
    QString icon;
    QStringList actions;
    QVariantMap hints;
    QString body;
    int answerAfterMs = 0;

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        QThread::msleep(ulong(answerAfterMs));
        return capabilities;
    }
    uint Notify(const QString &, uint, const QString &appIcon, const QString &, const QString &text,
                const QStringList &offered, const QVariantMap &given, int)
    {
        icon = appIcon;
        actions = offered;
        hints = given;
        body = text;
        Q_EMIT notified();
        return 7;
    }

Q_SIGNALS:
    void notified();
};

// The real toolkit, but the file manager is not started: the folder asked for is kept, and so
// are the boxes.
class RecordingToolkit : public BoxRecordingToolkit
{
public:
    QStringList opened;
    bool opens = true;
    bool openFolder(const QString &folder) override
    {
        opened << folder;
        return opens;
    }
};

} // namespace

class NotificationsTest : public QObject
{
    Q_OBJECT
    QProcess m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        // A bus of the test's own, before anything asks for the session bus.
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!m_bus.waitForStarted(5000))
            QSKIP("dbus-daemon is missing: run scripts/setup-deps.sh");
        QVERIFY(m_bus.waitForReadyRead(5000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void openFolderIsOfferedWhereActionsAre_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("answerAfterMs");
        QTest::newRow("actions") << QStringList{"body", "actions"} << "/home/anna/out" << true << true << 0;
        QTest::newRow("actions, no file manager") << QStringList{"body", "actions"} << "/home/anna/out" << true << false << 0;
        QTest::newRow("no actions") << QStringList{"body"} << "/home/anna/out" << false << true << 0;
        QTest::newRow("no folder") << QStringList{"body", "actions"} << "" << false << true << 0;
        QTest::newRow("slow service") << QStringList{"body", "actions"} << "/home/anna/out" << true << true << 1500;
    }
    void openFolderIsOfferedWhereActionsAre()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, folder);
        QFETCH(bool, offered);
        QFETCH(bool, opens);
        QFETCH(int, answerAfterMs);
        // The service on a connection and a thread of its own, as a real server is another
        // process: a toolkit that waited for its answers would hold the window meanwhile.
        const QString name = QTest::currentDataTag();
        QDBusConnection server = QDBusConnection::connectToBus(qgetenv("DBUS_SESSION_BUS_ADDRESS"), name);
        QThread thread;
        NotificationService service;
        service.capabilities = capabilities;
        service.answerAfterMs = answerAfterMs;
        service.moveToThread(&thread);
        thread.start();
        const auto stop = qScopeGuard([&] {
            server.unregisterService("org.freedesktop.Notifications");
            QDBusConnection::disconnectFromBus(name);
            thread.quit();
            thread.wait();
        });
        QVERIFY(server.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
        QVERIFY(server.registerService("org.freedesktop.Notifications"));

        RecordingToolkit toolkit;
        toolkit.opens = opens;
        QSignalSpy notified(&service, &NotificationService::notified);
        QElapsedTimer clock;
        clock.start();
        toolkit.notify("Done.", "Split 2 archives into 5 parts in /home/anna/out.", folder);
        QVERIFY(clock.elapsed() < 500);
        QVERIFY(notified.count() == 1 || notified.wait(5000));
        QCOMPARE(service.icon, QStringLiteral("example.quillmere.Quillmere"));
        QCOMPARE(service.hints.value("desktop-entry").toString(), QStringLiteral("example.quillmere.Quillmere"));
        QCOMPARE(service.body, QStringLiteral("Split 2 archives into 5 parts in /home/anna/out."));
        const QStringList openFolder{"open-folder", "Open Folder"};
        QCOMPARE(service.actions, offered ? openFolder : QStringList());

        // The user clicks the action; another notification's action and another action do nothing.
        QTest::qWait(100); // the toolkit learns the notification's id from the reply
        for (const auto &[id, action] : {std::pair<uint, QString>{8, "open-folder"}, {7, "default"}, {7, "open-folder"}}) {
            QDBusMessage click = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                            "org.freedesktop.Notifications", "ActionInvoked");
            click << id << action;
            server.send(click);
        }
        const QStringList opened = offered ? QStringList{folder} : QStringList();
        QTRY_COMPARE_WITH_TIMEOUT(toolkit.opened, opened, 2000);
        QTest::qWait(100);
        QCOMPARE(toolkit.opened, opened);
        const QStringList said{"The folder /home/anna/out could not be opened."};
        QCOMPARE(toolkit.boxes, offered && !opens ? said : QStringList());
    }
};

QTEST_GUILESS_MAIN(NotificationsTest)
#include "test_notifications.moc"
