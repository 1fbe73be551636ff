#include "split/Shell32.h"
#include "split/SplitRun.h"
#include "split/PartNames.h"
#include "split/ZipSplit.h"
#include "common/AppError.h"

#include <QTest>

#include <cstdint>
#include <limits>

using namespace qm;

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
        const QStringList pieces = ZipSplitCommandPieces(tool, size, folder, archive);
        QCOMPARE(pieces.size(), 13);
        const ProcessCommand command = ZipSplitCommandLine(tool, size, folder, archive);
        QCOMPARE(command.text, "\"" + tool + "\" -n " + QString::number(size) + " -b \"" + folder + "\" \""
                                   + archive + "\"");
        QCOMPARE(command.text, pieces.join(QString()));
        QCOMPARE(command.program, tool);
        QCOMPARE(command.arguments,
                 QStringList({"-n", QString::number(size), "-b", folderArg, archiveArg}));
    }

    void windowStyle_data()
    {
        QTest::addColumn<int>("given"); // -100 = none given
        QTest::addColumn<int>("used");
        QTest::newRow("none") << -100 << 6;
        QTest::newRow("hidden") << 0 << 0;
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("6") << 6 << 6;
        QTest::newRow("7") << 7 << 6;
        QTest::newRow("-1") << -1 << 6;
    }
    void windowStyle()
    {
        QFETCH(int, given);
        QFETCH(int, used);
        QCOMPARE(ClampWindowStyle(given == -100 ? std::nullopt : std::optional<int>(given)), used);
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

QTEST_GUILESS_MAIN(SplitCommandTest)
#include "test_split_command.moc"
