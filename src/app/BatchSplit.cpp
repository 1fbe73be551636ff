#include "app/BatchSplit.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "common/Context.h"
#include "common/Paths.h"
#include "common/SignalWatcher.h"
#include "common/Toolkit.h"
#include "split/SplitHost.h"
#include "split/SplitRun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

namespace qm {

namespace {

void print(std::FILE *err, const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fputs((lines + QLatin1Char('\n')).toLocal8Bit().constData(), err);
    std::fflush(err);
}

// Boxes become lines on standard error; there is nothing to choose and no pointer to show.
class ConsoleToolkit : public Toolkit
{
public:
    explicit ConsoleToolkit(std::FILE *err) : m_err(err) {}

    QStringList openFileNames(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return QString(); }
    bool openFolder(const QString &) override { return false; }
    void doEvents() override { QCoreApplication::processEvents(); }
    void waitForEvents(int maxMs) override
    {
        QTimer wakeUp;
        wakeUp.setSingleShot(true);
        wakeUp.start(maxMs);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void setMousePointer(QWidget *, int, const QCursor *) override {}

protected:
    int showMessage(const QString &text, int, int, const QString &) override
    {
        print(m_err, text);
        return vbOK;
    }
    QString showInput(const QString &, const QString &, const QString &) override { return QString(); }

private:
    std::FILE *m_err;
};

// The options of the command line in place of the window's fields.
class BatchHost : public SplitHost
{
public:
    BatchHost(const CommandLine &line, std::FILE *err) : m_line(line), m_err(err)
    {
        m_output = QFileInfo(line.output).absoluteFilePath();
        for (const QString &file : line.files)
            m_rows << QFileInfo(file).absoluteFilePath();
    }

    QString outputFolderText() const override { return m_output; }
    void setOutputFolderText(const QString &text) override { m_output = text; }
    void focusOutputFolder() override {}
    QString sizeText() const override { return m_line.byParts ? QStringLiteral("20") : m_line.number; }
    bool partsSelected() const override { return m_line.byParts; }
    QString partsText() const override { return m_line.byParts ? m_line.number : QStringLiteral("5"); }
    int rowCount() const override { return int(m_rows.size()); }
    QString rowText(int index) const override { return m_rows.value(index - 1); }
    void setProgress(double) override {}
    void setMousePointer(int) override {}
    void setRunning(bool) override {}
    void archiveDone(int row, int rows, const QString &archive, int parts, const QString &failure) override
    {
        const QString outcome = failure.isEmpty() ? QStringLiteral("%1 part%2").arg(parts).arg(parts == 1 ? "" : "s")
                                                  : failure;
        print(m_err, QStringLiteral("[%1/%2] %3: %4").arg(row).arg(rows).arg(QFileInfo(paths::shown(archive)).fileName(), outcome));
    }

    void archivePlanned(int row, int rows, const QString &archive, const PartPlan &plan) override
    {
        const QLocale english(QLocale::English);
        const qsizetype parts = qsizetype(plan.parts.size());
        print(m_err, QStringLiteral("[%1/%2] %3: %4 part%5, largest %6 bytes, split size %7")
                         .arg(row)
                         .arg(rows)
                         .arg(QFileInfo(paths::shown(archive)).fileName())
                         .arg(parts)
                         .arg(parts == 1 ? "" : "s")
                         .arg(english.toString(qlonglong(plan.largest())), english.toString(qlonglong(plan.splitSize))));
    }

private:
    const CommandLine &m_line;
    std::FILE *m_err;
    QString m_output;
    QStringList m_rows;
};

} // namespace

int RunBatchSplit(const CommandLine &line, std::FILE *err)
{
    if (!QFileInfo(line.output).isDir()) {
        print(err, QStringLiteral("quillmere: %1 is not an existing folder.").arg(line.output));
        return kExitUsage;
    }
    ConsoleToolkit toolkit(err);
    QTemporaryDir scratch; // a settings store nobody reads: the window's own is never touched
    SettingsStore settings(scratch.filePath(QStringLiteral("unused.conf")));
    Context context{toolkit, settings, QCoreApplication::applicationDirPath(), QString()};
    BatchHost host(line, err);
    SplitRun run(host, context);
    run.setDryRun(line.dryRun);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::received, [&run] { run.stop(); });
    run.execute();
    return run.allSplit() ? kExitAllSplit : kExitSomeFailed;
}

} // namespace qm
