// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "toolkit/Toolkit.h"

#include <QQueue>
#include <QVector>

#include <functional>

namespace qm {

// Toolkit for headless tests and benchmarks: records every box shown and answers from queues.
// With an empty queue a box answers OK (No for Yes/No), an input box and the dialogs cancel.
class ScriptedToolkit : public Toolkit
{
public:
    struct Shown
    {
        enum Kind { Message, Input, OpenFile, Folder };
        Kind kind = Message;
        QString title;
        QString text;      // message text or prompt
        int icon = 0;
        int buttons = 0;
        QString defaultText;
        QString details;   // a message box's details area
    };

    QQueue<int> msgAnswers;
    QQueue<QString> inputAnswers;
    QQueue<QStringList> openFileAnswers;
    QQueue<QString> folderAnswers;
    bool openFolderResult = true;

    QVector<Shown> shown;          // every box and dialog, in order
    QStringList openedFolders;     // folders handed to the file manager
    QStringList notifications;     // summary and body of each desktop notification
    QStringList notifiedFolders;   // the folder each notification offered to open ("" none)
    bool active = true;            // whether the window counts as the active one
    QVector<int> pointerHistory;   // every pointer shape set
    int doEventsCount = 0;

    // Runs inside every box (before it answers) and every yield; lets a test act "meanwhile".
    std::function<void(const Shown &)> onShow;
    std::function<void()> onDoEvents;

    QVector<Shown> messages() const;  // only the message boxes
    bool handCursorGiven = false; // the last pointer change came with a loaded hand cursor
    int currentPointer() const { return pointerHistory.isEmpty() ? vbDefault : pointerHistory.last(); }

    QStringList startFolders; // where each open-file dialog and folder chooser started
    QStringList openFileNames(const QString &title, const QString &filterName, const QString &pattern,
                              const QString &startFolder) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    bool openFolder(const QString &folder) override;
    void notify(const QString &summary, const QString &body, const QString &folder = QString()) override
    {
        notifications << summary + '\n' + body;
        notifiedFolders << folder;
    }
    bool ownerActive() const override { return active; }
    void doEvents() override;
    void setMousePointer(QWidget *window, int shape, const QCursor *custom) override;

protected:
    int showMessage(const QString &text, int buttons, int icon, const QString &title,
                    const QString &details) override;
    QString showInput(const QString &prompt, const QString &title,
                      const QString &defaultText) override;

private:
    void record(const Shown &s);
};

} // namespace qm
