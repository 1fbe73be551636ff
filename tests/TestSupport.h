// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScriptedToolkit.h"
#include "app/Settings.h"
#include "common/Context.h"

#include <QList>
#include <QPointer>
#include <QTemporaryDir>

#include <ctime>

#include <functional>

#include <memory>
#include <optional>

class QTranslator;

// A case this process cannot show (root reads any file): skipped on a developer's machine, a
// failure in CI, which runs such tests as an ordinary user (tests/as_user.sh) and must run them.
#define QM_SKIP_UNLESS_CI(reason)                                                                  \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            QFAIL("skipped in CI: " reason);                                                       \
        QSKIP(reason);                                                                             \
    } while (false)

namespace qm {
class Form1;
}

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

// A clean world for one test: scripted toolkit, settings store and desktop in a temporary home,
// application folder pointed at a temporary folder, all handed to the program as its context.
// Everything is undone on destruction.
class TestWorld
{
public:
    TestWorld();
    ~TestWorld();

    qm::ScriptedToolkit &toolkit() { return m_toolkit; }
    // The context the program's parts get; the settings store opens on first use.
    qm::Context &context();
    QString home() const { return m_home.path(); }
    QString appFolder() const { return m_home.path() + QStringLiteral("/app"); }
    QString desktop() const { return m_home.path() + QStringLiteral("/Desktop"); }
    QString configFile() const;
    // Writes raw text into the settings file before the store is opened.
    void writeConfig(const QByteArray &ini);
    // Creates a file (and its folders) under home(); returns its full path.
    QString makeFile(const QString &relative, const QByteArray &content = QByteArray());

private:
    TranslationsForTest m_english{QStringLiteral("C")}; // counts read "1 part", as in the program
    QTemporaryDir m_home;
    qm::ScriptedToolkit m_toolkit;
    std::optional<qm::SettingsStore> m_settings;
    std::optional<qm::Context> m_context;
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

// The list's rows, top to bottom.
QStringList rows(qm::Form1 &form);

// Start Splitting, then the event loop runs (calling eachTurn, when given, on every turn) until
// the run has ended and its box was shown, as a user waits for it.
void startSplittingAndWait(qm::Form1 &form, const std::function<void()> &eachTurn = {});
