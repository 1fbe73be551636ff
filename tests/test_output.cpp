// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/AddFolder.h"
#include "app/Form1.h"

#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

using namespace qm;

namespace {

QString storedFolder(const TestWorld &world)
{
    QSettings s(world.configFile(), QSettings::IniFormat);
    return s.value(QStringLiteral("Quillmere/Output Directory")).toString();
}

} // namespace

class OutputFolderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dialogsStartWhereTheUserLastWorked_data()
    {
        QTest::addColumn<bool>("openFile"); // the open-file dialog, else the folder browser
        QTest::addColumn<QString>("stored"); // the folder last used ("" = none; "<home>" = the home)
        QTest::newRow("open-file, first time") << true << "";
        QTest::newRow("open-file, last folder") << true << "<home>/work";
        QTest::newRow("open-file, last folder gone") << true << "<home>/gone";
        QTest::newRow("browser, first time") << false << "";
        QTest::newRow("browser, last folder") << false << "<home>/work";
        QTest::newRow("browser, last folder gone") << false << "<home>/gone";
    }
    void dialogsStartWhereTheUserLastWorked()
    {
        QFETCH(bool, openFile);
        QFETCH(QString, stored);
        TestWorld world;
        const QString work = world.home() + "/work";
        QDir().mkpath(work + "/next");
        stored.replace("<home>", world.home());
        const QString key = openFile ? "Last Open Folder" : "Last Browse Folder";
        if (!stored.isEmpty())
            world.context().settings.write(key, stored);
        Form1 form(world.context());
        const auto press = [&] {
            if (openFile) {
                world.toolkit().openFileAnswers.enqueue({work + "/next/a.zip"});
                form.PushButton1_Click();
            } else {
                world.toolkit().folderAnswers.enqueue(work + "/next");
                form.PushButton3_Click();
            }
        };
        press();
        press(); // the second time starts where the first choice was made
        QCOMPARE(world.toolkit().startFolders,
                 QStringList({stored == work ? work : QDir::homePath(), work + "/next"}));
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");   // "<home>" stands for the test's home folder
        QTest::addColumn<QString>("expected"); // "" = Text1 unchanged
        QTest::newRow("cancel") << "" << "";
        QTest::newRow("a folder") << "<home>/out" << "<home>/out/";
        QTest::newRow("a folder with a trailing separator") << "<home>/out/" << "<home>/out/";
        QTest::newRow("the root") << "/" << "/";
        QTest::newRow("not a folder") << "<home>/out/file.txt" << "";
        QTest::newRow("vanished") << "<home>/gone" << "";
    }
    void browse()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        TestWorld world;
        QDir().mkpath(world.home() + "/out");
        world.makeFile("out/file.txt");
        chosen.replace("<home>", world.home());
        expected.replace("<home>", world.home());
        Form1 form(world.context());
        form.Form_Load();
        form.Text1->setText(QStringLiteral("/before/"));
        world.toolkit().folderAnswers.enqueue(chosen);
        form.PushButton3_Click();

        const QString now = expected.isEmpty() ? QStringLiteral("/before/") : expected;
        QCOMPARE(form.Text1->text(), now);
        QCOMPARE(storedFolder(world), now);
        QCOMPARE(world.toolkit().shown.size(), 1);
        QCOMPARE(world.toolkit().shown[0].kind, ScriptedToolkit::Shown::Folder);
        QCOMPARE(world.toolkit().shown[0].title, QStringLiteral("Please select folder:"));
        QCOMPARE(world.toolkit().messages().size(), 0);
    }

    void browseForFolderHasNoTrailingSeparatorButTheRoot_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "<home>/out" << "<home>/out";
        QTest::newRow("trailing") << "<home>/out//" << "<home>/out";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("cancel") << "" << "";
    }
    void browseForFolderHasNoTrailingSeparatorButTheRoot()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        TestWorld world;
        QDir().mkpath(world.home() + "/out");
        chosen.replace("<home>", world.home());
        expected.replace("<home>", world.home());
        world.toolkit().folderAnswers.enqueue(chosen);
        QCOMPARE(BrowseForFolder(world.toolkit(), nullptr, QStringLiteral("t")), expected);
    }

    void everyEditIsStored()
    {
        TestWorld world;
        {
            Form1 form(world.context());
            form.Form_Load();
            form.Text1->clear();
            QCOMPARE(storedFolder(world), QString());
            QTest::keyClicks(form.Text1, QStringLiteral("/srv"));
            QCOMPARE(storedFolder(world), QStringLiteral("/srv"));
            QTest::keyClick(form.Text1, Qt::Key_Backspace);
            QCOMPARE(storedFolder(world), QStringLiteral("/sr"));
        }
        Form1 again(world.context());
        again.Form_Load();
        QCOMPARE(again.Text1->text(), QStringLiteral("/sr"));
    }
};

QTEST_MAIN(OutputFolderTest)
#include "test_output.moc"
