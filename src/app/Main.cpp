// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Main.h"

#include "cli/CommandLine.h"
#include "app/Form1.h"
#include "common/Translations.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "app/SkinFramework.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QLabel>
#include <QRadioButton>
#include <QResource>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

// Resources of a static library are only linked in when something names them.
static void initWindowResources()
{
    Q_INIT_RESOURCE(quillmere);
}

namespace qm {

QIcon ApplicationIcon()
{
    initWindowResources();
    // Raw pixels: a PNG would have Qt look up its image plugins and decode while the window starts.
    constexpr int side = 64;
    const QByteArray pixels = QResource(QStringLiteral(":/quillmere/quillmere-64.rgba")).uncompressedData();
    if (pixels.size() != side * side * 4)
        return QIcon();
    const QImage image(reinterpret_cast<const uchar *>(pixels.constData()), side, side, side * 4,
                       QImage::Format_RGBA8888);
    return QIcon(QPixmap::fromImage(image)); // the pixmap holds its own copy
}

QString GetSpecialFolderPath(int folder)
{
    if (folder != 0)
        return QString(QLatin1String(""));
    // Without a desktop folder the home folder stands in, as xdg-user-dirs does.
    for (const auto location : {QStandardPaths::DesktopLocation, QStandardPaths::HomeLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty() && QFileInfo(path).isDir())
            return paths::withoutTrailingSeparator(path);
    }
    return QString(QLatin1String(""));
}

QString DesktopFolder()
{
    const QString path = GetSpecialFolderPath(0);
    if (path.isEmpty())
        throw AppError::invalidArgument();
    return paths::withTrailingSeparator(path);
}

QPoint CentredTopLeft(const QRect &area, const QSize &frame)
{
    const double left = (area.width() - frame.width()) / 2.0;
    const double top = (area.height() - frame.height()) / 2.0;
    return QPoint(area.x() + static_cast<int>(left), area.y() + static_cast<int>(top));
}

void CentreForm(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw AppError::invalidArgument();
    // Never larger than the room panels leave; the window's least size still holds.
    const QRect room = screen->availableGeometry();
    const QSize frameExtra = window.frameGeometry().size() - window.size();
    window.resize(window.size().boundedTo(room.size() - frameExtra));
    const QSize frame = window.frameGeometry().size();
    QPoint topLeft = CentredTopLeft(screen->geometry(), frame);
    // Centred on the screen, but clear of its panels where it fits beside them.
    if (frame.width() <= room.width())
        topLeft.setX(qBound(room.left(), topLeft.x(), room.right() + 1 - frame.width()));
    if (frame.height() <= room.height())
        topLeft.setY(qBound(room.top(), topLeft.y(), room.bottom() + 1 - frame.height()));
    window.move(topLeft);
}

namespace {

// Before the window is shown its frame is not known, so the title bar is left out of the first
// centring; this centres it once more on the first expose, when the frame is there.
class FrameCentring : public QObject
{
public:
    explicit FrameCentring(QWidget &window) : QObject(&window), m_window(window)
    {
        setObjectName(QStringLiteral("qm_frameCentring"));
        window.installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QWindow *handle = m_window.windowHandle();
        if (watched == &m_window && event->type() == QEvent::Show && handle)
            handle->installEventFilter(this);
        else if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            try {
                CentreForm(m_window);
            } catch (const AppError &) {
                // No screen: the centring before the show has reported it already.
            }
            deleteLater();
        }
        return false;
    }

private:
    QWidget &m_window;
};

} // namespace

void CentreFormOnceFramed(QWidget &window)
{
    if (!window.findChild<QObject *>(QStringLiteral("qm_frameCentring"), Qt::FindDirectChildrenOnly))
        new FrameCentring(window);
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(path);
}

void ApplySkin(QWidget &window, SkinFramework &skin, const QString &applicationFolder)
{
    const QString skinFile = applicationFolder + QStringLiteral("/x/o.cjs");
    const QFileInfo info(skinFile);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return;

    // The theme's button face and text, from the application: Form1 paints some of these widgets
    // white with black text, and a skinned window must not keep that patch.
    const auto paintButtonFace = [theme = QApplication::palette()](QWidget *w, bool fill) {
        QPalette pal = w->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor face = theme.color(group, QPalette::Button);
            pal.setColor(group, QPalette::Window, face);
            pal.setColor(group, QPalette::Button, face);
            for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                pal.setColor(group, role, theme.color(group, role));
        }
        w->setPalette(pal);
        w->setAutoFillBackground(fill);
    };
    paintButtonFace(&window, true);
    const auto children = window.findChildren<QWidget *>();
    for (QWidget *child : children) {
        // Captions paint no back of their own, or a lighter block stands on their frame.
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child)
            || qobject_cast<QLabel *>(child))
            paintButtonFace(child, false);
        else if (qobject_cast<QGroupBox *>(child))
            paintButtonFace(child, true);
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
        throw AppError(61, AppError::tr("Disk full or write error: %1").arg(path));
    file.close();
}

void PrepareApplication(QCoreApplication &app, const QString &version)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationVersion(version);
    InstallTranslations(app, LanguagesFromEnvironment(QProcessEnvironment::systemEnvironment()));
}

void ShowStartWindow(Form1 &form, const QStringList &files)
{
    // The installed desktop file's id: Wayland's app id, and how the desktop finds our entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillmere.Quillmere"));
    form.Form_Load();
    form.show();
    const QStringList dropped = PathsToList(files, QDir::currentPath());
    if (!dropped.isEmpty())
        form.ListView1_OLEDragDrop(dropped);
}

} // namespace qm
