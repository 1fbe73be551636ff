// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every test may use, whatever layer it tests: links Qt Core and the common helpers only.

#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <ctime>

class QTranslator;

// A case this process cannot show (root reads any file): skipped on a developer's machine, a
// failure in CI, which runs such tests as an ordinary user (tests/as_user.sh) and must run them.
#define QM_SKIP_UNLESS_CI(reason)                                                                  \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            QFAIL("skipped in CI: " reason);                                                       \
        QSKIP(reason);                                                                             \
    } while (false)

// The program's catalogues installed as its start-up installs them under LANG=`lang`, taken out
// again when the object goes, so later tests see English.
class TranslationsForTest
{
public:
    explicit TranslationsForTest(const QString &lang);
    ~TranslationsForTest();

private:
    QList<QPointer<QTranslator>> m_installed;
};

// A temporary home for one test: HOME, the XDG folders and the desktop point into it.
class TempHome
{
public:
    TempHome();

    QString home() const { return m_home.path(); }
    QString appFolder() const { return m_home.path() + QStringLiteral("/app"); }
    QString desktop() const { return m_home.path() + QStringLiteral("/Desktop"); }
    // Creates a file (and its folders) under home(); returns its full path.
    QString makeFile(const QString &relative, const QByteArray &content = QByteArray());

private:
    QTemporaryDir m_home;
};

// The ZIP of the listed name=content pairs, built with Info-ZIP zip; returns the archive path.
QString makeZip(const QString &archive, const QList<QPair<QString, QByteArray>> &entries,
                const QStringList &zipOptions = {});

// TZ set to a zone for the object's lifetime.
struct ZoneForTest {
    explicit ZoneForTest(const char *zone) : had(qEnvironmentVariableIsSet("TZ")), before(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~ZoneForTest()
    {
        if (had)
            qputenv("TZ", before);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    const bool had;
    const QByteArray before;
};
