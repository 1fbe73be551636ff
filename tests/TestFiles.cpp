// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include "common/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
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

TempHome::TempHome()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_DESKTOP_DIR", desktop().toLocal8Bit());
    QDir().mkpath(desktop());
    QDir().mkpath(appFolder());
}

QString TempHome::makeFile(const QString &relative, const QByteArray &content)
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
