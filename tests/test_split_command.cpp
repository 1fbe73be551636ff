// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "split/Shell32.h"
#include "app/SplitHost.h"
#include "cli/CommandLine.h"
#include "app/NumberField.h"
#include "split/SplitChoice.h"
#include "app/SplitRun.h"
#include "split/ToolFile.h"
#include "split/PartNames.h"
#include "split/ZipSplit.h"
#include "common/AppError.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cstdint>
#include <limits>

using namespace qm;

namespace {

// The window as the split run sees it, without a window.
class FakeHost : public SplitHost
{
public:
    QString folder, size = "20", parts = "5";
    bool byParts = false;
    bool sizeFocused = false;
    bool partsFocused = false;
    QStringList rows;
    void focusSizeField() override { sizeFocused = true; }
    void focusPartsField() override { partsFocused = true; }
    QString outputFolderText() const override { return folder; }
    void setOutputFolderText(const QString &text) override { folder = text; }
    void focusOutputFolder() override {}
    QString sizeText() const override { return size; }
    bool partsSelected() const override { return byParts; }
    QString partsText() const override { return parts; }
    int rowCount() const override { return int(rows.size()); }
    QString rowText(int index) const override { return rows.value(index - 1); }
    void setProgress(double) override {}
    void setMousePointer(int) override {}
    void setRunning(bool) override {}
};

QByteArray filled(qint64 size)
{
    return QByteArray(size, 'q');
}

// A world whose tool is the stand-in that notes its arguments, and a host splitting into it.
void standInWorld(TestWorld &world, FakeHost &host)
{
    qputenv("APPDATA", QFile::encodeName(world.home()));
    qputenv("QM_STAND_IN", "args");
    qputenv("QM_STAND_IN_ARGS", QFile::encodeName(world.home() + "/args"));
    world.context().toolSource = QUILLMERE_STAND_IN_TOOL;
    host.folder = world.home();
}

} // namespace

class SplitCommandTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("folderArg");
        QTest::addColumn<QString>("archiveArg");
        const QString tool = QStringLiteral("/home/u/.local/share/Veltrane/Quillmere/zipsplit");
        QTest::newRow("plain") << tool << qint64(5242880) << "/out" << "/in/photos.zip" << "/out" << "/in/photos.zip";
        QTest::newRow("spaces") << "/my tools/zipsplit" << qint64(1) << "/my out" << "/in/my photos.zip"
                                << "/my out" << "/in/my photos.zip";
        QTest::newRow("quotes") << tool << qint64(300) << "/o\"ut" << "/in/it's \"x\".zip" << "/o\"ut"
                                << "/in/it's \"x\".zip";
        QTest::newRow("dollar and backticks") << tool << qint64(300) << "/$HOME" << "/in/`rm -rf ~`$(id).zip"
                                              << "/$HOME" << "/in/`rm -rf ~`$(id).zip";
        QTest::newRow("non-ASCII") << tool << qint64(300) << "/Ausgabe/Größe" << "/in/日本語 ärchiv.zip"
                                   << "/Ausgabe/Größe" << "/in/日本語 ärchiv.zip";
        QTest::newRow("leading dash") << tool << qint64(300) << "-out" << "-n.zip" << "./-out" << "./-n.zip";
        QTest::newRow("negative size") << tool << qint64(-5) << "/o" << "/a.zip" << "/o" << "/a.zip";
        QTest::newRow("beyond 4 GiB") << tool << qint64(6442450944) << "/o" << "/big.zip" << "/o" << "/big.zip";
    }
    void commandLine()
    {
        QFETCH(QString, tool);
        QFETCH(qint64, size);
        QFETCH(QString, folder);
        QFETCH(QString, archive);
        QFETCH(QString, folderArg);
        QFETCH(QString, archiveArg);
        const ProcessCommand command = ZipSplitCommandLine(tool, size, folder, archive);
        QCOMPARE(command.program, tool);
        QCOMPARE(command.arguments,
                 QStringList({"-n", QString::number(size), "-b", folderArg, archiveArg}));
    }

    // The -n each archive gets: size or parts, the raise to the minimum, odd files.
    void splitSizeEachArchiveGets_data()
    {
        QTest::addColumn<QString>("file"); // "zip:N" one stored entry of N bytes, "raw:N" N bytes, "none"
        QTest::addColumn<bool>("byParts");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<qint64>("n");          // -1: zipsplit is not started, -2: the file's length
        QTest::addColumn<QString>("asked"); // the field the user is sent back to, with a box saying why
        QTest::newRow("by size 20, largest 1,000") << "zip:1000" << false << "20" << "5" << qint64(20971520) << "";
        // Raised to the least zipsplit takes for the entry: its estimate (76 + 2 x 5-byte name + 2 x
        // 24 bytes of central extra fields + data) and the end record's 22.
        QTest::newRow("by size 1, largest 2,000,000: raised") << "zip:2000000" << false << "1" << "5"
                                                              << qint64(2000156) << "";
        QTest::newRow("by size 0: asked again") << "zip:5000" << false << "0" << "5" << qint64(-1) << "size";
        QTest::newRow("size not a number: asked again") << "zip:5000" << false << "ten" << "5" << qint64(-1) << "size";
        QTest::newRow("by parts 5, not a ZIP: refused") << "raw:10000003" << true << "20" << "5" << qint64(-1) << "";
        QTest::newRow("by parts 0: asked again") << "zip:5000" << true << "20" << "0" << qint64(-1) << "parts";
        QTest::newRow("parts not a number: asked again") << "zip:5000" << true << "20" << "x" << qint64(-1) << "parts";
        QTest::newRow("by parts, leftover text for the size") << "zip:5000" << true << "abc" << "1" << qint64(-2) << "";
        QTest::newRow("by size, leftover text for the parts") << "zip:1000" << false << "20" << "99999"
                                                             << qint64(20971520) << "";
        QTest::newRow("by parts, 0-byte file") << "raw:0" << true << "20" << "5" << qint64(-1) << "";
        QTest::newRow("by parts, vanished file") << "none" << true << "20" << "5" << qint64(-1) << "";
    }
    void splitSizeEachArchiveGets()
    {
        QFETCH(QString, file);
        QFETCH(bool, byParts);
        QFETCH(QString, size);
        QFETCH(QString, parts);
        QFETCH(qint64, n);
        QFETCH(QString, asked);
        TestWorld world;
        FakeHost host;
        standInWorld(world, host);
        host.size = size;
        host.parts = parts;
        host.byParts = byParts;
        const qint64 length = file.section(':', 1).toLongLong();
        if (file.startsWith("zip"))
            host.rows << makeZip(world.home() + "/a.zip", {{"a.bin", filled(length)}}, {"-0"});
        else
            host.rows << (file == "none" ? world.home() + "/gone.zip" : world.makeFile("a.raw", filled(length)));
        SplitRun run(host, world.context());
        QSignalSpy ended(&run, &SplitRun::ended);
        if (run.start())
            QVERIFY(ended.wait(30000));
        qunsetenv("APPDATA");

        QFile args(world.home() + "/args");
        const QStringList got = args.open(QIODevice::ReadOnly) ? QString::fromUtf8(args.readAll()).split('\n')
                                                               : QStringList();
        QCOMPARE(got.value(got.indexOf("-n") + 1, "-1").toLongLong(), n == -2 ? QFileInfo(host.rows[0]).size() : n);
        const auto boxes = world.toolkit().messages();
        for (const auto &box : boxes)
            QVERIFY2(box.title != "Application Error", qPrintable(box.text));
        const QString ask = asked == "size"    ? "Please input a split size from 1 to 2047 MB."
                            : asked == "parts" ? "Please input a number of parts from 1 to 32767."
                                               : QString();
        if (!ask.isEmpty())
            QCOMPARE(boxes.value(0).text, ask);
        QCOMPARE(host.sizeFocused, asked == "size");
        QCOMPARE(host.partsFocused, asked == "parts");
    }

    // What a user may type in either number field: the run, batch mode and the field itself agree
    // on what is a number in range, and nothing typed is an error report.
    void typedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("megabytes"); // 0: refused
        QTest::addColumn<int>("parts");
        QTest::newRow("letters") << "abc" << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("spaces") << "   " << 0 << 0;
        QTest::newRow("spaces around") << " 12\t" << 12 << 12;
        QTest::newRow("a unit") << "20MB" << 0 << 0;
        QTest::newRow("a unit apart") << "20 MB" << 0 << 0;
        QTest::newRow("minus") << "-5" << 0 << 0;
        QTest::newRow("plus") << "+7" << 7 << 7;
        QTest::newRow("half rounds to even") << "2.5" << 2 << 2;
        QTest::newRow("half rounds up to even") << "3.5" << 4 << 4;
        QTest::newRow("a comma") << "1,5" << 0 << 0;
        QTest::newRow("0") << "0" << 0 << 0;
        QTest::newRow("less than a half") << "0.4" << 0 << 0;
        QTest::newRow("1") << "1" << 1 << 1;
        QTest::newRow("2047") << "2047" << 2047 << 2047;
        QTest::newRow("2048") << "2048" << 0 << 2048;
        QTest::newRow("32767") << "32767" << 0 << 32767;
        QTest::newRow("32768") << "32768" << 0 << 0;
        QTest::newRow("past 32 bits") << "99999999999" << 0 << 0;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0662") << 0 << 0;
        QTest::newRow("full-width digits") << QString::fromUtf8("\uff11\uff12") << 0 << 0;
        QTest::newRow("1,000 nines") << QString(1000, '9') << 0 << 0;
        QTest::newRow("1,000 characters of 5") << QString(999, '0') + "5" << 5 << 5;
    }
    void typedTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, megabytes);
        QFETCH(int, parts);
        QCOMPARE(MegabytesFromText(text).value_or(0), megabytes);
        QCOMPARE(PartsFromText(text).value_or(0), parts);
        for (const bool byParts : {false, true}) {
            const int wanted = byParts ? parts : megabytes;
            const CommandLine line = ParseCommandLine(
                {"--split", byParts ? "--parts" : "--size", text, "--output", "o", "a.zip"});
            QCOMPARE(line.error.isEmpty(), wanted > 0);
            QObject owner;
            NumberFieldValidator field(byParts ? &PartsFromText : &MegabytesFromText, byParts ? kMostParts : kMostMegabytes,
                                       &owner);
            QString typed = text;
            int pos = 0;
            QCOMPARE(field.validate(typed, pos) == QValidator::Acceptable, wanted > 0);

            TestWorld world;
            FakeHost host;
            standInWorld(world, host);
            host.byParts = byParts;
            (byParts ? host.parts : host.size) = text;
            (byParts ? host.size : host.parts) = text + "x"; // the other field's leftovers are not read
            host.rows << makeZip(world.home() + "/a.zip", {{"a.bin", filled(1000)}}, {"-0"});
            SplitRun run(host, world.context());
            QSignalSpy ended(&run, &SplitRun::ended);
            QCOMPARE(run.start(), wanted > 0);
            if (wanted > 0)
                QVERIFY(ended.wait(30000));
            qunsetenv("APPDATA");
            const auto boxes = world.toolkit().messages();
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].title != "Application Error", qPrintable(boxes[0].text));
            QCOMPARE(boxes[0].text.startsWith("Please input"), wanted <= 0);
            if (wanted > 0 && !byParts)
                QVERIFY(QFile::exists(world.home() + "/args"));
        }
    }

    void splitSizeFromParts_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("parts");
        QTest::addColumn<qint64>("size");
        QTest::newRow("remainder dropped") << qint64(10000003) << 5 << qint64(2000000);
        QTest::newRow("0 parts count as 1") << qint64(777) << 0 << qint64(777);
        QTest::newRow("negative parts") << qint64(900) << -3 << qint64(-300);
        QTest::newRow("5 GiB in 2") << qint64(5368709120) << 2 << qint64(2684354560);
        QTest::newRow("Zip64 in 1") << qint64(6442450944) << 1 << qint64(6442450944);
    }
    void splitSizeFromParts()
    {
        QFETCH(qint64, length);
        QFETCH(int, parts);
        QFETCH(qint64, size);
        QCOMPARE(SplitSizeFromParts(length, static_cast<std::int16_t>(parts)), size);
    }

    void timesKilo_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("result"); // 0 = overflow
        QTest::newRow("20") << 20 << 20480;
        QTest::newRow("2047 MB second step") << 2096128 << 2146435072;
        QTest::newRow("2048 MB second step overflows") << 2097152 << 0;
        QTest::newRow("huge first step overflows") << 3000000 << 0;
        QTest::newRow("negative") << -5 << -5120;
    }
    void timesKilo()
    {
        QFETCH(int, value);
        QFETCH(int, result);
        if (result == 0) {
            QVERIFY_THROWS_EXCEPTION(AppError, TimesKilo(value));
            return;
        }
        QCOMPARE(TimesKilo(value), result);
    }

    void nameShowingSource_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<QString>("name");
        QTest::newRow("second") << "/in/backup_2022.zip" << "backup-1.zip" << 2 << "backup_2022-backup-1 (2).zip";
        QTest::newRow("dotted archive") << "/in/a.b.zip" << "a-1.zip" << 1 << "a.b-a-1.zip";
        QTest::newRow("long name cut to 255 bytes at a character") << "/in/" + QString(125, QChar(0x0414)) + "x.zip"
                                                                   << "ДДД1.zip" << 2
                                                                   << QString(119, QChar(0x0414)) + "-ДДД1 (2).zip";
    }
    void nameShowingSource()
    {
        QFETCH(QString, archive);
        QFETCH(QString, part);
        QFETCH(int, attempt);
        QFETCH(QString, name);
        QCOMPARE(NameShowingSource(archive, part, attempt), name);
    }
};

QTEST_MAIN(SplitCommandTest)
#include "test_split_command.moc"
