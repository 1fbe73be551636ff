// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedToolkit.h"

#include <QCoreApplication>
#include <QTimer>

namespace qm {

void ScriptedToolkit::record(const Shown &s)
{
    shown.append(s);
    if (onShow)
        onShow(s);
}

QVector<ScriptedToolkit::Shown> ScriptedToolkit::messages() const
{
    QVector<Shown> out;
    for (const Shown &s : shown)
        if (s.kind == Shown::Message)
            out.append(s);
    return out;
}

int ScriptedToolkit::showMessage(const QString &text, int buttons, int icon, const QString &title,
                                 const QString &details)
{
    record({Shown::Message, title, text, icon, buttons, {}, details});
    if (!msgAnswers.isEmpty())
        return msgAnswers.dequeue();
    return buttons == vbYesNo ? vbNo : vbOK;
}

QString ScriptedToolkit::showInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    record({Shown::Input, title, prompt, 0, 0, defaultText, {}});
    return inputAnswers.isEmpty() ? QString(QLatin1String("")) : inputAnswers.dequeue();
}

QStringList ScriptedToolkit::openFileNames(const QString &title, const QString &filterName, const QString &pattern,
                                           const QString &startFolder)
{
    startFolders << startFolder;
    record({Shown::OpenFile, title, filterName + QLatin1Char('|') + pattern, 0, 0, {}, {}});
    return openFileAnswers.isEmpty() ? QStringList() : openFileAnswers.dequeue();
}

QString ScriptedToolkit::chooseFolder(const QString &title, const QString &startFolder)
{
    startFolders << startFolder;
    record({Shown::Folder, title, {}, 0, 0, {}, {}});
    return folderAnswers.isEmpty() ? QString(QLatin1String("")) : folderAnswers.dequeue();
}

bool ScriptedToolkit::openFolder(const QString &folder)
{
    openedFolders.append(folder);
    return openFolderResult;
}

void ScriptedToolkit::doEvents()
{
    ++doEventsCount;
    if (onDoEvents)
        onDoEvents();
    QCoreApplication::processEvents();
}

void ScriptedToolkit::setMousePointer(QWidget *, int shape, const QCursor *custom)
{
    pointerHistory.append(shape);
    handCursorGiven = custom != nullptr;
}

} // namespace qm
