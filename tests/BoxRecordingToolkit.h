// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "toolkit/QtToolkit.h"

#include <QStringList>

// The real toolkit with its boxes written down instead of shown, for tests of what it does
// itself (starting the file manager, answering a notification).
class BoxRecordingToolkit : public qm::QtToolkit
{
public:
    QStringList boxes;

protected:
    int showMessage(const QString &text, int, int, const QString &, const QString &) override
    {
        boxes << text;
        return qm::vbOK;
    }
};
