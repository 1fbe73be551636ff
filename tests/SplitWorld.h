// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's split tests share: a world with its own APPDATA and output folder, a window
// ready to split, and archives of incompressible entries. Included by one test file each.
#pragma once

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
[[maybe_unused]] QList<QByteArray> rawNames(const QString &folder)
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
