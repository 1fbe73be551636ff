// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommonDialog.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "toolkit/Toolkit.h"

#include <QFileInfo>
#include <QStringList>

namespace qm {

namespace {

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(paths::kSeparator);
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

QString CommonDialog::resultText(const QStringList &paths)
{
    if (paths.isEmpty())
        return QString(QLatin1String(""));
    if (paths.size() == 1)
        return paths.first();

    // Several names share the dialog's folder. Should they not (a chooser that searched
    // sub-folders), the root stands in as the folder and each name keeps the rest of its path,
    // so folder + "/" + name still gives the file that was chosen.
    QString folder = parentFolder(paths.first());
    for (const QString &p : paths)
        if (parentFolder(p) != folder) {
            folder = QStringLiteral("/");
            break;
        }
    QString text = folder;
    for (const QString &p : paths) {
        text += QChar(u'\0');
        if (paths::isRoot(folder))
            text += p.mid(1);
        else
            text += p.mid(folder.size() + 1);
    }
    return text;
}

void CommonDialog::ShowOpen(Toolkit &toolkit)
{
    const qsizetype bar = Filter.indexOf(QLatin1Char('|'));
    const QString description = bar < 0 ? Filter : Filter.left(bar);
    const QString pattern = bar < 0 ? QString() : Filter.mid(bar + 1);

    QStringList chosen = toolkit.openFileNames(DialogTitle, description, pattern, InitDir);
    for (QString &p : chosen)
        if (QFileInfo(p).isRelative())
            p = QFileInfo(p).absoluteFilePath();
    if (chosen.isEmpty())
        return; // cancelled: FileName stays as it was
    const QString text = resultText(chosen);
    // One NUL ends a single name; the list of several ends with two.
    const qsizetype needed = text.size() + (chosen.size() == 1 ? 1 : 2);
    if (needed > MaxFileSize)
        throw AppError(kBufferTooSmall, AppError::tr("The buffer at lpstrFile is too small"));
    FileName = text;
}

} // namespace qm
