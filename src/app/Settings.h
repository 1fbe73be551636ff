// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

#include <memory>

class QSettings;

namespace qm {

// The per-user settings store: INI file $XDG_CONFIG_HOME/Veltrane/Quillmere.conf, group
// [Quillmere], every value text. A read returns the default for a missing key. A store that
// cannot be read or written never stops the program: values then live in memory for the session,
// and a file that exists but cannot be read is never overwritten (nothing in it is lost).
class SettingsStore
{
public:
    // Opens the file at `path`; empty: the per-user file above.
    explicit SettingsStore(const QString &path = QString());
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    QString read(const QString &key, const QString &defaultValue) const;
    void write(const QString &key, const QString &value);
    bool exists(const QString &key) const;
    QString filePath() const { return m_path; }

    static QString defaultFilePath();

private:
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
    // Set when the file exists but could not be read: writing it would destroy its content.
    bool m_readOnly = false;
    QHash<QString, QString> m_overlay; // values written while the file cannot take them
};

} // namespace qm
