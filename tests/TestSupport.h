// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScriptedToolkit.h"
#include "TestFiles.h"
#include "app/Context.h"
#include "app/Settings.h"

#include <functional>
#include <memory>
#include <optional>

namespace qm {
class Form1;
}

// A clean world for one test: scripted toolkit, settings store and desktop in a temporary home,
// application folder pointed at a temporary folder, all handed to the program as its context.
// Everything is undone on destruction.
class TestWorld
{
public:
    TestWorld() = default;
    ~TestWorld();

    qm::ScriptedToolkit &toolkit() { return m_toolkit; }
    // The context the program's parts get; the settings store opens on first use.
    qm::Context &context();
    QString home() const { return m_home.home(); }
    QString appFolder() const { return m_home.appFolder(); }
    QString desktop() const { return m_home.desktop(); }
    QString configFile() const;
    // Writes raw text into the settings file before the store is opened.
    void writeConfig(const QByteArray &ini);
    QString makeFile(const QString &relative, const QByteArray &content = QByteArray())
    {
        return m_home.makeFile(relative, content);
    }

private:
    TranslationsForTest m_english{QStringLiteral("C")}; // counts read "1 part", as in the program
    TempHome m_home;
    qm::ScriptedToolkit m_toolkit;
    std::optional<qm::SettingsStore> m_settings;
    std::optional<qm::Context> m_context;
};

// The list's rows, top to bottom.
QStringList rows(qm::Form1 &form);

// Start Splitting, then the event loop runs (calling eachTurn, when given, on every turn) until
// the run has ended and its box was shown, as a user waits for it.
void startSplittingAndWait(qm::Form1 &form, const std::function<void()> &eachTurn = {});
