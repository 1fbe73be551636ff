// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/Form1.h"
#include "app/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

TestWorld::~TestWorld() = default;

qm::Context &TestWorld::context()
{
    if (!m_settings)
        m_settings.emplace(configFile());
    if (!m_context)
        // Every walk turn is real, so tests can act "meanwhile" at a known point.
        m_context.emplace(qm::Context{m_toolkit, *m_settings, appFolder(), QString(), 0});
    return *m_context;
}

QString TestWorld::configFile() const
{
    return m_home.home() + QStringLiteral("/config/Veltrane/Quillmere.conf");
}

void TestWorld::writeConfig(const QByteArray &ini)
{
    const QString path = configFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(ini);
    f.close();
    if (m_settings)
        m_settings.emplace(path); // reopened in place: contexts handed out keep working
}

QStringList rows(qm::Form1 &form)
{
    QStringList out;
    for (int i = 1; i <= form.rowCount(); ++i)
        out << form.rowText(i);
    return out;
}

void startSplittingAndWait(qm::Form1 &form, const std::function<void()> &eachTurn)
{
    form.PushButton2_Click();
    QElapsedTimer clock;
    clock.start();
    while (form.isRunning() && clock.elapsed() < 300000) {
        if (eachTurn)
            eachTurn();
        QTimer wakeUp; // the next turn comes with the next event, or within 20 ms
        wakeUp.start(20);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
