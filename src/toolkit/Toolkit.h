// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <memory>

class QCursor;
class QWidget;

namespace qm {

// Message-box numbers as the program uses them.
enum MsgButtons { vbOKOnly = 0, vbYesNo = 4, vbOKOpenFolder = 0x10000 }; // the last: OK and "Open Folder"
enum MsgIcon { vbNoIcon = 0, vbCritical = 16, vbExclamation = 48 };
enum MsgResult { vbOK = 1, vbYes = 6, vbNo = 7, vbOpenFolder = 100 };

// Mouse pointer shapes of the main window.
enum MousePointer { vbDefault = 0, vbHourglass = 11, vbCustom = 99 };

extern const QString kApplicationTitle; // "Quillmere"

// The one door to every dialog, box, shell call and message-loop yield. Handlers never call a
// Qt dialog directly: whoever makes the context chooses how boxes are shown and answered.
class Toolkit
{
    Q_DECLARE_TR_FUNCTIONS(qm::Toolkit)

public:
    virtual ~Toolkit() = default;

    // Modal to the owner window; an empty title shows the application title. `details` go in an
    // area the user opens, scrolls and copies from. Returns vbOK, vbYes, vbNo or vbOpenFolder.
    int msgBox(const QString &text, int buttons = vbOKOnly, int icon = vbNoIcon,
               const QString &title = QString(), const QString &details = QString());
    // Returns the text typed, or "" when cancelled.
    QString inputBox(const QString &prompt, const QString &title = QString(),
                     const QString &defaultText = QString());

    // Open-file dialog with multiple choice; the chosen paths in the dialog's order, empty on
    // cancel. filterName/pattern: e.g. "Zip Files (*.zip)" / "*.zip".
    virtual QStringList openFileNames(const QString &title, const QString &filterName,
                                      const QString &pattern, const QString &startFolder) = 0;
    // Folder chooser starting at startFolder; "" on cancel.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // Opens a folder in the desktop's file manager; false when that failed. A file manager that
    // fails after it started is told in a box by the toolkit itself.
    virtual bool openFolder(const QString &folder) = 0;
    // The box that says a folder could not be opened.
    void folderNotOpened(const QString &folder);
    // A desktop notification (freedesktop, over D-Bus); silently none where no service runs.
    // With a folder, it offers to open it where the notification service takes actions.
    virtual void notify(const QString &summary, const QString &body, const QString &folder = QString()) = 0;
    // True while the owner window is the active one.
    virtual bool ownerActive() const = 0;
    // Lets the window process its pending events once.
    virtual void doEvents() = 0;
    // Shows pointer `shape` over `window`; `custom` is the loaded hand cursor (or null).
    virtual void setMousePointer(QWidget *window, int shape, const QCursor *custom) = 0;

    void setOwner(QWidget *owner) { m_owner = owner; }
    QWidget *owner() const { return m_owner; }

protected:
    virtual int showMessage(const QString &text, int buttons, int icon, const QString &title,
                            const QString &details) = 0;
    virtual QString showInput(const QString &prompt, const QString &title,
                              const QString &defaultText) = 0;

private:
    QWidget *m_owner = nullptr;
};

} // namespace qm
