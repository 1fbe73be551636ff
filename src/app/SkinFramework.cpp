// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinFramework.h"

#include "common/AppError.h"

#include <QFile>
#include <QRegularExpression>
#include <QWidget>

namespace qm {

void SkinFramework::LoadSkin(const QString &path, const QString &)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(75, AppError::tr("Skin file cannot be read: %1").arg(path));
    const QByteArray bytes = file.readAll();
    const QString sheet = QString::fromUtf8(bytes);
    if (sheet.contains(QChar(0)) || sheet.contains(QChar::ReplacementCharacter))
        throw AppError(5, AppError::tr("Skin file is not a style sheet: %1").arg(path));
    m_styleSheet = sheet;
    m_loaded = true;
}

namespace {

// Whether a sheet holds anything but comments and blanks: one that does not changes nothing, and
// setting it would still put the whole window through Qt's style-sheet engine.
bool hasRules(const QString &sheet)
{
    QString rest = sheet;
    rest.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    return !rest.trimmed().isEmpty();
}

} // namespace

void SkinFramework::ApplyWindow(QWidget *window)
{
    if (!m_loaded)
        throw AppError::invalidArgument();
    if (window && (m_options & 1) && hasRules(m_styleSheet))
        window->setStyleSheet(m_styleSheet);
}

} // namespace qm
