// SPDX-License-Identifier: GPL-3.0-or-later
// The user's language: which catalogues the environment asks for, and the window and the run's
// box in German (or exactly as today in English) with their captions inside their controls.
#include "TestSupport.h"

#include "app/FileListModel.h"
#include "app/Form1.h"
#include "common/Translations.h"
#include "split/RunReport.h"

#include <QGroupBox>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace qm;

class TranslationsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void languagesFromEnvironment_data()
    {
        QTest::addColumn<QStringList>("variables"); // NAME=value
        QTest::addColumn<QStringList>("languages");
        const QStringList german{"de_DE", "de"};
        QTest::newRow("LANG") << QStringList{"LANG=de_DE.UTF-8"} << german;
        QTest::newRow("codeset and modifier") << QStringList{"LANG=de_DE.UTF-8@euro"} << german;
        QTest::newRow("LC_ALL beats LANG") << QStringList{"LC_ALL=fr_FR.UTF-8", "LANG=de_DE.UTF-8"}
                                           << QStringList{"fr_FR", "fr"};
        QTest::newRow("LC_MESSAGES beats LANG") << QStringList{"LC_MESSAGES=de_AT", "LANG=en_GB.UTF-8"}
                                                << QStringList{"de_AT", "de"};
        QTest::newRow("empty LC_ALL is unset") << QStringList{"LC_ALL=", "LANG=de_DE.UTF-8"} << german;
        QTest::newRow("LANGUAGE list in its place") << QStringList{"LANGUAGE=pt_BR:de", "LANG=en_US.UTF-8"}
                                                    << QStringList{"pt_BR", "pt", "de"};
        QTest::newRow("LANGUAGE under C") << QStringList{"LANGUAGE=de", "LANG=C"} << QStringList();
        QTest::newRow("LANGUAGE under C.UTF-8") << QStringList{"LANGUAGE=de", "LC_ALL=C.UTF-8"} << QStringList();
        QTest::newRow("POSIX over German") << QStringList{"LC_ALL=POSIX", "LANG=de_DE.UTF-8"} << QStringList();
        QTest::newRow("nothing set") << QStringList() << QStringList();
    }
    void languagesFromEnvironment()
    {
        QFETCH(QStringList, variables);
        QFETCH(QStringList, languages);
        QProcessEnvironment environment;
        for (const QString &variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(LanguagesFromEnvironment(environment), languages);
    }

    // German first: the English row after it shows the German translators were taken out.
    void windowCaptions_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("yes"); // Qt's own standard button, from Qt's catalogue
        QTest::newRow("German") << "de_DE.UTF-8"
                                << QStringList{"Quillmere", "Hilfe", "ZIP-Datei(en) hinzufügen", "Aufteilen starten",
                                               "...", "Alle ZIP-Dateien eines Ordners hinzufügen", "Liste leeren",
                                               "Beispieldateien laden", "Zielordner für die Teile",
                                               "Art der Aufteilung",
                                               "Jede Quelldatei in Teile dieser Größe (MB) aufteilen:",
                                               "Jede Quelldatei in diese Anzahl Teile aufteilen:",
                                               "ZIP-Datei(en)", "Aufteilen anhalten"}
                                << "&Ja";
        QTest::newRow("C: as ever") << "C"
                                    << QStringList{"Quillmere", "Help", "Add Zip File(s)", "Start Splitting", "...",
                                                   "Add All Zip Files In Folder", "Clear List",
                                                   "Load Sample/Example Files", "Split To This Folder", "Split Option",
                                                   "Split each source file by this size, in Megabytes (MB):",
                                                   "Split each source file into this number of parts:",
                                                   "Zip File(s)", "Stop Splitting"}
                                    << "&Yes";
    }
    void windowCaptions()
    {
        QFETCH(QString, lang);
        QFETCH(QStringList, captions);
        QFETCH(QString, yes);
        TestWorld world;
        TranslationsForTest language(lang);
        Form1 form(world.context());
        form.Form_Load();
        QStringList shown{form.windowTitle()};
        QStringList mnemonics; // every button and option has an Alt+letter of its own
        for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
                 form.PushButton7, form.PushButton1, form.PushButton2, form.PushButton4, form.PushButton5,
                 form.PushButton6, form.Option1, form.Option2})
            mnemonics << QKeySequence::mnemonic(b->text()).toString();
        QVERIFY2(!mnemonics.contains(QString()) && QSet<QString>(mnemonics.begin(), mnemonics.end()).size() == 8,
                 qPrintable(mnemonics.join(' ')));
        for (QPushButton *b : {form.PushButton7, form.PushButton1, form.PushButton2, form.PushButton3,
                               form.PushButton4, form.PushButton5, form.PushButton6}) {
            shown << QString(b->text()).remove('&');
            // Not cut off; "..." stays as it is, narrower than the least width a style gives a button.
            QVERIFY2(b == form.PushButton3 || b->sizeHint().width() <= b->width(), qPrintable(b->text()));
        }
        for (QGroupBox *g : {form.Frame1, form.Frame2})
            shown << g->title();
        for (QRadioButton *o : {form.Option1, form.Option2}) {
            shown << QString(o->text()).remove('&');
            QVERIFY2(o->sizeHint().width() <= o->width(), qPrintable(o->text()));
        }
        shown << form.fileList().columnTitle();
        form.setRunning(true);
        QCOMPARE(QKeySequence::mnemonic(form.PushButton2->text()).toString(), mnemonics[2]);
        shown << QString(form.PushButton2->text()).remove('&');
        QVERIFY2(form.PushButton2->sizeHint().width() <= form.PushButton2->width(), qPrintable(shown.last()));
        form.setRunning(false);
        QCOMPARE(shown, captions);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes);
    }

    void countsInGerman_data()
    {
        QTest::addColumn<int>("failed");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("one") << 1 << "Dieses Archiv konnte nicht aufgeteilt werden:";
        QTest::newRow("two") << 2 << "Diese 2 Archive konnten nicht aufgeteilt werden:";
    }
    void countsInGerman()
    {
        QFETCH(int, failed);
        QFETCH(QString, firstLine);
        TestWorld world;
        TranslationsForTest german(QStringLiteral("de_DE.UTF-8"));
        SplitSummary summary;
        summary.failures = QVector<FailedArchive>(failed, FailedArchive{"/in/a.zip", {FailureKind::Source, "die Datei ist leer."}});
        QCOMPARE(RunDetailsText(summary).section('\n', 0, 0), firstLine);
    }
};

QTEST_MAIN(TranslationsTest)
#include "test_translations.moc"
