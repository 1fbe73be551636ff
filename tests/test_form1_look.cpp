// SPDX-License-Identifier: GPL-3.0-or-later
// How the window looks: the skin, its colours as drawn under light and dark themes, captions
// readable in every theme, the layout at any size.
#include "TestSupport.h"

#include "app/Form1.h"
#include "toolkit/Toolkit.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include <algorithm>

using namespace qm;

namespace {

// The application palette for the object's lifetime; later tests get the one before back.
struct PaletteForTest {
    explicit PaletteForTest(const QPalette &theme) { QApplication::setPalette(theme); }
    ~PaletteForTest() { QApplication::setPalette(before); }
    const QPalette before = QApplication::palette();
};

// The colour most of the area is painted in: its background, whatever text or lines it holds.
QColor commonestColour(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    return QColor(std::max_element(counts.cbegin(), counts.cend()).key());
}

} // namespace

class Form1LookTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unreadableSkinIsReportedAt100()
    {
        TestWorld world;
        world.makeFile("app/x/o.cjs", "QWidget { }");
        QFile::setPermissions(world.appFolder() + "/x/o.cjs", QFileDevice::WriteOwner);
        if (QFile(world.appFolder() + "/x/o.cjs").open(QIODevice::ReadOnly))
            QM_SKIP_UNLESS_CI("running with permissions that read any file");
        Form1 form(world.context());
        form.Form_Load();
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.contains("at line 100\r\r"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmere"));
    }

    // A sheet with rules is applied; one of comments alone changes nothing and is not set, as
    // setting it would put the window through the style-sheet engine for nothing.
    void readableSkinIsApplied_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QString>("applied");
        QTest::newRow("rules") << QByteArray("QPushButton { font-weight: bold; }")
                               << "QPushButton { font-weight: bold; }";
        QTest::newRow("comments alone") << QByteArray("/* a\n skin */ \n/**/") << "";
    }
    void readableSkinIsApplied()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QString, applied);
        TestWorld world;
        world.makeFile("app/x/o.cjs", sheet);
        Form1 form(world.context());
        form.Form_Load();
        QCOMPARE(world.toolkit().messages().size(), 0);
        QCOMPARE(form.styleSheet(), applied);
    }

    // With the shipped skin the window and the split option's frame and buttons take the theme's
    // button face and text; without a skin the frame stays white. The buttons' captions paint no
    // block of their own over the frame.
    void skinPaintsTheButtonFace_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("face");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<bool>("skin");
        QTest::newRow("light") << QColor(239, 239, 239) << QColor(225, 225, 228) << QColor(Qt::black) << true;
        QTest::newRow("dark") << QColor(53, 53, 53) << QColor(66, 66, 69) << QColor(238, 238, 238) << true;
        QTest::newRow("dark, no skin") << QColor(53, 53, 53) << QColor(66, 66, 69) << QColor(238, 238, 238) << false;
    }
    void skinPaintsTheButtonFace()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, face);
        QFETCH(QColor, text);
        QFETCH(bool, skin);
        QPalette theme = QApplication::palette();
        theme.setColor(QPalette::Window, window);
        theme.setColor(QPalette::Button, face);
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            theme.setColor(role, text);
        const PaletteForTest themed(theme);
        TestWorld world;
        if (skin) {
            QFile shipped(QStringLiteral(QUILLMERE_SOURCE_DIR "/resources/x/o.cjs"));
            QVERIFY(shipped.open(QIODevice::ReadOnly));
            world.makeFile("app/x/o.cjs", shipped.readAll());
        }
        Form1 form(world.context());
        form.Form_Load();
        QCOMPARE(world.toolkit().messages().size(), 0);
        const QImage shot = form.grab().toImage();
        QCOMPARE(shot.pixelColor(3, 3), skin ? face : window); // beside the top button
        const QPoint frame = form.Frame2->mapTo(&form, QPoint(0, 0));
        QCOMPARE(shot.pixelColor(frame + QPoint(form.Frame2->width() - 3, 3)), skin ? face : QColor(Qt::white));
        // The options' captions show the frame's inside: here the strip between them.
        const QRect between(form.Option1->mapTo(&form, QPoint(0, form.Option1->height())),
                            form.Option2->mapTo(&form, QPoint(form.Option2->width() - 1, -1)));
        const QColor inside = commonestColour(shot, between);
        for (QWidget *w : {static_cast<QWidget *>(form.Frame2), static_cast<QWidget *>(form.Option1),
                           static_cast<QWidget *>(form.Option2)}) {
            if (w != form.Frame2)
                QCOMPARE(commonestColour(shot, QRect(w->mapTo(&form, QPoint(0, 0)), w->size())), inside);
            QCOMPARE(w->palette().color(w->foregroundRole()), skin ? text : QColor(Qt::black));
        }
    }

    // Every caption stays readable on its background under a light and a dark theme.
    void captionsReadableInEveryTheme_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(0x2b, 0x2b, 0x2b) << QColor(0xee, 0xee, 0xee);
    }
    void captionsReadableInEveryTheme()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, text);
        QPalette theme = QApplication::palette();
        for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
            theme.setColor(role, window);
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            theme.setColor(role, text);
        const PaletteForTest themed(theme);
        TestWorld world;
        Form1 form(world.context());
        for (QWidget *w : form.findChildren<QWidget *>()) {
            const QPalette p = w->palette();
            // The colours it paints with: its own background and text roles.
            const int contrast = std::abs(p.color(w->foregroundRole()).lightness() - p.color(w->backgroundRole()).lightness());
            QVERIFY2(contrast > 128, qPrintable(w->objectName()));
        }
    }

    // The list takes the room the window gains or gives up; the rest keeps its order inside the
    // window, and the list's path and plan columns span the list.
    void layoutFollowsTheWindowSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("designed") << Form1::designSize();
        QTest::newRow("half as large again") << Form1::designSize() * 1.5;
        QTest::newRow("2x on 1600x1000, a title bar above") << QSize(536, 460);
        QTest::newRow("least") << Form1::leastSize();
    }
    void layoutFollowsTheWindowSize()
    {
        QFETCH(QSize, size);
        TestWorld world;
        Form1 form(world.context());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Right-hand controls keep their distance to the right edge: widths stretch.
        QWidget *rightmost[] = {form.PushButton7, form.ListView1, form.PushButton4, form.PushButton6, form.Frame1,
                                form.PushButton3, form.PushButton2, form.ProgressBar1, form.Frame2, form.Text2, form.Text3};
        const auto margins = [&] {
            QList<int> m;
            for (QWidget *w : rightmost)
                m << w->parentWidget()->width() - w->geometry().right();
            return m;
        };
        const QList<int> designed = margins();
        form.resize(size);
        QTRY_COMPARE(form.size(), size);
        QCOMPARE(margins(), designed);
        QCOMPARE(form.ListView1->size(), QSize(520, 153) + size - Form1::designSize());
        const auto below = [](QWidget *upper, QWidget *lower) { return upper->geometry().bottom() < lower->geometry().top(); };
        const auto leftOf = [](QWidget *left, QWidget *right) { return left->geometry().right() < right->geometry().left(); };
        QWidget *column[] = {form.PushButton7, form.ListView1, form.PushButton1, form.PushButton5,
                             form.Frame1, form.PushButton2, form.ProgressBar1, form.Frame2};
        for (size_t i = 1; i < std::size(column); ++i)
            QVERIFY2(below(column[i - 1], column[i]), qPrintable(column[i]->objectName()));
        const std::pair<QWidget *, QWidget *> rows[] = {{form.PushButton1, form.PushButton4}, {form.PushButton5, form.PushButton6},
                                                        {form.Text1, form.PushButton3}, {form.Option1, form.Text2},
                                                        {form.Option2, form.Text3}};
        for (const auto &[left, right] : rows) {
            QVERIFY2(leftOf(left, right), qPrintable(right->objectName()));
            QVERIFY2(right->parentWidget()->rect().contains(right->geometry()), qPrintable(right->objectName()));
        }
        QVERIFY(form.rect().contains(form.Frame2->geometry()));
        QVERIFY(form.rect().contains(form.PushButton6->geometry()));
        QCOMPARE(form.ListView1->header()->sectionSize(0) + form.ListView1->header()->sectionSize(1),
                 form.ListView1->viewport()->width());
    }
};

QTEST_MAIN(Form1LookTest)
#include "test_form1_look.moc"
