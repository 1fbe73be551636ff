// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

class QCoreApplication;
class QIcon;
class QWidget;

namespace qm {

class Form1;
class SkinFramework;

// Names the program and installs the user's language: right after the application object,
// before any text is made.
void PrepareApplication(QCoreApplication &app, const QString &version);
// The window as the program starts it: the desktop file's id, loaded, shown, and the files from
// the command line listed as a drop of them would be.
void ShowStartWindow(Form1 &form, const QStringList &files);

// The program's icon, from the window library's resources.
QIcon ApplicationIcon();
// Path of a special folder (0 = desktop), without a trailing separator but the root; "" when
// unknown. The desktop is the XDG desktop folder, else the home folder, whichever exists.
QString GetSpecialFolderPath(int folder);
// The desktop folder followed by one separator; throws AppError::invalidArgument() without one.
QString DesktopFolder();
// Top-left of a frame of size `frame` centred on `area` (halves not rounded before the final pixel).
QPoint CentredTopLeft(const QRect &area, const QSize &frame);
// Centres the window, frame included, on the primary screen, shrunk to the room its panels leave.
void CentreForm(QWidget &window);
// Centres the window once more on its first expose, when its frame (title bar) is known.
void CentreFormOnceFramed(QWidget &window);
// True when the path exists (file or folder); never throws.
bool FileExists(const QString &path);
// Skins the window from <application folder>/x/o.cjs when that ordinary file is there.
void ApplySkin(QWidget &window, SkinFramework &skin, const QString &applicationFolder);
// Deletes a file, ignoring every failure.
void DeleteFileQuietly(const QString &path);
// The file holds exactly the bytes afterwards; throws on failure.
void WriteBytesToFile(const QByteArray &bytes, const QString &path);

} // namespace qm
