#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace qm {

class SkinFramework;

// Folder of the running program (no trailing separator); tests may point it elsewhere.
QString ApplicationFolder();
void setApplicationFolderForTests(const QString &folder);

// Path of a special folder (0 = desktop), without a trailing separator; "" when unknown.
QString GetSpecialFolderPath(int folder);
// The desktop folder followed by one separator; throws AppError::invalidArgument() without one.
QString DesktopFolder();
// Centres the window on the primary screen (halves not rounded before the final pixel).
void CentreForm(QWidget &window);
// True when the path exists (file or folder); never throws.
bool FileExists(const QString &path);
// Skins the window from <application folder>/x/o.cjs when that ordinary file is there.
void ApplySkin(QWidget &window, SkinFramework &skin);
// Deletes a file, ignoring every failure.
void DeleteFileQuietly(const QString &path);
// The file holds exactly the bytes afterwards; throws on failure.
void WriteBytesToFile(const QByteArray &bytes, const QString &path);

} // namespace qm
