// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace qm {

namespace {

QString keyInGroup(const QString &key)
{
    return QStringLiteral("Quillmere/") + key;
}

} // namespace

QString SettingsStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Veltrane/Quillmere.conf");
}

SettingsStore::SettingsStore(const QString &path) : m_path(path.isEmpty() ? defaultFilePath() : path)
{
    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    m_readOnly = info.exists() && (!info.isFile() || !info.isReadable());
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString &key, const QString &defaultValue) const
{
    const auto it = m_overlay.constFind(key);
    if (it != m_overlay.constEnd())
        return *it;
    const QVariant value = m_settings->value(keyInGroup(key));
    if (!value.isValid())
        return defaultValue;
    // A list-looking value ("a, b") comes back as a QStringList; keep the text as written.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingsStore::exists(const QString &key) const
{
    return m_overlay.contains(key) || m_settings->contains(keyInGroup(key));
}

void SettingsStore::write(const QString &key, const QString &value)
{
    // The window sets its fields from the store at start, and each change writes: a value the
    // store holds already costs no write and no flush to disk.
    if (!m_overlay.contains(key) && m_settings->contains(keyInGroup(key)) && read(key, QString()) == value)
        return;
    if (m_readOnly) {
        m_overlay.insert(key, value);
        return;
    }
    m_settings->setValue(keyInGroup(key), value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        m_overlay.insert(key, value); // keep it for this session at least
    else
        m_overlay.remove(key);
}

} // namespace qm
