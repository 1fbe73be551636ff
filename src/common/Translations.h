// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringList>

class QCoreApplication;
class QProcessEnvironment;
class QTranslator;

namespace qm {

// The languages the user asks for, most wanted first, chosen as gettext chooses them: the locale
// is the first non-empty of LC_ALL, LC_MESSAGES and LANG; unless it is C or POSIX, LANGUAGE (a
// colon-separated list), when set, stands in its place. Each name is followed by its bare language
// ("de_AT.UTF-8@euro" gives "de_AT", "de"). Empty for the C locale or none at all.
QStringList LanguagesFromEnvironment(const QProcessEnvironment &environment);

// Installs the English plural forms ("1 part"), then on top the catalogue of the first language
// in `languages` that has one, with Qt's own for it (standard buttons) where that is installed.
// The translators are children of `app`; they are returned, in the order installed, for a caller
// that takes them out again.
QList<QTranslator *> InstallTranslations(QCoreApplication &app, const QStringList &languages);

} // namespace qm
