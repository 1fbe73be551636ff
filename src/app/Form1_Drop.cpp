// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/AddFolder.h"
#include "app/FileListModel.h"
#include "common/AppError.h"
#include "common/Paths.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>

namespace qm {

namespace {

// A folder as the walk sees one: the path leads to a folder (links followed) and its own name is
// not hidden. Only stat() is used, so a fifo or a device is never opened.
bool isWalkableFolder(const QString &path)
{
    struct stat st;
    if (stat(paths::toRaw(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const QString trimmed = paths::withoutTrailingSeparator(path);
    if (paths::isRoot(trimmed))
        return true;
    const QString name = trimmed.mid(trimmed.lastIndexOf(paths::kSeparator) + 1);
    return !name.startsWith(QLatin1Char('.'));
}

} // namespace

QStringList Form1::droppedPaths(const QMimeData *data)
{
    QStringList out;
    if (!data || !data->hasUrls())
        return out;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return QStringList();
        out.append(url.toLocalFile());
    }
    return out;
}

bool Form1::ListView1_OLEDragOver(const QMimeData *data) const
{
    // Only a list of local files may land; text, links to web pages and the like are refused.
    return !isRunning() && !droppedPaths(data).isEmpty();
}

void Form1::ListView1_OLEDragDrop(const QStringList &dropped)
{
    if (isRunning())
        return;
    RowBatch rows(*m_files, &m_turns);
    const auto keepGoing = WhileShown(this);
    for (const QString &f : dropped) {
        if (!keepGoing())
            break;
        if (f.isEmpty())
            continue;
        if (!isWalkableFolder(f)) {
            rows.add(f); // a file, unchecked, and so is a hidden folder or a vanished path
            continue;
        }
        QStringList folders{paths::withTrailingSeparator(f)};
        try {
            CollectSubfolders(folders, true, keepGoing, &m_turns);
        } catch (const AppError &) {
            // The drop has no report of its own; what could be read is still added.
        }
        for (const QString &entry : std::as_const(folders)) {
            if (!keepGoing())
                break;
            const QString v = paths::withoutTrailingSeparator(entry);
            for (const QString &name : ListFiles(v, QStringLiteral("*.*"), &m_turns))
                if (!name.startsWith(QLatin1Char('~')))
                    rows.add(RowPath(v, name));
        }
        // Each dropped folder's files reach the list before the next dropped path is looked at.
        rows.flush();
    }
}

bool Form1::listDragEvent(QEvent *event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (ListView1_OLEDragOver(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!ListView1_OLEDragOver(drop->mimeData())) {
            drop->ignore();
            return true;
        }
        const QStringList dropped = droppedPaths(drop->mimeData());
        drop->acceptProposedAction();
        // Walk after the drop is answered, so the file manager is not kept waiting for a tree.
        QTimer::singleShot(0, this, [this, dropped] { ListView1_OLEDragDrop(dropped); });
        return true;
    }
    return false;
}

} // namespace qm
