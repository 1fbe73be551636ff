// SPDX-License-Identifier: GPL-3.0-or-later
// The part planner against the installed zipsplit: for archives from every writer on the
// machine, what zipsplit writes must be what the plan says, part by part, to the byte.
#include "TestSupport.h"

#include "app/FileListModel.h"
#include "app/Form1.h"
#include "archive/UnzipLibrary.h"
#include "split/PartPlan.h"
#include "split/ZipDirectory.h"

#include <QDir>
#include <QLineEdit>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace qm;

namespace {

// The source as a run lists it: through the archive reader over libunzip32.so.
ZipDirectory directoryOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QString failure;
    ZipDirectory directory = ListStoredDirectory(fd, std::make_shared<UnzipLibrary>(), failure);
    ::close(fd);
    return directory;
}

// A part as the run checks it: read straight from the file.
ZipDirectory partOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ZipDirectory directory = ReadPartDirectory(fd);
    ::close(fd);
    return directory;
}

// The corpus, made once for the whole test program.
const QString &corpus()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral(QUILLMERE_SOURCE_DIR "/tests/make_split_corpus.py"),
                                            dir.path(), QStringLiteral("--large")});
        return p.waitForFinished(300000) && p.exitCode() == 0;
    }();
    static const QString path = made ? dir.path() : QString();
    return path;
}

// zipsplit -n on the archive into a fresh folder; the parts' names, sizes and entries.
struct Written
{
    QStringList names;
    QVector<qint64> sizes;
    QVector<QList<QByteArray>> entries;
    int exitCode = -1;
};

Written zipSplit(const QString &archive, std::int64_t n)
{
    Written written;
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral("zipsplit"), {QStringLiteral("-n"), QString::number(n), QStringLiteral("-b"), out.path(),
                                         archive});
    p.waitForFinished(120000);
    written.exitCode = p.exitCode();
    for (const QFileInfo &part : QDir(out.path()).entryInfoList(QDir::Files, QDir::Name)) {
        written.names << part.fileName();
        written.sizes << part.size();
        QList<QByteArray> names;
        const ZipDirectory directory = partOf(part.filePath());
        for (const StoredZipEntry &entry : directory.entries)
            names << QByteArray::fromStdString(std::string(directory.name(entry)));
        written.entries << names;
    }
    return written;
}

QStringList entriesOf(const QString &archive)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Records what the run says of each archive.
class RecordingForm : public Form1
{
public:
    using Form1::Form1;
    QMap<QString, int> parts;
    QStringList failures;
    void archiveDone(int, int, const QString &archive, int count, const QString &failure) override
    {
        parts[archive] = count;
        if (!failure.isEmpty())
            failures << archive + QStringLiteral(": ") + failure;
    }
};

} // namespace

class PartPlanTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matchesZipSplit_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("parts"); // 0: by size, 1 MB
        QVERIFY(!corpus().isEmpty());
        const QStringList archives = QDir(corpus()).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
        QVERIFY(archives.size() >= 20);
        for (const QString &name : archives) {
            const bool large = name.contains(QLatin1String("70000"));
            // Encrypted and Zip64 archives by every count: the old guess-and-retry failed most.
            const bool every = name == QLatin1String("iz_enc.zip") || name == QLatin1String("iz_zip64.zip");
            QList<int> settings = large ? QList<int>{0, 2, 7, 40} : QList<int>{0, 2, 3, 4, 5, 7, 10, 16, 25, 40};
            if (every)
                for (int parts = 2; parts <= 40; ++parts)
                    if (!settings.contains(parts))
                        settings << parts;
            for (const int parts : settings)
                QTest::addRow("%s %s %d", qPrintable(name), parts ? "parts" : "1 MB", parts)
                    << corpus() + QLatin1Char('/') + name << parts;
        }
    }
    void matchesZipSplit()
    {
        QFETCH(QString, archive);
        QFETCH(int, parts);
        const ZipDirectory directory = directoryOf(archive);
        QCOMPARE(DirectoryProblem(directory.problem), QString());
        const PartPlanner planner(directory);
        const std::int64_t asked = parts ? QFileInfo(archive).size() / parts : 1048576;
        const PartPlan plan = parts ? planner.forParts(parts, asked) : planner.forSize(asked);
        QVERIFY(!plan.refused);
        const Written written = zipSplit(archive, plan.zipSplitSize);
        QCOMPARE(written.exitCode, 0);
        QCOMPARE(written.sizes.size(), qsizetype(plan.parts.size()));
        const std::int64_t comment = directory.comment.size(); // the run adds it; zipsplit does not
        for (std::size_t i = 0; i < plan.parts.size(); ++i) {
            QList<QByteArray> planned;
            for (const std::size_t entry : plan.parts[i].entries)
                planned << QByteArray::fromStdString(std::string(directory.name(directory.entries[entry])));
            QCOMPARE(written.entries[int(i)], planned);
            QCOMPARE(written.sizes[int(i)] + comment, plan.parts[i].size);
            QVERIFY(plan.parts[i].size <= plan.splitSize);
        }
        // Over the size asked for only when a single entry leaves no choice.
        if (!parts && plan.splitSize > asked)
            QCOMPARE(plan.splitSize, planner.smallestSplitSize());
        if (parts && plan.parts.size() > std::size_t(parts))
            QFAIL("more parts than asked for");
        if (QFileInfo(archive).fileName() == QLatin1String("py_six400k.zip") && (parts == 2 || parts == 3))
            QCOMPARE(plan.parts.size(), std::size_t(parts));
    }

    // The whole run over the corpus: every archive split, by parts never into more than asked,
    // by size no part over it but the one entry that cannot fit, every entry (folders too) kept.
    void wholeRunOverTheCorpus_data()
    {
        QTest::addColumn<int>("parts"); // 0: by size, 1 MB
        QTest::newRow("1 MB") << 0;
        QTest::newRow("2 parts") << 2;
        QTest::newRow("7 parts") << 7;
        QTest::newRow("40 parts") << 40;
    }
    void wholeRunOverTheCorpus()
    {
        QFETCH(int, parts);
        TestWorld world;
        const QString out = world.home() + QStringLiteral("/out");
        QDir().mkpath(out);
        qputenv("APPDATA", QFile::encodeName(world.home()));
        RecordingForm form(world.context());
        form.Text1->setText(out);
        form.Text2->setText(QStringLiteral("1"));
        form.Text3->setText(QString::number(parts));
        form.setOptionValue(parts ? form.Option2 : form.Option1, true);
        QStringList archives;
        for (const QString &name : QDir(corpus()).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name))
            archives << corpus() + QLatin1Char('/') + name;
        form.fileList().append(archives);
        startSplittingAndWait(form);
        qunsetenv("APPDATA");

        QCOMPARE(form.failures, QStringList());
        QStringList wanted, got;
        for (const QString &archive : archives) {
            wanted += entriesOf(archive);
            QVERIFY(form.parts.value(archive) >= 1);
            if (parts)
                QVERIFY2(form.parts.value(archive) <= parts, qPrintable(archive));
        }
        int over = 0;
        for (const QFileInfo &part : QDir(out).entryInfoList(QDir::Files)) {
            got += entriesOf(part.filePath());
            over += part.size() > 1048576;
        }
        if (!parts)
            QCOMPARE(over, 1); // py_oneentry.zip's 2.5 MB entry
        wanted.sort();
        got.sort();
        QCOMPARE(got, wanted);
    }
};

QTEST_MAIN(PartPlanTest)
#include "test_part_plan.moc"
