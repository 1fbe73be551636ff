// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "toolkit/Toolkit.h"

#include <QCoreApplication>
#include <QObject>

#include <memory>

namespace qm {

// The toolkit of the real window: Qt's message boxes, dialogs and event loop.
class QtToolkit : public Toolkit
{
    Q_DECLARE_TR_FUNCTIONS(qm::QtToolkit)

public:
    QtToolkit();
    ~QtToolkit() override;

    QStringList openFileNames(const QString &title, const QString &filterName,
                              const QString &pattern, const QString &startFolder) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    bool openFolder(const QString &folder) override;
    void notify(const QString &summary, const QString &body, const QString &folder = QString()) override;
    bool ownerActive() const override;
    void doEvents() override;
    void setMousePointer(QWidget *window, int shape, const QCursor *custom) override;

protected:
    int showMessage(const QString &text, int buttons, int icon, const QString &title,
                    const QString &details) override;
    QString showInput(const QString &prompt, const QString &title,
                      const QString &defaultText) override;

private:
    class NotificationActions;
    std::unique_ptr<NotificationActions> m_actions;
    QObject m_openers; // the file-manager launches not yet ended
};

} // namespace qm
