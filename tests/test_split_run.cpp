// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "app/FileListModel.h"
#include "app/Form1.h"
#include "split/PartNames.h"
#include "app/SplitRun.h"
#include "split/ToolFile.h"
#include "common/Paths.h"
#include "common/SignalWatcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <cstring>

#include <csignal>
#include <dirent.h>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

const QString kStandIn = QStringLiteral(QUILLMERE_STAND_IN_TOOL);

// Records the progress bar's values as the run sets them.
class RecordingForm : public Form1
{
public:
    using Form1::Form1;
    QVector<double> progress;
    void setProgress(double value) override
    {
        progress.append(value);
        Form1::setProgress(value);
    }
};

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(60000);
    if (output)
        *output = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList entriesOf(const QString &archive)
{
    QByteArray out;
    if (run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive}, &out) != 0)
        return {QStringLiteral("<not a zip: %1>").arg(archive)};
    QStringList names = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
}

// Names in a folder as raw bytes: QDir cannot see names that are not valid UTF-8.
QList<QByteArray> rawNames(const QString &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir))
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// One archive of stored (incompressible) entries, so the part sizes are predictable.
QString noisyZip(const QString &path, int entries, int entrySize, quint32 seed)
{
    QList<QPair<QString, QByteArray>> content;
    for (int i = 0; i < entries; ++i)
        content.append({QStringLiteral("entry%1.bin").arg(i), noise(entrySize, seed + i)});
    QDir().mkpath(QFileInfo(path).absolutePath());
    return makeZip(path, content, {QStringLiteral("-0")});
}

// A world with its own APPDATA and output folder, and a window ready to split.
struct SplitWorld
{
    TestWorld world;
    RecordingForm form{world.context()};
    QString out;
    QString appData;

    SplitWorld()
    {
        appData = world.home() + "/appdata";
        out = world.home() + "/out";
        QDir().mkpath(appData);
        QDir().mkpath(out);
        qputenv("APPDATA", QFile::encodeName(appData));
        world.context().splitJobs = 1; // one at a time, so tests can act between archives
        form.Text1->setText(out);
        form.Text2->setText(QStringLiteral("20"));
        form.Text3->setText(QStringLiteral("5"));
    }
    ~SplitWorld()
    {
        qunsetenv("APPDATA");
        qunsetenv("QM_STAND_IN");
        qunsetenv("QM_STAND_IN_LOG");
        
    }

    QStringList outputFiles() const
    {
        return QDir(out).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Nothing of the run is left behind: no tool, no staging folder.
    bool clean() const
    {
        const bool noStaging = QDir(out).entryList({QStringLiteral(".quillmere-split-*")},
                                                   QDir::AllEntries | QDir::Hidden).isEmpty();
        return noStaging && noTool();
    }
    bool noTool() const
    {
        return QDir(appData).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
    }
    QStringList unionOfParts() const
    {
        QStringList all;
        for (const QString &name : QDir(out).entryList({"*.zip"}, QDir::Files))
            all += entriesOf(out + "/" + name);
        all.sort();
        return all;
    }
    bool allPartsValid() const
    {
        for (const QString &name : outputFiles())
            if (run(QStringLiteral("unzip"), {QStringLiteral("-tqq"), out + "/" + name}) != 0)
                return false;
        return true;
    }
    // Each box's text; for the last box, "Done." alone when it has no details, else the details.
    QStringList messageTexts()
    {
        QStringList texts;
        for (const auto &m : world.toolkit().messages())
            texts << (!m.details.isEmpty() ? m.details : m.text.startsWith("Done.\n") ? QString("Done.") : m.text);
        return texts;
    }
    int logLines(const QString &log) const { return readAll(log).count('\n'); }
};

} // namespace

class SplitRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checks_data()
    {
        QTest::addColumn<QString>("folder"); // "<out>" = the existing output folder
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("folderAfter");
        QTest::newRow("blank") << "   " << "Please input folder name." << "Input Folder Name" << 48 << "   ";
        QTest::newRow("missing") << "/no/such/folder" << "Destination folder not found." << "Quillmere" << 16
                                 << "/no/such/folder";
        QTest::newRow("trailing separator, empty list") << "<out>/" << "No files added." << "Quillmere" << 0 << "<out>";
        QTest::newRow("root keeps its separator") << "/" << "No files added." << "Quillmere" << 0 << "/";
    }
    void checks()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, folderAfter);
        SplitWorld w;
        w.form.Text1->setText(QString(folder).replace("<out>", w.out));
        startSplittingAndWait(w.form);
        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].title, title);
        QCOMPARE(boxes[0].icon, icon);
        QCOMPARE(w.form.Text1->text(), QString(folderAfter).replace("<out>", w.out));
        QVERIFY(w.form.progress.isEmpty());
        QVERIFY(w.noTool());
        QVERIFY(!w.form.isRunning());
        QVERIFY(w.form.PushButton1->isEnabled());
        // The checks never touch the pointer; past them it ends as the default.
        const bool passedChecks = message == "No files added.";
        QCOMPARE(w.world.toolkit().pointerHistory.isEmpty(), !passedChecks);
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    void splitsEveryArchiveIntoValidParts_data()
    {
        QTest::addColumn<bool>("byParts");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<int>("minParts"); // per archive
        QTest::addColumn<QStringList>("larger"); // archives named for parts larger than asked
        const QStringList all{"alpha", "bravo", "charlie"};
        QTest::newRow("by size, 1 MB") << false << "1" << "5" << 3 << QStringList();
        QTest::newRow("by parts") << true << "20" << "3" << 3 << QStringList();
        QTest::newRow("by parts 1") << true << "20" << "1" << 1 << QStringList();
    }
    void splitsEveryArchiveIntoValidParts()
    {
        QFETCH(bool, byParts);
        QFETCH(QString, size);
        QFETCH(QString, parts);
        QFETCH(int, minParts);
        QFETCH(QStringList, larger);
        SplitWorld w;
        const QString a = noisyZip(w.world.home() + "/in/alpha.zip", 6, 400 * 1024, 1);
        const QString b = noisyZip(w.world.home() + "/in/bravo.zip", 6, 400 * 1024, 100);
        const QString c = noisyZip(w.world.home() + "/in/charlie.zip", 1, 1000, 200);
        const QByteArray aBytes = readAll(a), bBytes = readAll(b);
        w.form.Text2->setText(size);
        w.form.Text3->setText(parts);
        w.form.setOptionValue(byParts ? w.form.Option2 : w.form.Option1, true);
        w.form.fileList().append(QStringList{a, b, c});
        startSplittingAndWait(w.form);

        QString done = larger.isEmpty() ? "Done." : "The split size was raised to fit the largest entry, so these "
                                                    "parts are larger than the size asked for:";
        for (const QString &name : larger) {
            const qint64 entry = name == "charlie" ? 1000 : 400 * 1024;
            QStringList parts;
            for (const QString &part : w.outputFiles())
                if (part.startsWith(name))
                    parts << QStringLiteral("%1 (%2 bytes)").arg(part).arg(QFileInfo(w.out + "/" + part).size());
            done += QStringLiteral("\n%1/in/%2.zip (largest entry entry0.bin, %3 bytes): ").arg(w.world.home(), name).arg(entry)
                    + parts.join(", ");
        }
        QCOMPARE(w.messageTexts(), QStringList{done});
        QCOMPARE(w.world.toolkit().messages()[0].icon, 0);
        QVERIFY(w.outputFiles().size() >= 2 * minParts);
        QVERIFY(w.allPartsValid());
        QStringList expected = entriesOf(a) + entriesOf(b) + entriesOf(c);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
        QCOMPARE(readAll(a), aBytes);
        QCOMPARE(readAll(b), bBytes);
        QVERIFY(w.clean());
        QVERIFY(std::is_sorted(w.form.progress.begin(), w.form.progress.end() - 1));
        QCOMPARE(w.form.progress.mid(w.form.progress.size() - 2), (QVector<double>{100.0, 0.0}));
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    // In an empty folder the parts carry exactly the names bare zipsplit gives them.
    void shortNamesAreZipSplitsOwn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("parts");
        for (const char *name : {"a.zip", "a.b.c.zip", "b.zip", "1.zip", "_.zip", ".hidden.zip", "backup2024.zip",
                                 "my_12345678.zip", "verylongname.zip"})
            QTest::newRow(name) << name << 3;
        QTest::newRow("a.zip in 12 parts") << "a.zip" << 12;
        QTest::newRow("report.zip in 12 parts") << "report.zip" << 12;
    }
    void shortNamesAreZipSplitsOwn()
    {
        QFETCH(QString, name);
        QFETCH(int, parts);
        SplitWorld w;
        const QString archive = w.world.home() + "/in/" + name;
        QVERIFY(QFile::rename(noisyZip(w.world.home() + "/in/made.zip", parts, 50000, 3), archive));
        const QString bare = w.world.home() + "/bare";
        QDir().mkpath(bare);
        // One stored entry of 50,000 bytes a part.
        QCOMPARE(run("zipsplit", {"-n", "50300", "-b", bare, archive}), 0);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText(QString::number(parts));
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles(), QDir(bare).entryList(QDir::Files | QDir::Hidden, QDir::Name));
        QVERIFY(w.clean());
    }

    void namesInAnyScriptSplitWithValidNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("partPrefix"); // every part's name starts with it
        QTest::newRow("Cyrillic") << "Фотографии отпуск.zip" << "Фот";
        QTest::newRow("Greek") << "Ελληνικά αρχεία.zip" << "Ελλ";
        QTest::newRow("CJK") << "日本語のファイル.zip" << "日本";
        QTest::newRow("Arabic") << "ملفات عربية.zip" << "ملف";
        QTest::newRow("emoji") << "😀🎉 party.zip" << "😀";
        QTest::newRow("combining marks") << "हिन्दी दस्तावेज़.zip" << "हि";
        QTest::newRow("255 bytes") << QString(125, QChar(0x0414)) + "x.zip" << "ДДД";
        QTest::newRow("no extension, a .zip of the same stem beside") << "report" << "report";
        QTest::newRow("Latin names stay as zipsplit gives them") << "holiday pictures.zip" << "holiday";
    }
    void namesInAnyScriptSplitWithValidNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, partPrefix);
        SplitWorld w;
        const QString archive = w.world.home() + "/in/" + name;
        // zip itself would add ".zip" to a name without a dot.
        QVERIFY(QFile::rename(noisyZip(w.world.home() + "/in/new.zip", 6, 400 * 1024, 11), archive));
        const QString decoy = noisyZip(w.world.home() + "/in/report.zip", 1, 1000, 99);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        const QList<QByteArray> raw = rawNames(w.out);
        QCOMPARE(raw.size(), 3); // two entries a part, nothing else left behind
        for (const QByteArray &part : raw) {
            QVERIFY2(IsValidUtf8(part), part.toHex().constData());
            QVERIFY2(QString::fromUtf8(part).startsWith(partPrefix), part.constData());
        }
        QCOMPARE(w.unionOfParts(), entriesOf(archive)); // the row's file, never the decoy
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }

    // The split size raised to fit the largest entry holds for the whole archive: every part over
    // the size asked is named, the one of two smaller entries too. (2 x 200-byte names need more
    // than the 256 bytes the minimum allows for headers.)
    void partsLargerThanAskedAreNamedInTheBox()
    {
        SplitWorld w;
        const QString longName = QString(200, 'n') + ".bin";
        const QString archive = makeZip(w.world.home() + "/ov2.zip",
                                        {{longName, noise(1500000, 8)}, {"a.bin", noise(700000, 9)},
                                         {"b.bin", noise(700000, 10)}},
                                        {"-0"});
        w.form.fileList().append(archive);
        w.form.Text2->setText("1");
        startSplittingAndWait(w.form);
        QCOMPARE(w.outputFiles(), (QStringList{"ov21.zip", "ov22.zip"}));
        QStringList parts;
        for (const QString &part : w.outputFiles()) {
            QVERIFY(QFileInfo(w.out + "/" + part).size() > 1048576);
            parts << QStringLiteral("%1 (%2 bytes)").arg(part).arg(QFileInfo(w.out + "/" + part).size());
        }
        QCOMPARE(w.messageTexts(), QStringList{"The split size was raised to fit the largest entry, so these parts "
                                               "are larger than the size asked for:\n" + archive + " (largest entry "
                                               + longName + ", 1500000 bytes): " + parts.join(", ")});
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
        QVERIFY(w.clean());
    }

    // zipsplit names parts from the first 7 characters, so these archives' parts are all
    // reports1.zip: the box says this run took the names, not that the folder held them.
    void partNamesTakenEarlierInTheRunAreSaidSo()
    {
        SplitWorld w;
        QStringList archives;
        for (const char *letter : {"a", "b", "c"})
            archives << noisyZip(w.world.home() + "/in/reports-" + letter + ".zip", 2, 1000, 5);
        w.form.fileList().append(archives);
        startSplittingAndWait(w.form);
        QCOMPARE(w.outputFiles(), (QStringList{"reports-b-reports1.zip", "reports-c-reports1.zip", "reports1.zip"}));
        QCOMPARE(w.messageTexts(), QStringList{"Parts of archives earlier in this run had the same names, so these "
                                               "parts were saved under other names:\nreports-b-reports1.zip "
                                               "(reports1.zip of " + archives[1] + ")\nreports-c-reports1.zip "
                                               "(reports1.zip of " + archives[2] + ")"});
    }

    void damagedArchivesFailWithoutParts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString outside = "it is damaged: its directory places entries outside the file.";
        QTest::newRow("offset past the end") << "lying-offset" << outside;
        QTest::newRow("size past the end") << "lying-size" << outside;
        QTest::newRow("data into the directory") << "into-directory" << outside;
        QTest::newRow("size 2^63-1") << "size-2^63" << outside;
        QTest::newRow("size 2^64-1") << "size-2^64" << outside;
        QTest::newRow("text without extension") << "text" << "it is not a ZIP archive, or it is damaged.";
        const QString segment = "it is one segment of a spanned archive, which the splitting tool cannot split; "
                                "zip -s 0 joins the segments into one archive.";
        QTest::newRow("Zip64 records naming another disk") << "zip64-disk" << segment;
        QTest::newRow("the last segment of a spanned set") << "spanned-last" << segment;
        // zipsplit would stop on these, ask for a disk forever, or copy too few bytes.
        QTest::newRow("an empty name") << "empty-name" << "its entry #1 has no name, which the splitting tool cannot split.";
        const QString disk1 = "it names more than one disk: its entry hello.txt is on disk 1, which the splitting tool "
                              "cannot read.";
        QTest::newRow("an entry on disk 1") << "disk-start" << disk1;
        QTest::newRow("an entry on disk 1 by its Zip64 field") << "disk-start-z64" << disk1;
        QTest::newRow("local sizes not the directory's")
            << "local-size" << "it is damaged: the local header of its entry hello.txt gives other sizes than its "
                               "directory does.";
        // Read and listed, but zipsplit would not find its entries: said before it runs.
        QTest::newRow("a stub the offsets do not count")
            << "stub" << "it has 1000 bytes before its first entry (a self-extracting stub) that its offsets do not "
                         "count, which the splitting tool cannot follow; zip -A mends that.";
        QTest::newRow("an end record in the comment")
            << "comment-end" << "bytes after its directory (in its comment or after the archive) look like the end of "
                                "an archive, which misleads the splitting tool.";
    }
    void damagedArchivesFailWithoutParts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        SplitWorld w;
        const QString good = noisyZip(w.world.home() + "/in/notes.zip", 2, 1000, 4);
        QString archive = w.world.home() + "/in/notes";
        if (kind == "text")
            w.world.makeFile("in/notes", "plain text");
        else
            QCOMPARE(run("python3", {SPLIT_FIXTURES_SCRIPT, kind, archive}), 0);
        w.form.Text3->setText("1");
        for (const bool byParts : {false, true}) {
            w.world.toolkit().shown.clear();
            QDir(w.out).removeRecursively();
            QDir().mkpath(w.out);
            w.form.setOptionValue(byParts ? w.form.Option2 : w.form.Option1, true);
            w.form.fileList().clear();
            w.form.fileList().append(QStringList{archive, good});
            startSplittingAndWait(w.form);
            QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + archive + ": " + reason});
            QCOMPARE(w.unionOfParts(), entriesOf(good));
            QVERIFY(w.clean());
        }
    }

    // A name in Windows-1251 ("Отчёт.zip"): the row opens the file by its bytes, and its parts keep
    // them, as zipsplit's own do.
    void aNameThatIsNotUtf8Splits()
    {
        SplitWorld w;
        const QByteArray raw = QFile::encodeName(w.world.home()) + "/in/\xce\xf2\xf7\xb8\xf2.zip";
        const QString made = noisyZip(w.world.home() + "/in/made.zip", 4, 400 * 1024, 21);
        QCOMPARE(::rename(QFile::encodeName(made).constData(), raw.constData()), 0);
        w.form.Text2->setText("1");
        w.form.fileList().append(paths::fromRaw(raw));
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QList<QByteArray> parts = rawNames(w.out);
        std::sort(parts.begin(), parts.end());
        QCOMPARE(parts, (QList<QByteArray>{"\xce\xf2\xf7\xb8\xf2" "1.zip", "\xce\xf2\xf7\xb8\xf2" "2.zip"}));
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }

    // zipsplit drops the archive comment (GitHub puts the commit there); every part has it back,
    // within the size.
    void everyPartCarriesTheArchiveComment()
    {
        SplitWorld w;
        const QString archive = noisyZip(w.world.home() + "/in/release.zip", 5, 400 * 1024, 31);
        const QByteArray comment = QByteArray("commit 0123456789abcdef\n").repeated(300);
        QProcess zip;
        zip.start("zip", {"-q", "-z", archive});
        zip.write(comment);
        zip.closeWriteChannel();
        QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles().size(), 3);
        const QByteArray stored = readAll(archive).right(7000); // zip stores the lines with CR LF
        QVERIFY(stored.endsWith("commit 0123456789abcdef"));
        for (const QString &part : w.outputFiles()) {
            QVERIFY(readAll(w.out + "/" + part).endsWith(stored));
            QVERIFY(QFileInfo(w.out + "/" + part).size() <= 1048576);
            QByteArray said; // as unzip reads it: by the end record's length
            QCOMPARE(run("unzip", {"-z", w.out + "/" + part}, &said), 0);
            QCOMPARE(said.count("commit 0123456789abcdef"), 300);
        }
        QVERIFY(w.allPartsValid());
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
    }

    void archivesOfFoldersSplit()
    {
        SplitWorld w;
        const QString archive = w.world.home() + "/in/folders.zip";
        QDir().mkpath(w.world.home() + "/in");
        QCOMPARE(run("python3", {"-c", "import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                       "    [z.writestr('f%03d/sub/' % i, b'') for i in range(300)]",
                                 archive}),
                 0);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText("3");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QCOMPARE(w.outputFiles().size(), 3);
        QCOMPARE(w.unionOfParts(), entriesOf(archive));
        QVERIFY(w.clean());
    }

    // A download or a sync client rewriting the archive while zipsplit reads it.
    void anArchiveChangedMidSplitIsNotSplit()
    {
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "rewrite");
        const QString archive = noisyZip(w.world.home() + "/in/download.zip", 4, 400 * 1024, 41);
        const QByteArray before = readAll(archive);
        w.form.Text2->setText("1");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);

        QCOMPARE(w.messageTexts(),
                 QStringList{"This archive could not be split:\n" + archive + ": it changed while it was being split."});
        QCOMPARE(readAll(archive), before); // the stand-in put its bytes back
        QVERIFY(w.outputFiles().isEmpty());
        QVERIFY(w.clean());
    }

    // Without a size to split by (a stored one the field would not take), nothing is split, not
    // every archive into its smallest parts, and the box says what the field takes.
    void aSizeThatIsNotANumberSplitsNothing_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("ten") << "ten";
        QTest::newRow("1,5") << "1,5";
    }
    void aSizeThatIsNotANumberSplitsNothing()
    {
        QFETCH(QString, size);
        SplitWorld w;
        w.form.Text2->setText(size);
        w.form.fileList().append(noisyZip(w.world.home() + "/in/a.zip", 4, 40000, 51));
        startSplittingAndWait(w.form);

        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0], QStringLiteral("Please input a split size from 1 to 2047 MB."));
        QVERIFY(w.outputFiles().isEmpty());
        QVERIFY(w.clean());
        QCOMPARE(w.world.toolkit().currentPointer(), int(vbDefault));
    }

    // The last box offers the folder when parts were written; a long run that ends while the
    // window is not active says so on the desktop.
    void theEndLeadsToTheParts_data()
    {
        QTest::addColumn<bool>("zip");         // false: the row is not a ZIP, nothing is written
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opens");       // the file manager can open the folder
        QTest::addColumn<bool>("active");      // the window is the active one when the run ends
        QTest::addColumn<QStringList>("notes");
        const QString done = "Done.\nSplit 1 archive into 1 part in <out>.";
        QTest::newRow("Open Folder") << true << int(vbOpenFolder) << true << true << QStringList();
        QTest::newRow("OK") << true << int(vbOK) << true << false << QStringList{done};
        QTest::newRow("the folder cannot be opened") << true << int(vbOpenFolder) << false << true << QStringList();
        QTest::newRow("nothing written") << false << int(vbOK) << true << false
                                         << QStringList{"1 archive could not be split.\nNo archive was split."};
    }
    void theEndLeadsToTheParts()
    {
        QFETCH(bool, zip);
        QFETCH(int, answer);
        QFETCH(bool, opens);
        QFETCH(bool, active);
        QFETCH(QStringList, notes);
        SplitWorld w;
        w.world.context().notifyAfterMs = 0;
        w.world.toolkit().msgAnswers.enqueue(answer);
        w.world.toolkit().openFolderResult = opens;
        w.world.toolkit().active = active;
        w.form.fileList().append(zip ? noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1)
                                     : w.world.makeFile("in/a.zip", "not a zip"));
        startSplittingAndWait(w.form);

        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes[0].buttons, zip ? int(vbOKOpenFolder) : int(vbOKOnly));
        QCOMPARE(w.world.toolkit().openedFolders, answer == vbOpenFolder ? QStringList{w.out} : QStringList());
        QCOMPARE(boxes.size(), opens ? 1 : 2);
        if (!opens)
            QCOMPARE(boxes[1].text, "The folder " + w.out + " could not be opened.");
        QCOMPARE(w.world.toolkit().notifications, notes.replaceInStrings("<out>", w.out));
        // "Done." heads the box only when the archive was split.
        QVERIFY2(boxes[0].text.startsWith(zip ? "Done.\n\n" : "1 archive could not be split.\n\n"), qPrintable(boxes[0].text));
        // The notification offers the folder only where parts went.
        QCOMPARE(w.world.toolkit().notifiedFolders, notes.isEmpty() ? QStringList() : QStringList{zip ? w.out : ""});
    }

    void collidingPartNamesNeverReplaceAFile()
    {
        SplitWorld w;
        const QString y2021 = noisyZip(w.world.home() + "/in/backup_2021.zip", 3, 600 * 1024, 7);
        const QString y2022 = noisyZip(w.world.home() + "/in/backup_2022.zip", 3, 600 * 1024, 70);
        w.form.Text2->setText("1");
        w.form.fileList().append(y2021);
        startSplittingAndWait(w.form);
        const QStringList first = w.outputFiles();
        QCOMPARE(first.size(), 3);
        QMap<QString, QByteArray> before;
        for (const QString &name : first)
            before[name] = readAll(w.out + "/" + name);

        w.world.toolkit().shown.clear();
        w.form.fileList().clear();
        w.form.fileList().append(y2022);
        startSplittingAndWait(w.form);

        for (const QString &name : first)
            QCOMPARE(readAll(w.out + "/" + name), before[name]); // the first run's parts survive
        QCOMPARE(w.outputFiles().size(), 6);
        QStringList expected = entriesOf(y2021) + entriesOf(y2022);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
        const auto boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith("The output folder already held files of the same name"));
        for (const QString &name : first) {
            const QString renamed = "backup_2022-" + name;
            QVERIFY2(QFile::exists(w.out + "/" + renamed), qPrintable(renamed));
            QVERIFY(boxes[0].contains(renamed + " (" + name + " of " + y2022 + ")"));
        }
        QVERIFY(w.clean());
    }

    // Every name a part could take is taken: the archive fails saying so, once, and the run
    // ends with nothing of it left (it once told its end a second time, to a task let go).
    void partsThatCannotBeMovedInFailTheArchiveOnce()
    {
        SplitWorld w;
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        QStringList taken{"a1.zip", "a-a1.zip"};
        for (int i = 2; i < 1000; ++i)
            taken << QStringLiteral("a-a1 (%1).zip").arg(i);
        for (const QString &name : taken)
            QVERIFY(QFile(w.out + "/" + name).open(QIODevice::WriteOnly));
        w.form.fileList().append(a);
        startSplittingAndWait(w.form);
        QTest::qWait(50); // a second end, had one been told, would land now
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0], "This archive could not be split:\n" + a + ": its parts could not be moved into the output "
                           "folder.");
        QCOMPARE(w.outputFiles().size(), taken.size());
        QVERIFY(w.clean());
    }

    // The last box: how many failed, the counts and the folder up front; each failure in the details.
    void failedArchivesAreNamedInOneBox()
    {
        SplitWorld w;
        const QString good = noisyZip(w.world.home() + "/in/good.zip", 2, 10000, 3);
        const QString notZip = w.world.makeFile("in/notzip.zip", "this is plain text, not an archive");
        const QString empty = w.world.makeFile("in/empty.zip", QByteArray());
        const QString folder = w.world.home() + "/in/folder.zip";
        QDir().mkpath(folder);
        const QString gone = w.world.home() + "/in/gone.zip";
        const QString other = noisyZip(w.world.home() + "/in/other.zip", 2, 10000, 30);
        const QString fifo = w.world.home() + "/in/pipe.zip";
        QVERIFY(run(QStringLiteral("mkfifo"), {fifo}) == 0);
        const QByteArray notZipBytes = readAll(notZip);
        w.form.fileList().append(QStringList{good, notZip, empty, folder, gone, fifo, other});
        startSplittingAndWait(w.form);

        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].icon, 48);
        QCOMPARE(boxes[0].title, QStringLiteral("Quillmere"));
        QCOMPARE(boxes[0].text, "5 archives could not be split.\n\nSplit 2 archives into 2 parts in " + w.out + ".");
        const QString text = boxes[0].details;
        QVERIFY(text.startsWith("These 5 archives could not be split:"));
        QVERIFY(text.contains(notZip + ": it is not a ZIP archive, or it is damaged."));
        QVERIFY(text.contains(empty + ": the file is empty."));
        QVERIFY(text.contains(folder + ": it is a folder, not a ZIP archive."));
        QVERIFY(text.contains(gone + ": the file no longer exists."));
        QVERIFY(text.contains(fifo + ": it is a device, pipe or socket, not a ZIP archive."));
        QVERIFY(!text.contains(good + ":"));
        QStringList expected = entriesOf(good) + entriesOf(other);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected); // nothing from the failed ones
        QCOMPARE(readAll(notZip), notZipBytes);
        QVERIFY(w.clean());
    }

    void failingToolIsReportedAndLeavesNothing_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("write error, half a part") << QByteArray("half:14")
                                                  << "a part could not be written; the disk may be full.";
        QTest::newRow("error text with exit 0") << QByteArray("errorzero")
                                                << "the splitting tool reported an error: stand-in failure.";
        QTest::newRow("bad parameters") << QByteArray("exit:16") << "the splitting tool did not accept its parameters.";
        QTest::newRow("killed") << QByteArray("crash") << "the splitting tool stopped unexpectedly.";
        QTest::newRow("its message names the archive, not the name the tool read it by")
            << QByteArray("invalid") << "the splitting tool cannot split it: Zip file structure invalid (a.zip).";
        QTest::newRow("output without end") << QByteArray("flood")
                                            << "the splitting tool wrote far more messages than it ever does, and was "
                                               "stopped.";
    }
    void failingToolIsReportedAndLeavesNothing()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", mode);
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        w.form.fileList().append(a);
        startSplittingAndWait(w.form);
        QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a + ": " + reason});
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    void foldersSwappedDuringTheRunRedirectNothing_data()
    {
        QTest::addColumn<QString>("swapped");
        QTest::addColumn<bool>("otherUser"); // the swap is done by another user in a shared folder
        QTest::newRow("tool folder, for one with another program") << "tool" << false;
        QTest::newRow("staging folder, for a link to the user's documents") << "staging" << false;
        QTest::newRow("tool folder, by another user") << "tool" << true;
        QTest::newRow("staging folder, by another user") << "staging" << true;
    }
    void foldersSwappedDuringTheRunRedirectNothing()
    {
        QFETCH(QString, swapped);
        QFETCH(bool, otherUser);
        if (otherUser && ::geteuid() != 0)
            QSKIP("acting as a second user needs root (setpriv); the rows above make the same swap as this user");
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "real");
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        const QString documents = w.world.home() + "/Documents";
        w.world.makeFile("Documents/letter.txt", "mine");
        const QString hijacked = w.world.home() + "/hijacked";
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 2, 1000, 2);
        w.form.fileList().append(QStringList{a, b});
        const QString folder = swapped == "tool" ? w.appData : w.out;
        if (otherUser) { // a shared folder anyone may write to, without the sticky bit
            QFile::setPermissions(w.world.home(), QFileDevice::Permissions(0x7755));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        }
        bool done = false;
        const auto eachTurn = [&] {
            const QStringList runs = QDir(folder).entryList({".quillmere-*"}, QDir::Dirs | QDir::Hidden);
            if (done || runs.isEmpty())
                return;
            done = true;
            const QString swap = swapped == "staging"
                                     ? QStringLiteral("mv '%1' '%2/moved-away' && ln -s '%3' '%1'").arg(folder + "/" + runs[0], folder, documents)
                                     : QStringLiteral("mv '%1' '%2/moved-away' && mkdir '%1' && printf '#!/bin/sh\\ntouch %3\\n' >'%1/zipsplit'"
                                                      " && chmod 755 '%1/zipsplit'").arg(folder + "/" + runs[0], folder, hijacked);
            QStringList command{"sh", "-c", swap};
            if (otherUser)
                command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
            QCOMPARE(run(otherUser ? "setpriv" : command.takeFirst(), command), 0);
        };
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(done);
        QCOMPARE(w.logLines(log), 2);
        QVERIFY(!QFile::exists(hijacked));
        QCOMPARE(QDir(documents).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"letter.txt"});
        QCOMPARE(w.messageTexts(), QStringList{"Done."});
        QStringList expected = entriesOf(a) + entriesOf(b);
        expected.sort();
        QCOMPARE(w.unionOfParts(), expected);
    }

    // The run holds the output folder it opened: a field changed mid-run changes nothing, and a
    // folder deleted, or renamed with a link left in its place, takes no part anywhere else and
    // stops the rest of the run.
    void outputFolderGoneOrChangedDuringTheRun_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason"); // of both archives; empty: both are split
        QTest::newRow("deleted") << "delete" << "the output folder was removed during the split.";
        QTest::newRow("field cleared") << "clear" << "";
        QTest::newRow("renamed, a link in its place") << "link"
                                                      << "the output folder \"<out>\" was moved or replaced during "
                                                         "the run, so nothing was written.";
    }
    void outputFolderGoneOrChangedDuringTheRun()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "slow:200");
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 1);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 1, 1000, 2);
        const QString elsewhere = w.world.home() + "/elsewhere";
        QDir().mkpath(elsewhere);
        w.form.fileList().append(QStringList{a, b});
        reason.replace("<out>", w.out);
        bool changed = false;
        startSplittingAndWait(w.form, [&] {
            if (changed || !w.form.isRunning())
                return;
            changed = true;
            if (change == "delete")
                QDir(w.out).removeRecursively();
            else if (change == "clear")
                w.form.Text1->setText(QString());
            else
                QVERIFY(QFile::rename(w.out, w.out + "-moved") && QFile::link(elsewhere, w.out));
        });
        QVERIFY(changed);
        if (reason.isEmpty()) {
            QCOMPARE(w.messageTexts(), QStringList{"Done."});
            QCOMPARE(w.outputFiles(), QStringList({"a1.zip", "b1.zip"}));
        } else {
            QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a + ": " + reason
                                                   + "\n\nSplitting was stopped; this archive was not split:\n" + b
                                                   + ": stopped before it was split."});
        }
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(w.noTool());
    }

    void missingToolIsReportedAndEveryArchiveNamed_data()
    {
        QTest::addColumn<bool>("resourceMissing");
        QTest::addColumn<int>("line");
        QTest::newRow("resource cannot be loaded") << true << 122;
        QTest::newRow("APPDATA folder missing") << false << 124;
    }
    void missingToolIsReportedAndEveryArchiveNamed()
    {
        QFETCH(bool, resourceMissing);
        QFETCH(int, line);
        SplitWorld w;
        if (resourceMissing)
            w.world.context().toolSource = w.world.home() + "/no-tool";
        else
            qputenv("APPDATA", QFile::encodeName(w.world.home() + "/no/appdata"));
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        const QString b = noisyZip(w.world.home() + "/in/b.zip", 1, 1000, 6);
        w.form.fileList().append(QStringList{a, b});
        startSplittingAndWait(w.form);
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0].contains(QStringLiteral("PushButton2_Click at line %1\r\r").arg(line)));
        // Each archive says why: the tool's folder, and the system's words when it is written.
        const QString why = resourceMissing ? QString()
                                            : ": Path not found: " + w.world.home() + "/no/appdata ("
                                                  + QString::fromLocal8Bit(std::strerror(ENOENT)) + ")";
        QVERIFY2(boxes[1].contains(a + ": the splitting tool could not be started" + why + "."), qPrintable(boxes[1]));
        QVERIFY(boxes[1].contains(b + ": the splitting tool could not be started" + why + "."));
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    // Each archive is listed through the archive reader the context names: without it nothing
    // is planned, and nothing written.
    void archivesAreListedThroughTheContextsLibrary()
    {
        SplitWorld w;
        const QString library = w.world.home() + "/no-libunzip32.so";
        w.world.context().unzipLibrary = library;
        const QString a = noisyZip(w.world.home() + "/in/a.zip", 1, 1000, 5);
        w.form.fileList().append(QStringList{a});
        startSplittingAndWait(w.form);
        QCOMPARE(w.messageTexts(), QStringList{"This archive could not be split:\n" + a
                                               + ": the archive reader " + library + " could not be loaded."});
        QCOMPARE(w.outputFiles(), QStringList());
        QVERIFY(w.clean());
    }

    void stopEndsTheRunAndNamesWhatWasNotSplit_data()
    {
        QTest::addColumn<int>("stopAt");     // the zipsplit start (1-based) during which Stop is pressed
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("during the first archive") << 1 << false;
        QTest::newRow("mid-way through a big archive, by Escape") << 2 << true;
        QTest::newRow("at the last") << 3 << false;
    }
    void stopEndsTheRunAndNamesWhatWasNotSplit()
    {
        QFETCH(int, stopAt);
        QFETCH(bool, byEscape);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "slow:300"); // a tool still copying when Stop comes
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        QStringList archives;
        for (const char *name : {"a", "b", "c"})
            archives << noisyZip(w.world.home() + "/in/" + name + ".zip", 2, 1000, quint32(name[0]));
        w.form.fileList().append(archives);
        w.form.show();
        bool pressed = false;
        const auto eachTurn = [&] {
            if (pressed || w.logLines(log) != stopAt)
                return;
            pressed = true;
            QVERIFY(w.form.isRunning());
            QVERIFY(!w.form.PushButton1->isEnabled() && !w.form.PushButton5->isEnabled()); // the list is locked
            QVERIFY(w.form.PushButton2->isEnabled());
            QCOMPARE(QString(w.form.PushButton2->text()).remove('&'), QStringLiteral("Stop Splitting"));
            QCOMPARE(w.form.PushButton2->accessibleName(), QStringLiteral("Stop Splitting"));
            if (byEscape)
                QTest::keyClick(&w.form, Qt::Key_Escape);
            else
                w.form.PushButton2->click();
        };
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(pressed);
        QCOMPARE(w.logLines(log), stopAt); // nothing started after the stop
        QString box = QStringLiteral("Splitting was stopped; ")
                      + (stopAt == 3 ? "this archive was not split:" : QString("these %1 archives were not split:").arg(4 - stopAt));
        QStringList split;
        for (int i = 0; i < 3; ++i)
            if (i + 1 < stopAt)
                split << entriesOf(archives[i]);
            else
                box += "\n" + archives[i] + ": stopped before it was split.";
        QCOMPARE(w.messageTexts(), QStringList{box});
        const QString stopped = QString("Splitting was stopped before %1.\n\n")
                                    .arg(stopAt == 3 ? QString("1 archive") : QString("%1 archives").arg(4 - stopAt));
        QVERIFY2(w.world.toolkit().messages().last().text.startsWith(stopped), qPrintable(w.world.toolkit().messages().last().text));
        split.sort();
        QCOMPARE(w.unionOfParts(), split); // finished archives keep their parts, the stopped one has none
        QVERIFY(w.clean());
        QCOMPARE(QString(w.form.PushButton2->text()).remove('&'), QStringLiteral("Start Splitting"));
        QCOMPARE(w.form.PushButton2->accessibleName(), QStringLiteral("Start Splitting"));
    }

    void spoiledPartsAreCaughtAndNamed_data()
    {
        QTest::addColumn<QByteArray>("spoil");
        QTest::addColumn<QString>("reason"); // a pattern
        const QString size = "part photos1.zip is \\d+ bytes where \\d+ were planned\\.";
        QTest::newRow("an entry dropped") << QByteArray("drop") << size;
        QTest::newRow("an entry twice") << QByteArray("dup") << "the splitting tool made 4 parts where 3 were planned\\.";
        QTest::newRow("a part cut short") << QByteArray("truncate") << size;
        QTest::newRow("a part over the size") << QByteArray("oversize") << size;
        QTest::newRow("a data byte changed") << QByteArray("flip")
                                             << "the data in part photos1.zip is not the archive's: the archive changed "
                                                "while it was being split, or the part was written wrong\\.";
    }
    void spoiledPartsAreCaughtAndNamed()
    {
        QFETCH(QByteArray, spoil);
        QFETCH(QString, reason);
        SplitWorld w;
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", spoil);
        w.world.makeFile("out/before.zip", "the user's own file");
        const QString archive = noisyZip(w.world.home() + "/in/photos.zip", 9, 20000, 5);
        w.form.setOptionValue(w.form.Option2, true);
        w.form.Text3->setText("3");
        w.form.fileList().append(archive);
        startSplittingAndWait(w.form);
        const QStringList boxes = w.messageTexts();
        QCOMPARE(boxes.size(), 1);
        const QRegularExpression expected("^This archive could not be split:\n" + QRegularExpression::escape(archive)
                                          + ": " + reason + "$");
        QVERIFY2(expected.match(boxes[0]).hasMatch(), qPrintable(boxes[0]));
        QCOMPARE(w.outputFiles(), QStringList{"before.zip"}); // none of its parts, and nothing else gone
        QVERIFY(w.clean());
    }

    void closingOrASignalMidRunStopsTheToolAndCleansUp_data()
    {
        QTest::addColumn<int>("signalNumber"); // 0: the window is closed
        QTest::newRow("window closed") << 0;
        QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
        QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
        QTest::newRow("SIGQUIT (Ctrl+\\)") << int(SIGQUIT);
    }
    void closingOrASignalMidRunStopsTheToolAndCleansUp()
    {
        QFETCH(int, signalNumber);
        SplitWorld w;
        SignalWatcher watcher; // wired as main() wires it
        int received = 0;
        QObject::connect(&watcher, &SignalWatcher::received, &w.form, [&](int number) {
            received = number;
            w.form.close();
        });
        w.world.context().toolSource = kStandIn;
        qputenv("QM_STAND_IN", "firstpart"); // the second archive's tool never ends by itself
        const QString log = w.world.home() + "/starts.log";
        qputenv("QM_STAND_IN_LOG", QFile::encodeName(log));
        const QString first = noisyZip(w.world.home() + "/in/a.zip", 2, 1000, 1);
        w.form.fileList().append(QStringList{first, noisyZip(w.world.home() + "/in/b.zip", 2, 1000, 2),
                                             noisyZip(w.world.home() + "/in/c.zip", 2, 1000, 3)});
        w.form.show();
        bool sent = false;
        const auto eachTurn = [&] {
            if (w.logLines(log) != 2 || sent)
                return;
            sent = true;
            if (signalNumber)
                ::kill(::getpid(), signalNumber);
            else
                w.form.close();
        };
        QElapsedTimer clock;
        clock.start();
        startSplittingAndWait(w.form, eachTurn);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(received, signalNumber);
        QVERIFY(!w.form.isVisible());
        QCOMPARE(w.logLines(log), 2); // the third archive was never started
        QCOMPARE(w.world.toolkit().messages().size(), 0);
        QCOMPARE(w.unionOfParts(), entriesOf(first)); // the first archive's parts stay
        QVERIFY(w.clean());
        QVERIFY(!w.form.isRunning());
    }

    void twoRunsAtOnceIntoOneFolderBothFinish()
    {
        SplitWorld w;
        Form1 other(w.world.context());
        other.Text1->setText(w.out);
        other.Text2->setText("1");
        w.form.Text2->setText("1");
        QStringList mine, theirs, expected;
        for (int i = 0; i < 3; ++i) {
            mine << noisyZip(w.world.home() + QStringLiteral("/in/mine%1.zip").arg(i), 2, 3000, 10 + i);
            theirs << noisyZip(w.world.home() + QStringLiteral("/in/theirs%1.zip").arg(i), 2, 3000, 20 + i);
            expected << entriesOf(mine.last()) << entriesOf(theirs.last());
        }
        expected.sort();
        w.form.fileList().append(mine);
        other.fileList().append(theirs);
        bool started = false;
        const auto eachTurn = [&] {
            if (!started) {
                started = true; // the other window's whole run happens inside this run's first wait
                other.PushButton2_Click();
            }
        };
        startSplittingAndWait(w.form, eachTurn);
        QTRY_VERIFY_WITH_TIMEOUT(!other.isRunning(), 60000);
        const auto boxes = w.world.toolkit().messages();
        QCOMPARE(boxes.size(), 2);
        for (const auto &box : boxes)
            QVERIFY2(box.text.startsWith("Done.") && !box.text.contains("could not be split"), qPrintable(box.text));
        QCOMPARE(w.unionOfParts(), expected);
        QVERIFY(w.allPartsValid());
        QVERIFY(w.clean());
    }
};

QTEST_MAIN(SplitRunTest)
#include "test_split_run.moc"
