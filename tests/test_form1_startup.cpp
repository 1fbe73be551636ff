// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/FileListModel.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/Main.h"
#include "toolkit/Toolkit.h"

#include <QApplication>
#include <QDir>
#include <QExposeEvent>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTreeView>

using namespace qm;

namespace {

QString storedValue(const TestWorld &world, const QString &key)
{
    QSettings s(world.configFile(), QSettings::IniFormat);
    return s.value(QStringLiteral("Quillmere/") + key).toString();
}

bool storeHas(const TestWorld &world, const QString &key)
{
    QSettings s(world.configFile(), QSettings::IniFormat);
    return s.contains(QStringLiteral("Quillmere/") + key);
}

} // namespace

class Form1StartupTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyStoreGivesDefaultsAndWritesThemBack()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        QCOMPARE(world.toolkit().messages().size(), 0);
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmere"));
        QVERIFY(!form.windowIcon().pixmap(32, 32).isNull()); // a missing file still gives a non-null QIcon
        QCOMPARE(form.Text1->text(), world.desktop() + "/");
        QVERIFY(form.Option1->isChecked());
        QVERIFY(!form.Option2->isChecked());
        QCOMPARE(form.Text2->text(), QStringLiteral("20"));
        QCOMPARE(form.Text3->text(), QStringLiteral("5"));
        QVERIFY(form.Text2->isEnabled());
        QVERIFY(!form.Text3->isEnabled());
        QCOMPARE(form.fileList().columnTitle(), QStringLiteral("Zip File(s)"));
        QCOMPARE(form.fileList().count(), 0);
        QCOMPARE(storedValue(world, "Output Directory"), world.desktop() + "/");
        QCOMPARE(storedValue(world, "Text2"), QStringLiteral("20"));
        QCOMPARE(storedValue(world, "Text3"), QStringLiteral("5"));
        QVERIFY(!storeHas(world, "Option1")); // no option changed state
    }

    void prefilledStoreIsRestored()
    {
        TestWorld world;
        world.writeConfig("[Quillmere]\nOutput%20Directory=/srv/parts\nOption1=False\nOption2=True\n"
                          "Text2=7\nText3=3\n");
        Form1 form(world.context());
        form.Form_Load();
        QCOMPARE(world.toolkit().messages().size(), 0);
        QCOMPARE(form.Text1->text(), QStringLiteral("/srv/parts"));
        QVERIFY(!form.Option1->isChecked());
        QVERIFY(form.Option2->isChecked());
        QVERIFY(!form.Text2->isEnabled());
        QVERIFY(form.Text3->isEnabled());
        QCOMPARE(form.Text2->text(), QStringLiteral("7"));
        QCOMPARE(form.Text3->text(), QStringLiteral("3"));
        QCOMPARE(storedValue(world, "Option1"), QStringLiteral("False"));
        QCOMPARE(storedValue(world, "Option2"), QStringLiteral("True"));
    }

    void bothOptionsFalseSelectsNeither()
    {
        TestWorld world;
        world.writeConfig("[Quillmere]\nOption1=false\nOption2=0\n");
        Form1 form(world.context());
        form.Form_Load();
        QVERIFY(!form.Option1->isChecked());
        QVERIFY(!form.Option2->isChecked());
        QVERIFY(!form.partsSelected());
    }

    void badBooleanIsReportedAtItsLineAndStartupGoesOn_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("option1");
        QTest::newRow("Option1") << QByteArray("[Quillmere]\nOption1=maybe\nText2=9\n") << 134 << true;
        QTest::newRow("Option2") << QByteArray("[Quillmere]\nOption2=sometimes\nText2=9\n") << 136 << true;
    }
    void badBooleanIsReportedAtItsLineAndStartupGoesOn()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, line);
        QFETCH(bool, option1);
        TestWorld world;
        world.writeConfig(ini);
        Form1 form(world.context());
        form.Form_Load();
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(boxes[0].text, QStringLiteral("Type mismatch\r\nin Tarnwell6/20/2015.Form1.Form_Load at line %1\r\r"
                                               "Please email screenshot of this message to support@quillmere.example")
                                    .arg(line));
        QCOMPARE(form.Option1->isChecked(), option1);
        QCOMPARE(form.Text2->text(), QStringLiteral("9")); // later steps still ran
        QVERIFY(form.Text2->isEnabled());
    }

    void cursorFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty = no file
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("hand");
        QTest::newRow("absent") << QByteArray() << 0 << false;
        QTest::newRow("not a cursor") << QByteArray("this is not an image") << 1 << false;
    }
    void cursorFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, reports);
        QFETCH(bool, hand);
        TestWorld world;
        if (!content.isEmpty())
            world.makeFile("app/HAND-M.CUR", content);
        Form1 form(world.context());
        form.Form_Load();
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), reports);
        if (reports)
            QVERIFY(boxes[0].text.contains("Form1.Form_Load at line 108\r\r"));
        form.pointerMovedOver(form.PushButton1);
        QCOMPARE(world.toolkit().handCursorGiven, hand);
        QCOMPARE(form.fileList().columnTitle(), QStringLiteral("Zip File(s)")); // went on with 128
    }

    void desktopFolder_data()
    {
        QTest::addColumn<QString>("desktop"); // "" = none; otherwise made under the home folder
        QTest::addColumn<bool>("home");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text1");   // "<home>" stands for the home folder
        QTest::newRow("named by user-dirs") << "Schreibtisch" << true << QByteArray() << "<home>/Schreibtisch/";
        QTest::newRow("none: the home folder") << "" << true << QByteArray() << "<home>/";
        QTest::newRow("neither: reported at 132") << "" << false << QByteArray() << "";
        QTest::newRow("neither, but stored") << "" << false << QByteArray("/srv/out") << "/srv/out";
    }
    void desktopFolder()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, home);
        QFETCH(QByteArray, stored);
        QFETCH(QString, text1);
        TestWorld world;
        QDir(world.desktop()).removeRecursively();
        if (!desktop.isEmpty()) {
            QDir().mkpath(world.home() + "/" + desktop);
            world.makeFile("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/" + desktop.toUtf8() + "\"\n");
        }
        if (!stored.isEmpty())
            world.writeConfig("[Quillmere]\nOutput%20Directory=" + stored + "\n");
        if (!home)
            qputenv("HOME", QFile::encodeName(world.home() + "/gone"));
        Form1 form(world.context());
        form.Form_Load();
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), text1.isEmpty() ? 1 : 0);
        if (!boxes.isEmpty())
            QVERIFY(boxes[0].text.startsWith("Invalid procedure call or argument\r\n")
                    && boxes[0].text.contains("at line 132\r\r"));
        QCOMPARE(form.Text1->text(), text1.replace("<home>", world.home()));
        QCOMPARE(form.Text2->text(), QStringLiteral("20"));
    }

    void centredOnTheFrame_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("title bar counted") << QRect(0, 0, 1920, 1080) << QSize(540, 545) << QPoint(690, 267);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QSize(536, 509) << QPoint(2292, 257);
        QTest::newRow("larger than the screen") << QRect(0, 0, 500, 400) << QSize(601, 509) << QPoint(-50, -54);
    }
    void centredOnTheFrame()
    {
        QFETCH(QRect, screen);
        QFETCH(QSize, frame);
        QFETCH(QPoint, topLeft);
        QCOMPARE(CentredTopLeft(screen, frame), topLeft);
    }

    // Centred again once shown, when the frame is known; later exposes leave the place alone.
    void centredOnceShown()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.move(0, 0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QTRY_COMPARE(form.frameGeometry().topLeft(), CentredTopLeft(screen, form.frameGeometry().size()));
        form.move(3, 4);
        QExposeEvent uncovered(QRegion(form.rect()));
        QCoreApplication::sendEvent(form.windowHandle(), &uncovered);
        QCOMPARE(form.pos(), QPoint(3, 4));
    }

    void garbageStoreKeepsWhatCanBeRead()
    {
        TestWorld world;
        static const char raw[] = "\x00\x01\xff\xfe[[[==\n[Quillmere]\nText3=8\n\x7f\x80 junk ===\n";
        const QByteArray garbage(raw, sizeof raw - 1);
        world.writeConfig(garbage);
        Form1 form(world.context());
        form.Form_Load();
        QCOMPARE(form.Text3->text(), QStringLiteral("8"));
        QCOMPARE(form.Text2->text(), QStringLiteral("20"));
        form.Text2->setText(QStringLiteral("11"));
        QCOMPARE(storedValue(world, "Text3"), QStringLiteral("8"));
        QCOMPARE(storedValue(world, "Text2"), QStringLiteral("11"));
    }

    void unreadableStoreIsNeverOverwritten()
    {
        TestWorld world;
        world.writeConfig("[Quillmere]\nText2=33\n");
        QFile::setPermissions(world.configFile(), QFileDevice::WriteOwner);
        if (QFile(world.configFile()).open(QIODevice::ReadOnly))
            QM_SKIP_UNLESS_CI("running with permissions that read any file");
        {
            Form1 form(world.context());
            form.Form_Load();
            QCOMPARE(form.Text2->text(), QStringLiteral("20"));
            form.Text2->setText(QStringLiteral("12"));
            QCOMPARE(world.context().settings.read("Text2", "x"), QStringLiteral("12")); // kept for the session
        }
        QFile::setPermissions(world.configFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(storedValue(world, "Text2"), QStringLiteral("33"));
    }

    void optionClicksStoreAndEnable()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.Option2->click();
        QVERIFY(!form.Text2->isEnabled());
        QVERIFY(form.Text3->isEnabled());
        QCOMPARE(storedValue(world, "Option1"), QStringLiteral("False"));
        QCOMPARE(storedValue(world, "Option2"), QStringLiteral("True"));
        form.Option1->click();
        QVERIFY(form.Text2->isEnabled());
        QVERIFY(!form.Text3->isEnabled());
        QCOMPARE(storedValue(world, "Option1"), QStringLiteral("True"));
        QCOMPARE(storedValue(world, "Option2"), QStringLiteral("False"));
    }

    void sizeValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("message");
        QTest::newRow("3000") << "3000" << "2047" << true;
        QTest::newRow("2047.4") << "2047.4" << "2047.4" << false;
        QTest::newRow("2047.5") << "2047.5" << "2047" << true;
        QTest::newRow("zero passes") << "0" << "0" << false;
        QTest::newRow("negative passes") << "-4" << "-4" << false;
        QTest::newRow("text kept") << "abc" << "abc" << false;
        QTest::newRow("beyond 32 bits") << " 3000000000 " << "2047" << true;
        QTest::newRow("40 digits") << QString(40, QLatin1Char('9')) << "2047" << true;
        QTest::newRow("negative beyond 32 bits passes") << "-3000000000" << "-3000000000" << false;
        QTest::newRow("exponent is text") << "1e30" << "1e30" << false;
    }
    void sizeValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(bool, message);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.Text2->setText(typed);
        QCOMPARE(storedValue(world, "Text2"), typed); // saved before validation
        form.Text2_Validate();
        QCOMPARE(form.Text2->text(), after);
        QCOMPARE(storedValue(world, "Text2"), after);
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(boxes[0].text, QStringLiteral("Max split size is 2047 MB"));
            QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
            QCOMPARE(boxes[0].icon, 0);
        }
    }

    void partsValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("0") << "0" << "1";
        QTest::newRow("0.4") << "0.4" << "1";
        QTest::newRow("-3") << "-3" << "-3";
        QTest::newRow("out of range kept") << "99999" << "99999";
        QTest::newRow("text kept") << "x" << "x";
    }
    void partsValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.Text3->setText(typed);
        form.Text3_Validate();
        QCOMPARE(form.Text3->text(), after);
        QCOMPARE(storedValue(world, "Text3"), after);
        QCOMPARE(world.toolkit().messages().size(), 0);
    }

    void validationRunsWhenFocusMovesOn()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        form.Text2->setFocus(Qt::OtherFocusReason);
        form.Text2->setText(QStringLiteral("5000"));
        form.Text1->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(form.Text2->text(), QStringLiteral("2047"));
    }

    void helpBoxText()
    {
        TestWorld world;
        Form1 form(world.context());
        form.PushButton7->click();
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
        QCOMPARE(boxes[0].icon, 0);
        QCOMPARE(boxes[0].buttons, 0);
        QCOMPARE(boxes[0].text,
                 QStringLiteral("Max split size is 2047 MB.\r\n\r\nResulting sizes and amounts of files  may vary.\r\n\r\n"
                                "Min split size has to be more than largest of files in archive (it will be "
                                "calculated automatically).\r\n\r\nIf split size is more than size of source "
                                "file then one file will be created."));
    }

    void typingOutputFolderStoresEveryChange()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.Text1->setText(QStringLiteral("/tmp/a"));
        QCOMPARE(storedValue(world, "Output Directory"), QStringLiteral("/tmp/a"));
        form.Text1->clear();
        QVERIFY(storeHas(world, "Output Directory"));
        QCOMPARE(storedValue(world, "Output Directory"), QString());
    }

    void cursorRuleKeepsTheHourglass()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.pointerMovedOver(form.PushButton1);
        QCOMPARE(form.MousePointer(), int(vbCustom));
        form.pointerMovedOver(form.ListView1);
        QCOMPARE(form.MousePointer(), int(vbDefault));
        form.setMousePointer(vbHourglass);
        for (QWidget *w : {static_cast<QWidget *>(form.PushButton2), static_cast<QWidget *>(form.ListView1),
                           static_cast<QWidget *>(form.Frame1), static_cast<QWidget *>(&form)}) {
            form.pointerMovedOver(w);
            QCOMPARE(form.MousePointer(), int(vbHourglass));
        }
        QCOMPARE(world.toolkit().currentPointer(), int(vbHourglass));
    }

    void keyboardOrderFollowsTheLayout()
    {
        TestWorld world;
        Form1 form(world.context());
        const QStringList expected{"PushButton7", "ListView1", "PushButton1", "PushButton4", "PushButton5",
                                   "PushButton6", "Text1", "PushButton3", "PushButton2", "Option1",
                                   "Text2", "Option2", "Text3"};
        QStringList order;
        QWidget *w = form.PushButton7;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().startsWith("qt_"))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.PushButton7 && order.size() < 50);
        QCOMPARE(order, expected);
    }

    void layoutKeepsDesignPositionsAndShowsSplitOption()
    {
        TestWorld world;
        Form1 form(world.context());
        QCOMPARE(form.PushButton2->geometry(), QRect(8, 326, 520, 27));
        QCOMPARE(form.Text1->parentWidget(), static_cast<QWidget *>(form.Frame1));
        QCOMPARE(form.Frame2->geometry().top(), 420);
        QVERIFY(form.Frame2->geometry().bottom() < form.height());
        QCOMPARE(form.Text2->accessibleName(), QString(form.Option1->text()).remove('&'));
        QCOMPARE(form.Text3->accessibleName(), QString(form.Option2->text()).remove('&'));
        QCOMPARE(form.Text1->accessibleName(), QStringLiteral("Split To This Folder"));
    }
};

QTEST_MAIN(Form1StartupTest)
#include "test_form1_startup.moc"
