#pragma once

#include <QString>

namespace qm {

// The per-user settings store: INI file $XDG_CONFIG_HOME/Veltrane/Quillmere.conf, group
// [Quillmere], every value text. A read returns the default for a missing key. A store that
// cannot be read or written never stops the program: values then live in memory for the session,
// and a file that exists but cannot be read is never overwritten (nothing in it is lost).
QString ReadSetting(const QString &key, const QString &defaultValue);
void WriteSetting(const QString &key, const QString &value);
bool SettingExists(const QString &key);

QString settingsFilePath();
// Drops the open store so the next access reopens it (tests point XDG_CONFIG_HOME elsewhere).
void resetSettingsStore();

} // namespace qm
