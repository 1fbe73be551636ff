// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QProcessEnvironment>
#include <QTranslator>

#include <memory>

namespace qm {

namespace {

// "de_DE.UTF-8@euro" -> "de_DE": catalogues are named by language and country only.
QString withoutCodesetAndModifier(const QString &name)
{
    QString bare = name.left(name.indexOf(QLatin1Char('@')));
    return bare.left(bare.indexOf(QLatin1Char('.')));
}

bool isCLocale(const QString &name)
{
    const QString bare = withoutCodesetAndModifier(name);
    return bare == QLatin1String("C") || bare == QLatin1String("POSIX");
}

void addWithLanguage(QStringList &languages, const QString &name)
{
    const QString bare = withoutCodesetAndModifier(name);
    if (bare.isEmpty() || isCLocale(bare))
        return;
    const QString language = bare.left(bare.indexOf(QLatin1Char('_')));
    for (const QString &candidate : {bare, language})
        if (!candidate.isEmpty() && !languages.contains(candidate))
            languages << candidate;
}

bool install(QCoreApplication &app, const QString &file, QList<QTranslator *> &installed)
{
    auto translator = std::make_unique<QTranslator>();
    if (!QFile::exists(file) || !translator->load(file))
        return false;
    translator->setParent(&app);
    QCoreApplication::installTranslator(translator.get());
    installed << translator.release();
    return true;
}

} // namespace

QStringList LanguagesFromEnvironment(const QProcessEnvironment &environment)
{
    QString locale;
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment.value(QLatin1String(variable));
        if (!locale.isEmpty())
            break;
    }
    QStringList languages;
    if (locale.isEmpty() || isCLocale(locale))
        return languages; // gettext ignores LANGUAGE under the C locale, and so do we
    const QString wanted = environment.value(QStringLiteral("LANGUAGE"));
    for (const QString &name : wanted.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        addWithLanguage(languages, name);
    if (languages.isEmpty()) // as gettext: LANGUAGE replaces the locale, it does not add to it
        addWithLanguage(languages, locale);
    return languages;
}

QList<QTranslator *> InstallTranslations(QCoreApplication &app, const QStringList &languages)
{
    QList<QTranslator *> installed;
    const QString english = QStringLiteral(":/i18n/quillmere_en.qm");
    install(app, english, installed);
    for (const QString &language : languages) {
        const QString catalogue = QStringLiteral(":/i18n/quillmere_%1.qm").arg(language);
        if (!QFile::exists(catalogue))
            continue;
        if (catalogue != english) {
            install(app, catalogue, installed);
            // Qt's own catalogue translates the standard buttons (Yes, No, Cancel) and dialogs.
            const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
            install(app, qtFolder + QStringLiteral("/qtbase_%1.qm").arg(language), installed);
        }
        break;
    }
    return installed;
}

} // namespace qm
