// SPDX-License-Identifier: GPL-3.0-or-later
// The window by keyboard alone: Return on a focused button, F1 for Help, Escape out of the last box.
#include "TestSupport.h"

#include "app/Form1.h"
#include "toolkit/QtToolkit.h"
#include "toolkit/Toolkit.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace qm;

class KeyboardTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void returnOnAFocusedButtonAndF1PressIt_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("onTheButton"); // else the key goes to the window
        QTest::newRow("Return on Help") << int(Qt::Key_Return) << true;
        QTest::newRow("Enter on Help") << int(Qt::Key_Enter) << true;
        QTest::newRow("F1 anywhere") << int(Qt::Key_F1) << false;
    }
    void returnOnAFocusedButtonAndF1PressIt()
    {
        QFETCH(int, key);
        QFETCH(bool, onTheButton);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget *focused = onTheButton ? static_cast<QWidget *>(form.PushButton7) : static_cast<QWidget *>(form.Text1);
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key(key));
        QCOMPARE(world.toolkit().messages().size(), 1); // the help box
        QVERIFY(world.toolkit().messages()[0].text.contains("2047"));
    }

    void escapeClosesTheLastBox()
    {
        QtToolkit toolkit;
        bool closedByEscape = false;
        QTimer::singleShot(0, [&closedByEscape] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            QTest::keyClick(box, Qt::Key_Escape);
            closedByEscape = !box->isVisible();
            if (!closedByEscape) // else the test would wait for ever
                box->button(QMessageBox::Ok)->click();
        });
        const int answer = toolkit.msgBox("Done.\n\nSplit 1 archive into 2 parts in /tmp.", vbOKOpenFolder);
        QVERIFY(closedByEscape);
        QCOMPARE(answer, int(vbOK));
    }
};

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
