// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Toolkit.h"

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

} // namespace qm
