// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/AddFolder.h"
#include "app/FileListModel.h"
#include "app/Settings.h"
#include "common/AppError.h"
#include "app/Main.h"
#include "common/Paths.h"
#include "toolkit/ReportingHandler.h"
#include "toolkit/Toolkit.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace qm {

QString Form1::dialogStartFolder(const QString &key) const
{
    const QString last = m_ctx.settings.read(key, QString());
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

QString Form1::browseForFolder()
{
    const QString chosen =
        BrowseForFolder(m_ctx.toolkit, this, tr("Please select folder:"), dialogStartFolder(kBrowseFolderKey));
    if (!chosen.isEmpty())
        m_ctx.settings.write(kBrowseFolderKey, chosen);
    return chosen;
}

void Form1::PushButton3_Click()
{
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton3_Click"));
    QString path;
    h.step(100, [&] { path = browseForFolder(); });
    if (h.test(102, [&] { return path.isEmpty(); }))
        return;
    if (h.test(104, [&] { return !paths::endsWithSeparator(path); }))
        h.step(106, [&] { Text1->setText(path + paths::kSeparator); });
    else
        h.step(108, [&] { Text1->setText(path); });
}

void Form1::PushButton4_Click()
{
    if (isRunning())
        return;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton4_Click"));
    QString extension;
    h.step(100, [&] {
        const QString prompt = tr("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
                                  "all doc files, etc.)");
        extension = m_ctx.toolkit.inputBox(prompt, QString(), QStringLiteral("zip"));
    });
    if (h.test(102, [&] { return extension.isEmpty(); }))
        return;
    QString folder;
    h.step(104, [&] { folder = browseForFolder(); });
    if (h.test(106, [&] { return folder.isEmpty(); }))
        return;

    // A second import started while this one walks must not take the hourglass away from it.
    ++m_importDepth;
    h.step(112, [&] { setMousePointer(vbHourglass); });
    QStringList folders;
    h.step(114, [&] { folders = QStringList{paths::withTrailingSeparator(folder)}; });
    const auto keepGoing = WhileShown(this);
    h.step(116, [&] { CollectSubfolders(folders, true, keepGoing, &m_turns); });

    const QString pattern = QStringLiteral("*.") + extension;
    {
        RowBatch rows(*m_files, &m_turns);
        for (const QString &entry : std::as_const(folders)) {
            if (!keepGoing())
                break;
            h.begin(118);
            QString v;
            h.step(120, [&] { v = paths::withoutTrailingSeparator(entry); });
            QStringList names;
            h.step(122, [&] { names = ListFiles(v, pattern, &m_turns); });
            for (const QString &name : std::as_const(names)) {
                h.begin(124);
                if (!h.test(126, [&] { return !name.startsWith(QLatin1Char('~')); }))
                    continue;
                QString s;
                h.step(128, [&] { s = paths::join(v, name); });
                h.step(132, [&] { rows.add(paths::repairRootJoin(s)); });
                h.begin(134);
            }
        }
    }
    --m_importDepth;
    if (m_importDepth == 0)
        h.step(136, [&] { setMousePointer(vbDefault); });
}

void Form1::PushButton6_Click()
{
    if (isRunning())
        return;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton6_Click"));
    const QString samples = paths::join(m_ctx.applicationFolder, QStringLiteral("Samples"));
    QStringList names;
    h.step(100, [&] { names = ListFiles(samples, QStringLiteral("*.*"), &m_turns); });
    h.begin(102);
    for (const QString &name : std::as_const(names))
        h.step(104, [&] { m_files->append(paths::join(samples, name)); });
    int answer = vbNo;
    h.step(106, [&] {
        answer = m_ctx.toolkit.msgBox(tr("Would you like this software to open the folder where these sample files are "
                                         "stored (so that you can view them before working with them)?"),
                                      vbYesNo);
    });
    if (h.test(108, [&] { return answer == vbYes; }))
        h.also([&] {
            const QString folder = paths::withTrailingSeparator(samples);
            // The design ignores a shell that could not open it; saying so is kinder.
            if (!m_ctx.toolkit.openFolder(folder))
                throw AppError::pathFileAccess(folder);
        });
    h.also([&] { Text2->setText(QStringLiteral("1")); });
    h.also([&] { Text3->setText(QStringLiteral("5")); });
}

} // namespace qm
