// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/CommonDialog.h"
#include "app/FileListModel.h"
#include "app/Settings.h"
#include "common/AppError.h"
#include "common/Paths.h"
#include "toolkit/ReportingHandler.h"
#include "toolkit/Toolkit.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTreeView>

namespace qm {

namespace {

// Multiple choice, explorer style, long names, read-only box. Qt's dialog takes no such bits; line
// 106 still sets them, so the handler keeps its steps and their labels.
constexpr long kOpenFlags = 2621953;

} // namespace

void Form1::PushButton1_Click()
{
    // The list is locked while a split run goes through it.
    if (isRunning())
        return;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton1_Click"));
    CommonDialog &dialog = CommonDialog1;

    h.step(104, [&] { dialog.FileName = QString(QLatin1String("")); });
    h.step(106, [&] { dialog.Flags = kOpenFlags; });
    h.step(108, [&] { dialog.DialogTitle = tr("Add File(s) - Hold Ctrl to select multiple files"); });
    h.step(110, [&] { dialog.Filter = tr("Zip Files (*.zip)") + QStringLiteral("|*.zip"); });
    h.also([&] { dialog.InitDir = dialogStartFolder(kOpenFolderKey); });
    bool tooMany = false;
    h.step(112, [&] {
        try {
            dialog.ShowOpen(m_ctx.toolkit);
        } catch (const AppError &e) {
            if (e.number() != CommonDialog::kBufferTooSmall)
                throw;
            tooMany = true;
        }
    });
    if (tooMany) {
        m_ctx.toolkit.msgBox(
            tr("You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."));
        return;
    }
    if (h.test(114, [&] { return dialog.FileName.isEmpty(); }))
        return;

    QStringList parts;
    h.step(116, [&] { parts = dialog.FileName.split(QChar(u'\0')); });
    h.also([&] {
        // One file comes back as its path, several as their folder followed by their names.
        m_ctx.settings.write(kOpenFolderKey, parts.size() == 1 ? QFileInfo(parts[0]).absolutePath() : parts[0]);
    });
    if (h.test(118, [&] { return parts.size() == 1; })) {
        h.step(120, [&] { m_files->append(parts.value(0)); });
        h.begin(122);
        return;
    }
    h.begin(124);
    h.begin(126);
    for (qsizetype k = 1; k < parts.size(); ++k) {
        h.begin(128);
        h.begin(134);
        QString path;
        h.step(136, [&] { path = paths::join(parts.at(0), parts.at(k)); });
        h.step(138, [&] { path = paths::repairRootJoin(path); });
        h.step(140, [&] { m_files->append(path); });
        h.begin(142);
    }
}

void Form1::PushButton5_Click()
{
    if (isRunning())
        return;
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton5_Click"));
    h.step(100, [&] { m_files->clear(); });
}

void Form1::ListView1_KeyDown(int keyCode)
{
    if (keyCode == 46)
        removeSelectedRow();
}

void Form1::ListView1_DblClick()
{
    removeSelectedRow();
}

void Form1::removeSelectedRow()
{
    // Removal never reports: no selection or an empty list simply does nothing.
    if (isRunning())
        return;
    // Any selected cell names its row: a row counts as selected with its path alone.
    const QModelIndexList selected = ListView1->selectionModel()
                                         ? ListView1->selectionModel()->selectedIndexes()
                                         : QModelIndexList();
    if (selected.isEmpty())
        return;
    try {
        m_files->remove(selected.first().row() + 1);
    } catch (const AppError &) {
    }
}

} // namespace qm
