#include "common/Main.h"

#include "common/AppError.h"
#include "common/SkinFramework.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

namespace qm {

static QString &applicationFolderOverride()
{
    static QString folder;
    return folder;
}

QString ApplicationFolder()
{
    const QString &forced = applicationFolderOverride();
    return forced.isEmpty() ? QCoreApplication::applicationDirPath() : forced;
}

void setApplicationFolderForTests(const QString &folder)
{
    applicationFolderOverride() = folder;
}

QString GetSpecialFolderPath(int folder)
{
    if (folder != 0)
        return QString(QLatin1String(""));
    QString path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QString(QLatin1String(""));
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString DesktopFolder()
{
    const QString path = GetSpecialFolderPath(0);
    if (path.isEmpty())
        throw AppError::invalidArgument();
    return path + QLatin1Char('/');
}

void CentreForm(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw AppError::invalidArgument();
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    const double left = (area.width() - size.width()) / 2.0;
    const double top = (area.height() - size.height()) / 2.0;
    window.move(area.x() + static_cast<int>(left), area.y() + static_cast<int>(top));
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(path);
}

void ApplySkin(QWidget &window, SkinFramework &skin)
{
    const QString skinFile = ApplicationFolder() + QStringLiteral("/x/o.cjs");
    const QFileInfo info(skinFile);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return;

    const auto paintButtonFace = [](QWidget *w) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::Button));
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    };
    paintButtonFace(&window);
    const auto children = window.findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child)
            || qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paintButtonFace(child);
    }

    skin.LoadSkin(info.absoluteFilePath(), QString());
    skin.SetApplyOptions(skin.ApplyOptions() | 1);
    skin.SetApplyToDialogs(true);
    skin.SetAutoApplyNewWindows(true);
    skin.ApplyWindow(&window);
}

void DeleteFileQuietly(const QString &path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
}

void WriteBytesToFile(const QByteArray &bytes, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw AppError::pathFileAccess(path);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw AppError(61, QStringLiteral("Disk full or write error: ") + path);
    file.close();
}

} // namespace qm
