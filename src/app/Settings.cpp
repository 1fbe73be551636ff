#include "app/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace qm {

namespace {

const QString kGroup = QStringLiteral("Quillmere");

struct Store
{
    std::unique_ptr<QSettings> settings;
    // Set when the file exists but could not be read: writing it would destroy its content.
    bool readOnly = false;
    QHash<QString, QString> overlay; // values written while the file cannot take them
};

Store &store()
{
    static Store s;
    if (!s.settings) {
        const QString path = settingsFilePath();
        const QFileInfo info(path);
        QDir().mkpath(info.absolutePath());
        s.readOnly = info.exists() && (!info.isFile() || !info.isReadable());
        s.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        s.overlay.clear();
    }
    return s;
}

} // namespace

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Veltrane/Quillmere.conf");
}

void resetSettingsStore()
{
    store().settings.reset();
}

QString ReadSetting(const QString &key, const QString &defaultValue)
{
    Store &s = store();
    const auto it = s.overlay.constFind(key);
    if (it != s.overlay.constEnd())
        return *it;
    const QVariant value = s.settings->value(kGroup + QLatin1Char('/') + key);
    if (!value.isValid())
        return defaultValue;
    // A list-looking value ("a, b") comes back as a QStringList; keep the text as written.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingExists(const QString &key)
{
    Store &s = store();
    return s.overlay.contains(key) || s.settings->contains(kGroup + QLatin1Char('/') + key);
}

void WriteSetting(const QString &key, const QString &value)
{
    Store &s = store();
    if (s.readOnly) {
        s.overlay.insert(key, value);
        return;
    }
    s.settings->setValue(kGroup + QLatin1Char('/') + key, value);
    s.settings->sync();
    if (s.settings->status() != QSettings::NoError)
        s.overlay.insert(key, value); // keep it for this session at least
    else
        s.overlay.remove(key);
}

} // namespace qm
