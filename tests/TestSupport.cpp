// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/Form1.h"
#include "app/Settings.h"
#include "common/Main.h"
#include "common/Translations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTranslator>

TranslationsForTest::TranslationsForTest(const QString &lang)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("LANG"), lang);
    for (QTranslator *translator : qm::InstallTranslations(*app, qm::LanguagesFromEnvironment(environment)))
        m_installed << translator;
}

TranslationsForTest::~TranslationsForTest()
{
    for (const QPointer<QTranslator> &translator : std::as_const(m_installed))
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            translator->deleteLater();
        }
}

TestWorld::TestWorld()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_DESKTOP_DIR", desktop().toLocal8Bit());
    QDir().mkpath(desktop());
    QDir().mkpath(appFolder());
}

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
    return m_home.path() + QStringLiteral("/config/Veltrane/Quillmere.conf");
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

QString TestWorld::makeFile(const QString &relative, const QByteArray &content)
{
    const QString path = m_home.path() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

QString makeZip(const QString &archive, const QList<QPair<QString, QByteArray>> &entries,
                const QStringList &zipOptions)
{
    QTemporaryDir staging;
    QStringList names;
    for (const auto &entry : entries) {
        const QString path = staging.path() + QLatin1Char('/') + entry.first;
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!entry.first.endsWith(QLatin1Char('/'))) {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(entry.second);
        }
        names << entry.first;
    }
    QFile::remove(archive);
    QProcess zip;
    zip.setWorkingDirectory(staging.path());
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), QStringLiteral("-D")} + zipOptions
                                         + QStringList{QFileInfo(archive).absoluteFilePath()} + names);
    zip.waitForFinished(60000);
    return archive;
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
