// SPDX-License-Identifier: GPL-3.0-or-later
// The list's plan column: what a dry run says, for the fields as they stand, without the window
// waiting for it.
#include "TestSupport.h"

#include "app/FileListModel.h"
#include "app/Form1.h"
#include "app/PlanPreview.h"
#include "archive/UnzipLibrary.h"
#include "split/ArchiveSplit.h"
#include "split/SplitJob.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

using namespace qm;

namespace {

const QString kPending = QStringLiteral("\u2026");

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// `count` stored entries of `size` random bytes each.
QString noisyZip(const QString &path, int count, int size)
{
    QList<QPair<QString, QByteArray>> entries;
    for (int i = 0; i < count; ++i)
        entries.append({QStringLiteral("e%1.bin").arg(i), noise(size, quint32(i + 1))});
    return makeZip(path, entries, {QStringLiteral("-0")});
}

void setFields(Form1 &form, bool byParts, const QString &number)
{
    form.setOptionValue(byParts ? form.Option2 : form.Option1, true);
    (byParts ? form.Text3 : form.Text2)->setText(number);
}

QModelIndex planCell(Form1 &form, int row)
{
    return form.fileList().index(row, 1);
}

QString planText(Form1 &form, int row)
{
    return planCell(form, row).data().toString();
}

bool allPlanned(Form1 &form)
{
    for (int row = 0; row < form.rowCount(); ++row)
        if (const QString text = planText(form, row); text.isEmpty() || text == kPending)
            return false;
    return true;
}

// What `quillmere --split --dry-run` says of each archive: "parts<TAB>largest" for one it plans,
// its reason for one it cannot.
QStringList dryRun(const QString &home, bool byParts, const QString &number, const QStringList &archives)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // English, as the window in tests
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUILLMERE_PROGRAM),
                  QStringList{"--split", "--dry-run", byParts ? "--parts" : "--size", number, "--output", home} + archives);
    program.waitForFinished(60000);
    QHash<QString, QString> said;
    for (const QByteArray &line : program.readAllStandardOutput().split('\n'))
        if (const QList<QByteArray> f = line.split('\t'); f.size() == 4)
            said[QString::fromUtf8(f[0])] = QString::fromUtf8(f[1] + '\t' + f[2]);
    const QList<QByteArray> errors = program.readAllStandardError().split('\n');
    QStringList out;
    for (int i = 0; i < archives.size(); ++i) {
        const QByteArray head = QStringLiteral("[%1/%2] ").arg(i + 1).arg(archives.size()).toUtf8();
        QString reason;
        for (const QByteArray &line : errors)
            if (line.startsWith(head))
                reason = QString::fromUtf8(line.mid(line.indexOf(": ") + 2));
        out << said.value(archives[i], reason);
    }
    return out;
}

} // namespace

class PlanColumnTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each row's cell says what the dry run says of its archive: parts and the largest in MB,
    // or in a few words why not, the dry run's reason in its tooltip. A field out of range
    // plans nothing and says nothing.
    void cellsSayWhatTheDryRunSays_data()
    {
        QTest::addColumn<bool>("byParts");
        QTest::addColumn<QString>("number");
        QTest::newRow("by size") << false << "1";
        QTest::newRow("by parts") << true << "3";
        QTest::newRow("size out of range") << false << "0";
        QTest::newRow("parts not a number") << true << "";
    }
    void cellsSayWhatTheDryRunSays()
    {
        QFETCH(bool, byParts);
        QFETCH(QString, number);
        TestWorld world;
        const QStringList archives{noisyZip(world.home() + "/big.zip", 5, 500000),
                                   noisyZip(world.home() + "/small.zip", 1, 200000),
                                   world.makeFile("notes.zip", "not an archive"), world.makeFile("empty.zip")};
        Form1 form(world.context());
        form.Form_Load();
        setFields(form, byParts, number);
        form.fileList().append(archives);
        QCOMPARE(form.fileList().index(0, 0).data().toString(), archives[0]); // the path stays first
        const QStringList said = dryRun(world.home(), byParts, number, archives);
        if (said.first().isEmpty()) { // the dry run refuses the number: nothing is planned
            QTest::qWait(200);
            for (int row = 0; row < archives.size(); ++row)
                QCOMPARE(planText(form, row), QString());
            QCOMPARE(world.toolkit().shown.size(), 0);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(allPlanned(form), 30000);
        const QStringList fewWords{QString(), QString(), "not a ZIP archive or damaged", "empty file"};
        for (int row = 0; row < archives.size(); ++row) {
            const QString tip = planCell(form, row).data(Qt::ToolTipRole).toString();
            if (!fewWords[row].isEmpty()) {
                QCOMPARE(planText(form, row), fewWords[row]);
                QCOMPARE(tip, said[row]);
                continue;
            }
            const QStringList planned = said[row].split('\t');
            QCOMPARE(planned.size(), 2);
            const int parts = planned[0].toInt();
            const QString largest = QString::number(planned[1].toLongLong() / 1048576.0, 'f', 1);
            QCOMPARE(planText(form, row), QStringLiteral("%1 part%2, largest %3 MB").arg(parts).arg(parts == 1 ? "" : "s", largest));
            QCOMPARE(tip, QString());
        }
        QVERIFY(planText(form, 0) != planText(form, 1)); // big.zip is split, small.zip is not
    }

    // Plans made for fields since changed, or for rows since removed or cleared, never land: each
    // plan as it lands is the plan of its own row's archive for the fields as they are then.
    void stalePlansNeverLand()
    {
        TestWorld world;
        const QString a = noisyZip(world.home() + "/a.zip", 6, 300000);
        const QString b = noisyZip(world.home() + "/b.zip", 1, 200000);
        Form1 form(world.context());
        form.Form_Load();
        QHash<QString, QString> expected; // by fields and archive
        const auto expectedNow = [&](const QString &archive) {
            SplitChoice choice;
            choice.archives = {archive};
            choice.dryRun = true;
            const bool byParts = form.Option2->isChecked();
            (byParts ? choice.parts : choice.megabytes) = (byParts ? form.Text3 : form.Text2)->text().toInt();
            const QString key = QStringLiteral("%1 %2 %3").arg(byParts).arg(choice.parts + choice.megabytes).arg(archive);
            if (!expected.contains(key)) {
                SplitRequest request = MakeSplitRequest(choice);
                request.library = std::make_shared<UnzipLibrary>();
                expected[key] = ShownPlan(PlanArchive(ArchiveRequest(request, 0)), archive).text;
            }
            return expected[key];
        };
        int landed = 0;
        QStringList wrong;
        connect(&form.fileList(), &FileListModel::dataChanged, this, [&](const QModelIndex &first, const QModelIndex &last) {
            for (int row = first.row(); row <= last.row(); ++row) {
                const QString text = planText(form, row);
                if (first.column() != 1 || text == kPending || text.isEmpty())
                    continue;
                ++landed;
                if (text != expectedNow(form.rowText(row + 1)))
                    wrong << QStringLiteral("row %1: %2").arg(row).arg(text);
            }
        });
        setFields(form, false, "1");
        for (int i = 0; i < 200; ++i)
            form.fileList().append(QStringList{a, b});
        QTest::qWait(10);
        form.Text2->setText("2");
        QTest::qWait(10);
        for (int i = 0; i < 25; ++i) {
            form.fileList().remove(1 + (i * 7) % form.rowCount());
            QCoreApplication::processEvents();
        }
        setFields(form, true, "3");
        QTest::qWait(10);
        form.Text3->setText("6");
        QTest::qWait(10);
        form.PushButton5_Click();
        form.fileList().append(QStringList{b, a, b});
        form.Text3->setText("3");
        QTRY_VERIFY_WITH_TIMEOUT(allPlanned(form), 30000);
        QTest::qWait(100); // anything still on its way lands now
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 5).join('\n')));
        QVERIFY(landed >= 3);
        QCOMPARE(planText(form, 0), expectedNow(b));
        QCOMPARE(planText(form, 1), expectedNow(a));
        QVERIFY(expectedNow(a) != expectedNow(b));
    }

    // A run plans its archives itself; the column waits meanwhile and has every row after it.
    void everyRowIsPlannedAfterARun()
    {
        TestWorld world;
        QVERIFY(QDir().mkpath(world.home() + "/out"));
        QStringList archives;
        for (int i = 0; i < 20; ++i)
            archives << noisyZip(world.home() + QStringLiteral("/in%1.zip").arg(i), 3, 20000);
        Form1 form(world.context());
        form.Text1->setText(world.home() + "/out");
        setFields(form, false, "1");
        form.fileList().append(archives);
        startSplittingAndWait(form);
        QTRY_VERIFY_WITH_TIMEOUT(allPlanned(form), 30000);
        QCOMPARE(planText(form, 19), planText(form, 0));
    }

    // 1,000 rows are planned while the window keeps answering.
    void windowStaysLiveWhileAThousandRowsPlan()
    {
        TestWorld world;
        QVERIFY(QDir().mkpath(world.home() + "/in"));
        const QString first = noisyZip(world.home() + "/in/0.zip", 3, 20000);
        QStringList archives{first};
        for (int i = 1; i < 1000; ++i) {
            archives << world.home() + QStringLiteral("/in/%1.zip").arg(i);
            QVERIFY(QFile::copy(first, archives.last()));
        }
        Form1 form(world.context());
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QElapsedTimer clock;
        qint64 last = 0, longest = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        probe.start(5);
        form.fileList().append(archives);
        QTRY_VERIFY_WITH_TIMEOUT(allPlanned(form), 60000);
        probe.stop();
        QVERIFY2(longest < 250, qPrintable(QStringLiteral("longest gap %1 ms").arg(longest)));
        QCOMPARE(planText(form, 999), planText(form, 0));
    }
};

QTEST_MAIN(PlanColumnTest)
#include "test_plan_column.moc"
