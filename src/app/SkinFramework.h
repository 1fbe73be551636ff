// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace qm {

// Stands in for the skin component: a Qt style sheet file loaded, switched on and applied to a
// window, with the component's call order kept (load, option bit, two switches, apply).
class SkinFramework
{
public:
    // Member 2: loads the style sheet; throws when the file cannot be read.
    void LoadSkin(const QString &path, const QString &ini);
    // Property 1: option bits.
    int ApplyOptions() const { return m_options; }
    void SetApplyOptions(int options) { m_options = options; }
    // Properties 5 and 10: the two switches.
    void SetApplyToDialogs(bool on) { m_dialogs = on; }
    void SetAutoApplyNewWindows(bool on) { m_newWindows = on; }
    // Member 3: applies the loaded sheet to the window.
    void ApplyWindow(QWidget *window);

    bool isLoaded() const { return m_loaded; }
    const QString &styleSheet() const { return m_styleSheet; }

private:
    QString m_styleSheet;
    bool m_loaded = false;
    int m_options = 0;
    bool m_dialogs = false;
    bool m_newWindows = false;
};

} // namespace qm
