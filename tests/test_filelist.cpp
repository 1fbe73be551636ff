// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/CommonDialog.h"
#include "app/AddFolder.h"
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "common/AppError.h"
#include "common/Paths.h"

#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

using namespace qm;

namespace {

void selectRow(Form1 &form, int row)
{
    form.ListView1->selectionModel()->select(form.fileList().index(row),
                                             QItemSelectionModel::ClearAndSelect);
}

} // namespace

class FileListTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addByDialog_data()
    {
        QTest::addColumn<QStringList>("chosen"); // empty = cancelled
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("cancel") << QStringList() << QStringList();
        QTest::newRow("one file") << QStringList{"/d/a/x.zip"} << QStringList{"/d/a/x.zip"};
        QTest::newRow("one file at the root") << QStringList{"/x.zip"} << QStringList{"/x.zip"};
        QTest::newRow("two, in the dialog's order")
            << QStringList{"/d/a/y.zip", "/d/a/x.zip"} << QStringList{"/d/a/y.zip", "/d/a/x.zip"};
        QTest::newRow("two at the root") << QStringList{"/x.zip", "/y.zip"} << QStringList{"/x.zip", "/y.zip"};
        QTest::newRow("names with spaces and ?")
            << QStringList{"/d/my files/a b.zip", "/d/my files/why?.zip"}
            << QStringList{"/d/my files/a b.zip", "/d/my files/why?.zip"};
        QTest::newRow("names from different folders")
            << QStringList{"/d/a/x.zip", "/e/y.zip"} << QStringList{"/d/a/x.zip", "/e/y.zip"};
    }
    void addByDialog()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, expected);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        if (!chosen.isEmpty())
            world.toolkit().openFileAnswers.enqueue(chosen);
        form.PushButton1_Click();

        QCOMPARE(rows(form), expected);
        QCOMPARE(world.toolkit().messages().size(), 0);
        QCOMPARE(world.toolkit().shown.size(), 1);
        QCOMPARE(world.toolkit().shown[0].kind, ScriptedToolkit::Shown::OpenFile);
        QCOMPARE(world.toolkit().shown[0].title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(world.toolkit().shown[0].text, QStringLiteral("Zip Files (*.zip)|*.zip"));
        QCOMPARE(form.CommonDialog1.Flags, 2621953L);
        QCOMPARE(form.CommonDialog1.Filter, QStringLiteral("Zip Files (*.zip)|*.zip"));
    }

    void sameFileTwiceGivesTwoRows()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        world.toolkit().openFileAnswers.enqueue({"/d/x.zip"});
        world.toolkit().openFileAnswers.enqueue({"/d/x.zip", "/d/y.zip"});
        form.PushButton1_Click();
        form.PushButton1_Click();
        QCOMPARE(rows(form), (QStringList{"/d/x.zip", "/d/x.zip", "/d/y.zip"}));
        // Rows have no tooltip of their own, so the list's own help shows over them too.
        QVERIFY(!form.fileList().data(form.fileList().index(0), Qt::ToolTipRole).isValid());
        QCOMPARE(form.ListView1->toolTip(), QStringLiteral("Drag and drop files here. Double-click item to remove "
                                                           "it. Move bar to right and out of window to reveal full "
                                                           "names."));
    }

    void tooManyFilesAddsNoneAndSaysSo()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.fileList().append(QStringLiteral("/kept.zip"));
        QStringList chosen;
        for (int i = 0; i < 800; ++i)
            chosen << QStringLiteral("/srv/archives/%1-a-rather-long-name-for-an-archive.zip")
                          .arg(i, 5, 10, QLatin1Char('0'));
        world.toolkit().openFileAnswers.enqueue(chosen);
        form.PushButton1_Click();

        QCOMPARE(rows(form), QStringList{"/kept.zip"});
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("You've selected too many files to add.\r\r"
                                               "Please try adding via the \"Add All\" button."));
        QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
        QCOMPARE(boxes[0].buttons, 0);
        QCOMPARE(boxes[0].icon, 0);
    }

    // The buffer holds the names, their NUL separators and the terminating NULs.
    void dialogBufferLimit_data()
    {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("fits");
        // "/f" + n × (NUL + name) + 2 terminating NULs
        QTest::newRow("several, exactly full") << 7498 << 4 << true;  // 2 + 4*7499 + 2 = 30000
        QTest::newRow("several, one over") << 9998 << 3 << false;     // 2 + 3*9999 + 2 = 30001
        QTest::newRow("one, exactly full") << 29999 - 3 << 1 << true;   // "/f/" + name + NUL
        QTest::newRow("one, one over") << 29999 - 2 << 1 << false;
    }
    void dialogBufferLimit()
    {
        QFETCH(int, nameLength);
        QFETCH(int, count);
        QFETCH(bool, fits);
        TestWorld world;
        QStringList chosen;
        for (int i = 0; i < count; ++i) {
            QString name = QString::number(i);
            name += QString(nameLength - name.size(), QLatin1Char('n'));
            chosen << QStringLiteral("/f/") + name;
        }
        world.toolkit().openFileAnswers.enqueue(chosen);
        CommonDialog dialog;
        dialog.FileName = QStringLiteral("before");
        bool overflow = false;
        try {
            dialog.ShowOpen(world.toolkit());
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 20476);
            overflow = true;
        }
        QCOMPARE(overflow, !fits);
        if (fits)
            QCOMPARE(dialog.FileName.split(QChar(u'\0')).size(), count == 1 ? 1 : count + 1);
        else
            QCOMPARE(dialog.FileName, QStringLiteral("before"));
    }

    void removal_data()
    {
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("selected"); // -1 none
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("expected");
        const QStringList three{"/a.zip", "/b.zip", "/c.zip"};
        for (const QString &how : {QStringLiteral("delete"), QStringLiteral("double-click")}) {
            QTest::addRow("%s, empty list", qPrintable(how)) << 0 << -1 << how << QStringList();
            QTest::addRow("%s, no selection", qPrintable(how)) << 3 << -1 << how << three;
            QTest::addRow("%s, middle row", qPrintable(how)) << 3 << 1 << how << QStringList{"/a.zip", "/c.zip"};
            QTest::addRow("%s, last row", qPrintable(how)) << 3 << 2 << how << QStringList{"/a.zip", "/b.zip"};
        }
        QTest::newRow("another key") << 3 << 1 << "other key" << three;
    }
    void removal()
    {
        QFETCH(int, rowCount);
        QFETCH(int, selected);
        QFETCH(QString, how);
        QFETCH(QStringList, expected);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        const QStringList all{"/a.zip", "/b.zip", "/c.zip"};
        form.fileList().append(all.mid(0, rowCount));
        if (selected >= 0)
            selectRow(form, selected);
        if (how == QStringLiteral("delete"))
            QTest::keyClick(form.ListView1, Qt::Key_Delete); // through the list's key handling
        else if (how == QStringLiteral("other key"))
            QTest::keyClick(form.ListView1, Qt::Key_Backspace);
        else
            form.ListView1_DblClick();
        QCOMPARE(rows(form), expected);
        QCOMPARE(world.toolkit().shown.size(), 0);
    }

    void doubleClickOnARowRemovesThatRow()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.fileList().append(QStringList{"/a.zip", "/b.zip", "/c.zip"});
        selectRow(form, 0);
        const QRect r = form.ListView1->visualRect(form.fileList().index(2));
        QTest::mouseClick(form.ListView1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(form.ListView1->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(rows(form), (QStringList{"/a.zip", "/b.zip"}));
    }

    void clearList()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.PushButton5_Click(); // empty: nothing to see
        QCOMPARE(form.rowCount(), 0);
        form.fileList().append(QStringList{"/a.zip", "/a.zip", "/b.zip"});
        form.PushButton5_Click();
        QCOMPARE(form.rowCount(), 0);
        QCOMPARE(world.toolkit().shown.size(), 0);
    }

    void listIsLockedWhileARunLasts()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.fileList().append(QStringList{"/a.zip", "/b.zip"});
        selectRow(form, 0);
        form.setRunning(true);
        world.toolkit().openFileAnswers.enqueue({"/c.zip"});
        form.PushButton1_Click();
        form.ListView1_KeyDown(46);
        form.ListView1_DblClick();
        form.PushButton5_Click();
        form.ListView1_OLEDragDrop({"/d.zip"});
        QCOMPARE(rows(form), (QStringList{"/a.zip", "/b.zip"}));
        form.setRunning(false);
        form.ListView1_KeyDown(46);
        QCOMPARE(rows(form), QStringList{"/b.zip"});
    }

    // Names reach boxes and terminals through paths::shown: control characters come out as octal
    // escapes of their bytes, bytes that are not UTF-8 as U+FFFD, and the row keeps its bytes.
    void namesAreShownWithoutControlCharacters_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("title and clear") << QByteArray("/in/a\x1b]2;OWNED-TITLE\x07\x1b[2J.zip")
                                         << "/in/a\\033]2;OWNED-TITLE\\007\\033[2J.zip";
        QTest::newRow("CR, LF, TAB") << QByteArray("/in/a\rb\nc\td.zip") << "/in/a\\015b\\012c\\011d.zip";
        QTest::newRow("DEL") << QByteArray("/in/a\x7f.zip") << "/in/a\\177.zip";
        QTest::newRow("C1 NEL and CSI") << QByteArray("/in/\xc2\x85\xc2\x9b" "2J.zip")
                                        << "/in/\\302\\205\\302\\2332J.zip";
        QTest::newRow("CSI as a lone byte") << QByteArray("/in/\x9b" "2J.zip") << QString::fromUtf8("/in/\uFFFD2J.zip");
        QTest::newRow("not UTF-8") << QByteArray("/in/caf\xe9.zip") << QString::fromUtf8("/in/caf\uFFFD.zip");
        QTest::newRow("printable past C1") << QByteArray("/in/\xc2\xa0\xd0\xa4\\.zip")
                                           << QString::fromUtf8("/in/\u00a0\u0424\\.zip");
    }
    void namesAreShownWithoutControlCharacters()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, shown);
        FileListModel model;
        model.append(paths::fromRaw(raw));
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), shown);
        QCOMPARE(paths::toRaw(model.text(1)), raw);
    }

    void manyRowsAreAppendedInOneGo()
    {
        TestWorld world;
        WalkTurns turns(world.toolkit(), 0);
        FileListModel model;
        int inserts = 0;
        connect(&model, &QAbstractItemModel::rowsInserted, this, [&] { ++inserts; });
        {
            RowBatch batch(model, &turns);
            for (int i = 0; i < 100000; ++i)
                batch.add(QStringLiteral("/r/%1.zip").arg(i));
            QCOMPARE(model.count(), 0);
            turns.flushRows();
            QCOMPARE(model.count(), 100000);
            batch.add(QStringLiteral("/last.zip"));
        }
        QCOMPARE(model.count(), 100001);
        QCOMPARE(model.text(100001), QStringLiteral("/last.zip"));
        QCOMPARE(model.text(1), QStringLiteral("/r/0.zip"));
        QCOMPARE(inserts, 2);
    }
};

QTEST_MAIN(FileListTest)
#include "test_filelist.moc"
