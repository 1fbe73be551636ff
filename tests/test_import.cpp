// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/AddFolder.h"
#include "app/FileListModel.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "common/AppError.h"
#include "common/Paths.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QSet>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

// root/ a.zip B.ZIP ~temp.zip notes.txt .hidden.zip
//   one/ c.zip x.zipx   one/deep/ d.zip   two/ e.zip   two/deeper/ f.zip   .secret/ g.zip
QString makeTree(TestWorld &world, const QString &name)
{
    for (const char *f : {"a.zip", "B.ZIP", "~temp.zip", "notes.txt", ".hidden.zip", "one/c.zip",
                          "one/x.zipx", "one/deep/d.zip", "two/e.zip", "two/deeper/f.zip", ".secret/g.zip"})
        world.makeFile(name + QLatin1Char('/') + QLatin1String(f), "x");
    return world.home() + QLatin1Char('/') + name;
}

// What an import gives: the files of each folder of the walk, in the walk's order.
QStringList expectedRows(const QString &root, const QSet<QString> &wanted)
{
    QStringList folders{root + "/"};
    CollectSubfolders(folders, true);
    QStringList out;
    for (const QString &f : folders) {
        const QString v = f.chopped(1);
        for (const QString &name : ListFiles(v, "*.*"))
            if (wanted.contains(QString(v + "/" + name).mid(root.size() + 1)))
                out << v + "/" + name;
    }
    return out;
}

// The archives of makeTree() that an import with "zip" adds.
const QStringList kTreeZips{"a.zip", "B.ZIP", ".hidden.zip", "one/c.zip", "one/deep/d.zip",
                            "two/e.zip", "two/deeper/f.zip"};

void runImport(TestWorld &world, Form1 &form, const QString &extension, const QString &folder)
{
    world.toolkit().inputAnswers.enqueue(extension);
    world.toolkit().folderAnswers.enqueue(folder);
    form.PushButton4_Click();
}

// Removes a chain of folders too deep for any path to reach, working through folder handles.
void removeChain(const QString &root, const QByteArray &name, int depth)
{
    QVector<int> fds{open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY)};
    for (int i = 0; i < depth - 1 && fds.last() >= 0; ++i)
        fds << openat(fds.last(), name.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = fds.size() - 1; i >= 0; --i) {
        if (fds[i] >= 0) {
            unlinkat(fds[i], name.constData(), AT_REMOVEDIR);
            close(fds[i]);
        }
    }
}

bool makeFifo(const QString &path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

class ImportTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    void pattern_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("match");
        QTest::newRow("extension") << "a.zip" << "*.zip" << true;
        QTest::newRow("any case") << "A.ZiP" << "*.zip" << true;
        QTest::newRow("longer extension") << "a.zipx" << "*.zip" << false;
        QTest::newRow("extension inside") << "a.zip.txt" << "*.zip" << false;
        QTest::newRow("bare name") << "zip" << "*.zip" << false;
        QTest::newRow("all, no dot") << "Makefile" << "*.*" << true;
        QTest::newRow("two-part extension") << "x.tar.gz" << "*.tar.gz" << true;
        QTest::newRow("question mark") << "a.txt" << "*.t?t" << true;
        QTest::newRow("question mark needs one") << "a.tt" << "*.t?t" << false;
        QTest::newRow("star inside") << "a.backup.zip" << "*.b*p.zip" << true;
        QTest::newRow("star inside, no match") << "a.backup.zap" << "*.b*p.zip" << false;
        QTest::newRow("non-ASCII case") << "ÄRCHIV.ÖL" << "*.öl" << true;
    }
    void pattern()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, match);
        QCOMPARE(MatchesPattern(name, pattern), match);
    }

    // How a drop forms a row from a folder of the walk and a name (a drop of / is not walked here).
    void rowPathFromFolderAndName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("row");
        QTest::newRow("root") << "/" << "/a.zip";
        QTest::newRow("folder") << "/srv" << "/srv/a.zip";
        QTest::newRow("folder with separator") << "/srv/" << "/srv/a.zip";
    }
    void rowPathFromFolderAndName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, row);
        QCOMPARE(RowPath(folder, QStringLiteral("a.zip")), row);
    }

    void walkIsBreadthFirstAndSkipsHiddenFolders()
    {
        TestWorld world;
        const QString root = makeTree(world, "t");
        QStringList folders{root + "/"};
        CollectSubfolders(folders, true);
        QCOMPARE(folders.size(), 5);
        QCOMPARE(folders[0], root + "/");
        QCOMPARE(QSet<QString>(folders.begin() + 1, folders.begin() + 3),
                 (QSet<QString>{root + "/one/", root + "/two/"}));
        // Children of the earlier folder of a level come first.
        const bool oneFirst = folders[1] == root + "/one/";
        QCOMPARE(folders[3], root + (oneFirst ? "/one/deep/" : "/two/deeper/"));
        QCOMPARE(folders[4], root + (oneFirst ? "/two/deeper/" : "/one/deep/"));

        QStringList firstLevel{root + "/"};
        CollectSubfolders(firstLevel, false);
        QCOMPARE(firstLevel.size(), 3);
    }

    void importByExtension_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("wanted");
        const QStringList zips = kTreeZips;
        QTest::newRow("zip") << "zip" << zips;
        QTest::newRow("ZIP") << "ZIP" << zips;
        QTest::newRow("txt") << "txt" << QStringList{"notes.txt"};
        QTest::newRow("* is every file") << "*" << (zips + QStringList{"notes.txt", "one/x.zipx"});
        QTest::newRow("nothing matches") << "rar" << QStringList();
    }
    void importByExtension()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, wanted);
        TestWorld world;
        const QString root = makeTree(world, "t");
        Form1 form(world.context());
        form.Form_Load();
        form.fileList().append(QStringLiteral("/already.zip"));
        runImport(world, form, extension, root);

        const QSet<QString> wantedSet(wanted.begin(), wanted.end());
        QCOMPARE(rows(form), QStringList{"/already.zip"} + expectedRows(root, wantedSet));
        QCOMPARE(world.toolkit().messages().size(), 0);
        QCOMPARE(world.toolkit().pointerHistory, (QVector<int>{vbHourglass, vbDefault}));
        const auto shown = world.toolkit().shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].kind, ScriptedToolkit::Shown::Input);
        QCOMPARE(shown[0].title, QStringLiteral("Quillmere"));
        QCOMPARE(shown[0].text, QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                                               "files, doc for all doc files, etc.)"));
        QCOMPARE(shown[0].defaultText, QStringLiteral("zip"));
        QCOMPARE(shown[1].kind, ScriptedToolkit::Shown::Folder);
        QCOMPARE(shown[1].title, QStringLiteral("Please select folder:"));
    }

    // Folders add their files as a file manager shows them, folder by folder, whatever order the
    // file system keeps; the list keeps the order of adding.
    void foldersAddTheirFilesInNameOrder_data()
    {
        QTest::addColumn<bool>("dropped"); // else imported by extension
        QTest::newRow("import") << false;
        QTest::newRow("drop or command line") << true;
    }
    void foldersAddTheirFilesInNameOrder()
    {
        QFETCH(bool, dropped);
        TestWorld world;
        const QStringList made{"n/sub10/x.zip", "n/10.zip", "n/a10.zip", "n/B.zip", "n/2.zip", "n/a9.zip",
                               "n/sub2/y.zip", "n/a.zip", "n/Sub3/z.zip"};
        for (const QString &f : made)
            world.makeFile(f, "x");
        const QString root = world.home() + "/n";
        Form1 form(world.context());
        form.Form_Load();
        form.fileList().append(QStringLiteral("/z-first.zip"));
        if (dropped)
            form.ListView1_OLEDragDrop({root});
        else
            runImport(world, form, "zip", root);
        QStringList expected{"/z-first.zip"};
        for (const char *f : {"2.zip", "10.zip", "a.zip", "a9.zip", "a10.zip", "B.zip", "sub2/y.zip", "Sub3/z.zip",
                              "sub10/x.zip"})
            expected << root + "/" + f;
        QCOMPARE(rows(form), expected);
    }

    void cancellingAddsNothingAndKeepsThePointer_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("chooseFolder");
        QTest::newRow("input box") << "" << true;
        QTest::newRow("folder browser") << "zip" << false;
    }
    void cancellingAddsNothingAndKeepsThePointer()
    {
        QFETCH(QString, extension);
        QFETCH(bool, chooseFolder);
        TestWorld world;
        const QString root = makeTree(world, "t");
        Form1 form(world.context());
        form.Form_Load();
        runImport(world, form, extension, chooseFolder ? root : QString());
        QCOMPARE(form.rowCount(), 0);
        QVERIFY(world.toolkit().pointerHistory.isEmpty());
        QCOMPARE(world.toolkit().messages().size(), 0);
    }

    void linksBackUpTheTreeAreWalkedOnce()
    {
        TestWorld world;
        const QString root = makeTree(world, "t");
        QVERIFY(QFile::link(root, root + "/one/up"));
        QVERIFY(QFile::link(root + "/two", root + "/one/deep/sideways"));
        QVERIFY(QFile::link(root + "/nowhere", root + "/dangling.zip"));
        Form1 form(world.context());
        form.Form_Load();
        runImport(world, form, "zip", root);
        const QStringList got = rows(form);
        QCOMPARE(got.size(), 8); // seven archives and the dangling link, each once
        QCOMPARE(QSet<QString>(got.begin(), got.end()).size(), got.size());
        QVERIFY(got.contains(root + "/dangling.zip"));
        QCOMPARE(world.toolkit().messages().size(), 0);
    }

    void deepTreeIsWalkedWithoutRecursion()
    {
        TestWorld world;
        QString path = world.home() + "/deep";
        for (int i = 0; i < 1000; ++i)
            path += "/d";
        QVERIFY(QDir().mkpath(path));
        world.makeFile(QString(path).mid(world.home().size() + 1) + "/bottom.zip");
        Form1 form(world.context());
        form.Form_Load();
        runImport(world, form, "zip", world.home() + "/deep");
        QCOMPARE(rows(form), QStringList{path + "/bottom.zip"});
        QCOMPARE(world.toolkit().messages().size(), 0);
    }

    // Folders beyond the longest path cannot be opened; that is reported once and the rest of
    // the tree is still imported.
    void unreadableFoldersAreReportedOnceAndTheImportGoesOn()
    {
        TestWorld world;
        const QString root = world.home() + "/long";
        QVERIFY(QDir().mkpath(root + "/near"));
        world.makeFile("long/near/n.zip");
        world.makeFile("long/top.zip");
        int fd = open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        const QByteArray name(200, 'L');
        for (int i = 0; i < 30; ++i) { // 6,000 characters: far past PATH_MAX
            QCOMPARE(mkdirat(fd, name.constData(), 0700), 0);
            const int inner = openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = inner;
            QVERIFY(fd >= 0);
        }
        close(fd);
        Form1 form(world.context());
        form.Form_Load();
        runImport(world, form, "zip", root);
        QCOMPARE(rows(form), (QStringList{root + "/top.zip", root + "/near/n.zip"}));
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QStringLiteral("Application Error"));
        QVERIFY(boxes[0].text.startsWith("Path/File access error: " + root + "/"));
        QVERIFY(boxes[0].text.contains("in Tarnwell6/20/2015.Form1.PushButton4_Click at line 116\r\r"));
        QCOMPARE(world.toolkit().currentPointer(), int(vbDefault));
        removeChain(root, name, 30);
    }

    // Names that are not UTF-8 (old tools, Windows shares) are listed by their bytes.
    void namesInAnyEncodingAreListedByTheirBytes()
    {
        TestWorld world;
        const QString root = makeTree(world, "t");
        const QByteArray raw = QFile::encodeName(root);
        QCOMPARE(mkdir(QByteArray(raw + "/bad\xff").constData(), 0700), 0);
        QCOMPARE(close(open(QByteArray(raw + "/bad\xff/inner.zip").constData(), O_CREAT | O_WRONLY, 0600)), 0);
        QCOMPARE(close(open(QByteArray(raw + "/bad\xfe.zip").constData(), O_CREAT | O_WRONLY, 0600)), 0);
        world.makeFile("t/why?.zip"); // a legal name here
        Form1 form(world.context());
        form.Form_Load();
        runImport(world, form, "zip", root);
        const QStringList got = rows(form);
        QCOMPARE(got.size(), 10);
        QVERIFY(got.contains(root + "/why?.zip"));
        QVERIFY(got.contains(paths::fromRaw(raw + "/bad\xfe.zip")));
        QVERIFY(got.contains(paths::fromRaw(raw + "/bad\xff/inner.zip")));
        struct stat st;
        for (const QString &row : got)
            QVERIFY2(::stat(paths::toRaw(row).constData(), &st) == 0, qPrintable(paths::shown(row)));
        // Shown with a replacement character where a byte is not UTF-8.
        const QModelIndex shown = form.ListView1->model()->index(int(got.indexOf(paths::fromRaw(raw + "/bad\xfe.zip"))), 0);
        QCOMPARE(shown.data().toString(), root + QString::fromUtf8("/bad\xef\xbf\xbd.zip"));
        unlink(QByteArray(raw + "/bad\xff/inner.zip").constData());
        rmdir(QByteArray(raw + "/bad\xff").constData());
        unlink(QByteArray(raw + "/bad\xfe.zip").constData());
    }

    void clearListWhileTheImportWalks()
    {
        TestWorld world;
        const QString root = makeTree(world, "t");
        const QStringList all = expectedRows(root, QSet<QString>(kTreeZips.begin(), kTreeZips.end()));
        for (int when = 1; when < 40; when += 3) {
            Form1 form(world.context());
            form.Form_Load();
            int turns = 0;
            world.toolkit().onDoEvents = [&] {
                if (++turns == when)
                    form.PushButton5_Click();
            };
            runImport(world, form, "zip", root);
            world.toolkit().onDoEvents = nullptr;
            // What is left is what was found after the clear, in order.
            const QStringList got = rows(form);
            QCOMPARE(got, all.mid(all.size() - got.size()));
        }
    }

    void foldersVanishingMidWalkAreSkippedSilently()
    {
        TestWorld world;
        for (int when = 1; when < 40; when += 4) {
            const QString root = makeTree(world, QStringLiteral("v%1").arg(when));
            const QStringList all = expectedRows(root, QSet<QString>(kTreeZips.begin(), kTreeZips.end()));
            Form1 form(world.context());
            form.Form_Load();
            int turns = 0;
            world.toolkit().onDoEvents = [&] {
                if (++turns == when)
                    QDir(root + "/two").removeRecursively();
            };
            runImport(world, form, "zip", root);
            world.toolkit().onDoEvents = nullptr;
            for (const QString &row : rows(form))
                QVERIFY(all.contains(row));
            QVERIFY(form.rowCount() >= all.size() - 2);
            QCOMPARE(world.toolkit().messages().size(), 0);
        }
    }

    void closingTheWindowEndsTheWalk()
    {
        TestWorld world;
        const QString root = makeTree(world, "t");
        Form1 form(world.context());
        form.Form_Load();
        form.show();
        int turns = 0;
        world.toolkit().onDoEvents = [&] {
            if (++turns == 3)
                form.close();
        };
        runImport(world, form, "zip", root);
        world.toolkit().onDoEvents = nullptr;
        QVERIFY(turns < 15); // the rest of the folder at hand, then no more
        QCOMPARE(form.rowCount(), 0);
        QCOMPARE(world.toolkit().currentPointer(), int(vbDefault));
    }

    void secondImportWhileTheFirstWalks()
    {
        TestWorld world;
        const QString p = makeTree(world, "p");
        const QString q = makeTree(world, "q");
        const QSet<QString> zips(kTreeZips.begin(), kTreeZips.end());
        const QStringList pRows = expectedRows(p, zips);
        const QStringList qRows = expectedRows(q, zips);
        for (int when = 2; when < 30; when += 5) {
            Form1 form(world.context());
            form.Form_Load();
            world.toolkit().pointerHistory.clear();
            int turns = 0;
            world.toolkit().onDoEvents = [&] {
                if (++turns == when)
                    runImport(world, form, "zip", q);
            };
            runImport(world, form, "zip", p);
            world.toolkit().onDoEvents = nullptr;
            QStringList got = rows(form);
            const qsizetype at = got.indexOf(qRows.first());
            QVERIFY(at >= 0);
            QCOMPARE(got.mid(at, qRows.size()), qRows);
            got.remove(at, qRows.size());
            QCOMPARE(got, pRows);
            // The inner import leaves the hourglass to the outer one.
            QCOMPARE(world.toolkit().pointerHistory, (QVector<int>{vbHourglass, vbHourglass, vbDefault}));
        }
    }

    void dropFilesAndFolders()
    {
        TestWorld world;
        const QString p = makeTree(world, "p");
        const QString q = makeTree(world, "q");
        const QString plain = world.makeFile("loose/~temp.zip");
        const QString text = world.makeFile("loose/readme.txt");
        QVERIFY(makeFifo(world.home() + "/loose/pipe"));
        QVERIFY(makeFifo(p + "/two/pipe"));
        const QString gone = world.home() + "/loose/vanished.zip";
        const QString hidden = p + "/.secret";

        Form1 form(world.context());
        form.Form_Load();
        form.ListView1_OLEDragDrop({p, plain, text, world.home() + "/loose/pipe", gone, hidden, q + "/"});

        const QSet<QString> everyFile{"a.zip", "B.ZIP", "notes.txt", ".hidden.zip", "one/c.zip", "one/x.zipx",
                                      "one/deep/d.zip", "two/e.zip", "two/pipe", "two/deeper/f.zip"};
        QSet<QString> qFiles = everyFile;
        qFiles.remove("two/pipe");
        const QStringList expected = expectedRows(p, everyFile)
                                     + QStringList{plain, text, world.home() + "/loose/pipe", gone, hidden}
                                     + expectedRows(q, qFiles);
        QCOMPARE(rows(form), expected);
        QCOMPARE(world.toolkit().shown.size(), 0);
        QVERIFY(world.toolkit().pointerHistory.isEmpty());
    }

    void dragOverAcceptsLocalFilesOnly_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("local files") << QStringList{"file:///a.zip", "file:///b"} << "" << true;
        QTest::newRow("text") << QStringList() << "/a.zip" << false;
        QTest::newRow("web link") << QStringList{"https://example.org/a.zip"} << "" << false;
        QTest::newRow("web link among files")
            << QStringList{"file:///a.zip", "https://example.org/a.zip"} << "" << false;
    }
    void dragOverAcceptsLocalFilesOnly()
    {
        QFETCH(QStringList, urls);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        QMimeData data;
        if (!urls.isEmpty()) {
            QList<QUrl> list;
            for (const QString &u : urls)
                list << QUrl(u);
            data.setUrls(list);
        }
        if (!text.isEmpty())
            data.setText(text);
        QCOMPARE(form.ListView1_OLEDragOver(&data), accepted);

        // The same through the list's own drop events.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.ListView1->viewport(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.ListView1->viewport(), &drop);
        QCoreApplication::processEvents();
        QCOMPARE(form.rowCount(), accepted ? urls.size() : 0);
    }

    void samples_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opens");
        QTest::newRow("yes") << int(vbYes) << true;
        QTest::newRow("no") << int(vbNo) << true;
        QTest::newRow("yes, but no file manager") << int(vbYes) << false;
    }
    void samples()
    {
        QFETCH(int, answer);
        QFETCH(bool, opens);
        TestWorld world;
        for (const char *f : {"Samples/One.zip", "Samples/~Two.zip", "Samples/.three.zip", "Samples/inner/four.zip"})
            world.makeFile(QStringLiteral("app/") + QLatin1String(f));
        Form1 form(world.context());
        form.Form_Load();
        world.toolkit().msgAnswers.enqueue(answer);
        world.toolkit().openFolderResult = opens;
        form.PushButton6_Click();

        const QString samples = world.appFolder() + "/Samples";
        const QStringList got = rows(form);
        QCOMPARE(QSet<QString>(got.begin(), got.end()),
                 (QSet<QString>{samples + "/One.zip", samples + "/~Two.zip", samples + "/.three.zip"}));
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), answer == vbYes && !opens ? 2 : 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Would you like this software to open the folder where these "
                                               "sample files are stored (so that you can view them before "
                                               "working with them)?"));
        QCOMPARE(boxes[0].buttons, int(vbYesNo));
        QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
        if (boxes.size() == 2)
            QVERIFY(boxes[1].text.contains("Form1.PushButton6_Click at line 108\r\r"));
        QCOMPARE(world.toolkit().openedFolders, answer == vbYes ? QStringList{samples + "/"} : QStringList());
        QCOMPARE(form.Text2->text(), QStringLiteral("1"));
        QCOMPARE(form.Text3->text(), QStringLiteral("5"));
        QCOMPARE(world.context().settings.read("Text2", "x"), QStringLiteral("1"));
        QCOMPARE(world.context().settings.read("Text3", "x"), QStringLiteral("5"));
    }

    void missingSamplesFolderAddsNothing()
    {
        TestWorld world;
        Form1 form(world.context());
        form.Form_Load();
        form.PushButton6_Click();
        QCOMPARE(form.rowCount(), 0);
        QCOMPARE(world.toolkit().messages().size(), 1); // the question only
        QCOMPARE(form.Text2->text(), QStringLiteral("1"));
    }

    void buildMakesTheSampleArchives()
    {
        const QDir samples(QStringLiteral(QUILLMERE_BIN_DIR "/Samples"));
        const QStringList zips = samples.entryList({"*.zip"}, QDir::Files, QDir::Name);
        QVERIFY(zips.size() >= 3);
        qint64 largest = 0;
        for (const QString &z : zips)
            largest = qMax(largest, QFileInfo(samples.filePath(z)).size());
        QVERIFY(largest > 2 * 1024 * 1024); // "1" MB makes several parts of it
    }
};

QTEST_MAIN(ImportTest)
#include "test_import.moc"
