// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/Toolkit.h"

#include "common/Paths.h"

namespace qm {

const QString kApplicationTitle = QStringLiteral("Quillmere");

int Toolkit::msgBox(const QString &text, int buttons, int icon, const QString &title, const QString &details)
{
    return showMessage(text, buttons, icon, title.isEmpty() ? kApplicationTitle : title, details);
}

QString Toolkit::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    return showInput(prompt, title.isEmpty() ? kApplicationTitle : title, defaultText);
}

void Toolkit::folderNotOpened(const QString &folder)
{
    msgBox(tr("The folder %1 could not be opened.").arg(paths::shown(folder)), vbOKOnly, vbExclamation);
}

} // namespace qm
