<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>qm::AddFolder</name>
    <message numerus="yes">
        <source>(and %n more folders that could not be read)</source>
        <translation>
            <numerusform>(und %n weiterer Ordner, der nicht gelesen werden konnte)</numerusform>
            <numerusform>(und %n weitere Ordner, die nicht gelesen werden konnten)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::AppError</name>
    <message>
        <source>The buffer at lpstrFile is too small</source>
        <translation>Der Puffer bei lpstrFile ist zu klein</translation>
    </message>
    <message>
        <source>Specified DLL function not found: %1</source>
        <translation>Angegebene DLL-Funktion nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>Subscript out of range</source>
        <translation>Index außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>Typen unverträglich</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Zugriff auf Pfad/Datei</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <source>Unexpected error</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>Disk full or write error: %1</source>
        <translation>Datenträger voll oder Schreibfehler: %1</translation>
    </message>
    <message>
        <source>Skin file cannot be read: %1</source>
        <translation>Designdatei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Skin file is not a style sheet: %1</source>
        <translation>Designdatei ist kein Stylesheet: %1</translation>
    </message>
    <message>
        <source>Resource with identifier &apos;101&apos; not found</source>
        <translation>Ressource mit der Kennung &apos;101&apos; nicht gefunden</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
</context>
<context>
    <name>qm::BatchSplit</name>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n Teil</numerusform>
            <numerusform>%n Teile</numerusform>
        </translation>
    </message>
    <message>
        <source>en_US</source>
        <extracomment>The locale (language_COUNTRY) whose digit grouping the dry run&apos;s byte counts use</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>, largest %1 bytes, split size %2</source>
        <translation>, größter Teil %1 Bytes, Teilgröße %2</translation>
    </message>
    <message>
        <source>%1 is not a folder.</source>
        <translation>%1 ist kein Ordner.</translation>
    </message>
    <message>
        <source>the folder %1 could not be made.</source>
        <translation>der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>write error: %1</source>
        <translation>Schreibfehler: %1</translation>
    </message>
    <message>
        <source>cannot open a display; to split without a window use --split (see --help)</source>
        <translation>keine Anzeige verfügbar; zum Aufteilen ohne Fenster --split verwenden (siehe --help)</translation>
    </message>
    <message>
        <source>--jobs %1 was lowered to %2: the open-file limit (ulimit -n %3) allows no more.</source>
        <translation>--jobs %1 wurde auf %2 gesenkt: die Grenze offener Dateien (ulimit -n %3) erlaubt nicht mehr.</translation>
    </message>
</context>
<context>
    <name>qm::CommandLine</name>
    <message>
        <source>%1 needs a value.</source>
        <translation>%1 braucht einen Wert.</translation>
    </message>
    <message>
        <source>%1 takes no value.</source>
        <translation>%1 nimmt keinen Wert an.</translation>
    </message>
    <message>
        <source>give either --size or --parts, once.</source>
        <translation>geben Sie genau einmal --size oder --parts an.</translation>
    </message>
    <message>
        <source>unknown option %1.</source>
        <translation>unbekannte Option %1.</translation>
    </message>
    <message>
        <source>--split needs --size MB or --parts N.</source>
        <translation>--split braucht --size MB oder --parts N.</translation>
    </message>
    <message>
        <source>--split needs --output DIR.</source>
        <translation>--split braucht --output DIR.</translation>
    </message>
    <message>
        <source>--split needs at least one FILE.</source>
        <translation>--split braucht mindestens eine Datei (FILE).</translation>
    </message>
    <message>
        <source>an empty FILE names no file.</source>
        <translation>ein leeres FILE nennt keine Datei.</translation>
    </message>
    <message>
        <source>Try &apos;quillmere --help&apos; for more information.</source>
        <translation>Weitere Informationen mit &apos;quillmere --help&apos;.</translation>
    </message>
    <message>
        <source>--size, --parts, --output, --jobs, --quiet, --null and --dry-run go with --split.</source>
        <translation>--size, --parts, --output, --jobs, --quiet, --null und --dry-run gehören zu --split.</translation>
    </message>
    <message>
        <source>zipsplit inside it: Info-ZIP Zip 3.0, under the Info-ZIP license.
</source>
        <translation>Das enthaltene zipsplit: Info-ZIP Zip 3.0, unter der Info-ZIP-Lizenz.
</translation>
    </message>
    <message>
        <source>zipsplit inside it: Info-ZIP Zip 3.0 (Debian %1), under the Info-ZIP license.
</source>
        <translation>Das enthaltene zipsplit: Info-ZIP Zip 3.0 (Debian %1), unter der Info-ZIP-Lizenz.
</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 Veltrane
License GPLv3+: GNU GPL version 3 or later &lt;https://gnu.org/licenses/gpl.html&gt;.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
</source>
        <translation>Copyright (C) 2026 Veltrane
Lizenz GPLv3+: GNU GPL Version 3 oder neuer &lt;https://gnu.org/licenses/gpl.html&gt;.
Dies ist freie Software: Sie dürfen sie ändern und weitergeben.
Es gibt KEINE GARANTIE, soweit gesetzlich zulässig.
</translation>
    </message>
    <message>
        <source>--parts takes a number from %1 to %2.</source>
        <translation>--parts erwartet eine Zahl von %1 bis %2.</translation>
    </message>
    <message>
        <source>--size takes a number of megabytes from %1 to %2.</source>
        <translation>--size erwartet eine Zahl von Megabyte von %1 bis %2.</translation>
    </message>
    <message>
        <source>--jobs takes a whole number from 1 to %1.</source>
        <translation>--jobs erwartet eine ganze Zahl von 1 bis %1.</translation>
    </message>
    <message>
        <source>Usage: quillmere [FILE...]
       quillmere --split (--size MB | --parts N) --output DIR [OPTION...]
                 [--] FILE...
       quillmere --help | --version

Without --split, opens the window with the FILEs (and the archives in
folders) listed. With --split, splits every FILE into DIR without a window.

      --split          split without a window
      --size MB        parts of at most MB megabytes: 1 to %1
      --parts N        at most N parts per archive: 1 to %2
      --output DIR     the folder for the parts, made when it does not exist
      --jobs N         archives split at once: 1 to %3 (default: one per
                       core); lowered to what the open-file limit allows
  -q, --quiet          standard error only for failures
  -z, --null           end each printed path with a NUL byte, not a newline
      --dry-run        plan every archive and write nothing
  -h, --help           print this help and exit
      --version        print the version and exit

Options take their value as --size 5 or --size=5.

Standard output: the path of every part made, one per line. With --dry-run,
one line per archive: the archive, parts, largest part and split size in
bytes, tab-separated. Standard error: a line per archive and a summary; on a
terminal, a progress line.

Exit status: 0 every archive split; 1 some could not be, or the output could
not be written; 2 usage error. Ended by SIGINT, SIGTERM or SIGHUP, a run
stops, removes what it had not finished, and ends by that signal.
</source>
        <extracomment>Keep the command, its options and FILE, DIR, MB and N as they are: they are typed as shown. Keep the option column as it is, and every line within 79 characters. %1 the largest size in MB, %2 the most parts, %3 the most jobs</extracomment>
        <translation>Aufruf: quillmere [FILE...]
        quillmere --split (--size MB | --parts N) --output DIR [OPTION...]
                  [--] FILE...
        quillmere --help | --version

Ohne --split öffnet sich das Fenster mit den FILEs (und den Archiven in
Ordnern) in der Liste. Mit --split wird jede FILE ohne Fenster in DIR
aufgeteilt.

      --split          ohne Fenster aufteilen
      --size MB        Teile von höchstens MB Megabyte: 1 bis %1
      --parts N        höchstens N Teile je Archiv: 1 bis %2
      --output DIR     der Ordner für die Teile, angelegt, wenn es ihn nicht
                       gibt
      --jobs N         gleichzeitig aufgeteilte Archive: 1 bis %3 (Vorgabe:
                       eines je Kern); gesenkt auf das, was die Grenze
                       offener Dateien erlaubt
  -q, --quiet          auf der Standardfehlerausgabe nur Fehlschläge
  -z, --null           jeden ausgegebenen Pfad mit einem NUL-Byte statt
                       einem Zeilenumbruch beenden
      --dry-run        jedes Archiv planen und nichts schreiben
  -h, --help           diese Hilfe ausgeben und beenden
      --version        die Version ausgeben und beenden

Optionen nehmen ihren Wert als --size 5 oder --size=5.

Standardausgabe: der Pfad jedes erstellten Teils, einer je Zeile. Mit
--dry-run eine Zeile je Archiv: Archiv, Teile, größter Teil und
Aufteilungsgröße in Byte, durch Tabulatoren getrennt. Standardfehlerausgabe:
eine Zeile je Archiv und eine Zusammenfassung; an einem Terminal eine
Fortschrittszeile.

Rückgabewert: 0 jedes Archiv aufgeteilt; 1 manche nicht, oder die Ausgabe
konnte nicht geschrieben werden; 2 Aufruffehler. Durch SIGINT, SIGTERM oder
SIGHUP beendet, hält ein Lauf an, entfernt, was er nicht fertiggestellt hat,
und endet durch dieses Signal.
</translation>
    </message>
</context>
<context>
    <name>qm::Form1</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>How split sizes are worked out</source>
        <translation>Wie die Teilgrößen berechnet werden</translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move bar to right and out of window to reveal full names.</source>
        <translation>Ziehen Sie Dateien hierher. Ein Doppelklick entfernt einen Eintrag. Ziehen Sie den Spaltenrand nach rechts aus dem Fenster, um die vollen Namen zu sehen.</translation>
    </message>
    <message>
        <source>Zip File(s)</source>
        <translation>ZIP-Datei(en)</translation>
    </message>
    <message>
        <source>Add Zip File(s)</source>
        <translation>ZIP-Datei(en) hinzufügen</translation>
    </message>
    <message>
        <source>Add All Zip Files In Folder</source>
        <translation>Alle ZIP-Dateien eines Ordners hinzufügen</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Beispieldateien laden</translation>
    </message>
    <message>
        <source>Split To This Folder</source>
        <translation>Zielordner für die Teile</translation>
    </message>
    <message>
        <source>Browse for the output folder</source>
        <translation>Zielordner auswählen</translation>
    </message>
    <message>
        <source>Start Splitting</source>
        <translation>Aufteilen starten</translation>
    </message>
    <message>
        <source>Split progress</source>
        <translation>Fortschritt des Aufteilens</translation>
    </message>
    <message>
        <source>Split Option</source>
        <translation>Art der Aufteilung</translation>
    </message>
    <message>
        <source>Split each source file by this size, in Megabytes (MB):</source>
        <translation>Jede Quelldatei in Teile dieser Größe (MB) aufteilen:</translation>
    </message>
    <message>
        <source>Split each source file into this number of parts:</source>
        <translation>Jede Quelldatei in diese Anzahl Teile aufteilen:</translation>
    </message>
    <message>
        <source>Stop Splitting</source>
        <translation>Aufteilen anhalten</translation>
    </message>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Datei(en) hinzufügen - mit gedrückter Strg-Taste mehrere auswählen</translation>
    </message>
    <message>
        <source>Zip Files (*.zip)</source>
        <translation>ZIP-Dateien (*.zip)</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.<byte value="xd"/><byte value="xd"/>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Sie haben zu viele Dateien ausgewählt.<byte value="xd"/><byte value="xd"/>Bitte fügen Sie sie mit der Schaltfläche &quot;Alle ZIP-Dateien eines Ordners hinzufügen&quot; hinzu.</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte wählen Sie einen Ordner:</translation>
    </message>
    <message>
        <source>Enter file extension to load:<byte value="xd"/><byte value="xd"/>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation>Geben Sie die Dateiendung der zu ladenden Dateien ein:<byte value="xd"/><byte value="xd"/>(* für alle Dateien, txt für alle txt-Dateien, doc für alle doc-Dateien usw.)</translation>
    </message>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Soll das Programm den Ordner öffnen, in dem diese Beispieldateien liegen (damit Sie sie ansehen können, bevor Sie mit ihnen arbeiten)?</translation>
    </message>
    <message>
        <source>Max split size is %1 MB</source>
        <translation>Die Teilgröße beträgt höchstens %1 MB</translation>
    </message>
    <message>
        <source>Max split size is %1 MB.<byte value="xd"/>
<byte value="xd"/>
Resulting sizes and amounts of files  may vary.<byte value="xd"/>
<byte value="xd"/>
Min split size has to be more than largest of files in archive (it will be calculated automatically).<byte value="xd"/>
<byte value="xd"/>
If split size is more than size of source file then one file will be created.</source>
        <translation>Die Teilgröße beträgt höchstens %1 MB.<byte value="xd"/>
<byte value="xd"/>
Größe und Anzahl der entstehenden Dateien können abweichen.<byte value="xd"/>
<byte value="xd"/>
Die Teilgröße muss größer sein als die größte Datei im Archiv (sie wird automatisch berechnet).<byte value="xd"/>
<byte value="xd"/>
Ist die Teilgröße größer als die Quelldatei, wird eine einzige Datei erstellt.</translation>
    </message>
    <message>
        <source>Plan</source>
        <translation>Plan</translation>
    </message>
</context>
<context>
    <name>qm::PlanPreview</name>
    <message numerus="yes">
        <source>%n part(s), largest %1 MB</source>
        <translation>
            <numerusform>%n Teil, größter %1 MB</numerusform>
            <numerusform>%n Teile, größter %1 MB</numerusform>
        </translation>
    </message>
    <message>
        <source>en_US</source>
        <extracomment>The locale (language_COUNTRY) whose decimal mark the plan column&apos;s sizes use</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>leere Datei</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>not a ZIP archive or damaged</source>
        <translation>kein ZIP-Archiv oder beschädigt</translation>
    </message>
    <message>
        <source>no entries</source>
        <translation>keine Einträge</translation>
    </message>
    <message>
        <source>archive reader missing</source>
        <translation>Archivleser fehlt</translation>
    </message>
    <message>
        <source>/proc not mounted</source>
        <translation>/proc nicht eingehängt</translation>
    </message>
    <message>
        <source>cannot be split</source>
        <translation>nicht teilbar</translation>
    </message>
    <message>
        <source>the tool cannot split it</source>
        <translation>vom Aufteilprogramm nicht teilbar</translation>
    </message>
</context>
<context>
    <name>qm::QtToolkit</name>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
</context>
<context>
    <name>qm::ReportingHandler</name>
    <message>
        <source>%1<byte value="xd"/>
in %2 at line %3<byte value="xd"/><byte value="xd"/>Please email screenshot of this message to %4</source>
        <extracomment>%1 what went wrong, %2 the procedure, %3 its line label, %4 the support address</extracomment>
        <translation>%1<byte value="xd"/>
in %2 in Zeile %3<byte value="xd"/><byte value="xd"/>Bitte senden Sie ein Bildschirmfoto dieser Meldung per E-Mail an %4</translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
</context>
<context>
    <name>qm::SplitChoice</name>
    <message>
        <source>the open-file limit (ulimit -n %1) is too low to split: it needs to be at least %2.</source>
        <translation>die Grenze für offene Dateien (ulimit -n %1) ist zu niedrig zum Aufteilen: sie muss mindestens %2 betragen.</translation>
    </message>
</context>
<context>
    <name>qm::SplitReason</name>
    <message>
        <source>the file cannot be read.</source>
        <translation>die Datei kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>it holds no entries, so there is nothing to split.</source>
        <translation>es enthält keine Einträge, es gibt also nichts aufzuteilen.</translation>
    </message>
    <message>
        <source>no working folder could be made in the output folder %1; it may be missing, read-only or full.</source>
        <translation>im Zielordner %1 konnte kein Arbeitsordner angelegt werden; vielleicht fehlt er, ist schreibgeschützt oder voll.</translation>
    </message>
    <message>
        <source>it changed while it was being split.</source>
        <translation>es wurde während des Aufteilens verändert.</translation>
    </message>
    <message>
        <source>the output folder was removed during the split.</source>
        <translation>der Zielordner wurde während des Aufteilens entfernt.</translation>
    </message>
    <message>
        <source>its parts could not be moved into the output folder.</source>
        <translation>seine Teile konnten nicht in den Zielordner verschoben werden.</translation>
    </message>
    <message>
        <source>the archive&apos;s comment could not be added to its parts.</source>
        <translation>der Kommentar des Archivs konnte seinen Teilen nicht hinzugefügt werden.</translation>
    </message>
    <message>
        <source>part %1 is damaged.</source>
        <translation>Teil %1 ist beschädigt.</translation>
    </message>
    <message numerus="yes">
        <source>the splitting tool made %n parts where %1 were planned.</source>
        <translation>
            <numerusform>das Aufteilprogramm hat %n Teil erstellt, geplant waren %1.</numerusform>
            <numerusform>das Aufteilprogramm hat %n Teile erstellt, geplant waren %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>the splitting tool did not name part %1 as planned.</source>
        <translation>das Aufteilprogramm hat Teil %1 nicht wie geplant benannt.</translation>
    </message>
    <message>
        <source>part %1 is %2 bytes where %3 were planned.</source>
        <translation>Teil %1 ist %2 Bytes groß, geplant waren %3.</translation>
    </message>
    <message>
        <source>part %1 does not hold the entries planned for it.</source>
        <translation>Teil %1 enthält nicht die für ihn geplanten Einträge.</translation>
    </message>
    <message>
        <source>the output folder &quot;%1&quot; was moved or replaced during the run, so nothing was written.</source>
        <translation>der Zielordner &quot;%1&quot; wurde während des Laufs verschoben oder ersetzt, daher wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>stopped before it was split.</source>
        <translation>vor dem Aufteilen angehalten.</translation>
    </message>
    <message>
        <source>it is not a ZIP archive, or it is damaged.</source>
        <translation>es ist kein ZIP-Archiv oder es ist beschädigt.</translation>
    </message>
    <message>
        <source>it is damaged: the file ends before its directory does.</source>
        <translation>es ist beschädigt: die Datei endet vor ihrem Verzeichnis.</translation>
    </message>
    <message>
        <source>it is damaged: its directory does not hold the entries it counts.</source>
        <translation>es ist beschädigt: sein Verzeichnis enthält nicht so viele Einträge, wie es angibt.</translation>
    </message>
    <message>
        <source>it is damaged: its directory places entries outside the file.</source>
        <translation>es ist beschädigt: sein Verzeichnis verweist auf Einträge außerhalb der Datei.</translation>
    </message>
    <message>
        <source>the splitting tool could not be started.</source>
        <translation>das Aufteilprogramm konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>the split was stopped.</source>
        <translation>das Aufteilen wurde angehalten.</translation>
    </message>
    <message>
        <source>the splitting tool stopped unexpectedly.</source>
        <translation>das Aufteilprogramm wurde unerwartet beendet.</translation>
    </message>
    <message>
        <source>the splitting tool reported an error: %1.</source>
        <translation>das Aufteilprogramm meldete einen Fehler: %1.</translation>
    </message>
    <message>
        <source>the archive ends too early; it may be damaged or incomplete.</source>
        <translation>das Archiv endet zu früh; vielleicht ist es beschädigt oder unvollständig.</translation>
    </message>
    <message>
        <source>there was not enough memory to split it.</source>
        <translation>zum Aufteilen war nicht genug Speicher frei.</translation>
    </message>
    <message>
        <source>one of its entries is too large for the part size.</source>
        <translation>einer seiner Einträge ist zu groß für die Teilgröße.</translation>
    </message>
    <message>
        <source>the split was interrupted.</source>
        <translation>das Aufteilen wurde unterbrochen.</translation>
    </message>
    <message>
        <source>the archive could not be read.</source>
        <translation>das Archiv konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>the archive is missing or empty.</source>
        <translation>das Archiv fehlt oder ist leer.</translation>
    </message>
    <message>
        <source>a part could not be written; the disk may be full.</source>
        <translation>ein Teil konnte nicht geschrieben werden; vielleicht ist der Datenträger voll.</translation>
    </message>
    <message>
        <source>a part could not be created in the output folder.</source>
        <translation>im Zielordner konnte kein Teil angelegt werden.</translation>
    </message>
    <message>
        <source>the splitting tool did not accept its parameters.</source>
        <translation>das Aufteilprogramm hat seine Parameter nicht angenommen.</translation>
    </message>
    <message>
        <source>the splitting tool failed (exit code %1).</source>
        <translation>das Aufteilprogramm schlug fehl (Rückgabewert %1).</translation>
    </message>
    <message>
        <source>the splitting tool failed (exit code %1): %2.</source>
        <translation>das Aufteilprogramm schlug fehl (Rückgabewert %1): %2.</translation>
    </message>
    <message>
        <source>the file no longer exists.</source>
        <translation>die Datei existiert nicht mehr.</translation>
    </message>
    <message>
        <source>it is a folder, not a ZIP archive.</source>
        <translation>es ist ein Ordner, kein ZIP-Archiv.</translation>
    </message>
    <message>
        <source>it is a device, pipe or socket, not a ZIP archive.</source>
        <translation>es ist ein Gerät, eine Pipe oder ein Socket, kein ZIP-Archiv.</translation>
    </message>
    <message>
        <source>the file is empty.</source>
        <translation>die Datei ist leer.</translation>
    </message>
    <message>
        <source>the archive reader %1 could not be loaded.</source>
        <translation>die Archivbibliothek %1 konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>it is damaged: its Zip64 end record is missing or wrong.</source>
        <translation>es ist beschädigt: sein Zip64-Endeintrag fehlt oder ist falsch.</translation>
    </message>
    <message>
        <source>the splitting tool cannot split it: %1.</source>
        <translation>das Aufteilungswerkzeug kann es nicht aufteilen: %1.</translation>
    </message>
    <message>
        <source>bytes after its directory (in its comment or after the archive) look like the end of an archive, which misleads the splitting tool.</source>
        <translation>Daten nach seinem Verzeichnis (in seinem Kommentar oder nach dem Archiv) sehen wie das Ende eines Archivs aus, was das Aufteilungswerkzeug in die Irre führt.</translation>
    </message>
    <message numerus="yes">
        <source>it has %n byte(s) before its first entry (a self-extracting stub) that its offsets do not count, which the splitting tool cannot follow; zip -A mends that.</source>
        <translation>
            <numerusform>es hat %n Byte vor seinem ersten Eintrag (ein selbstentpackender Vorspann), das seine Offsets nicht mitzählen, was das Aufteilungswerkzeug nicht verarbeiten kann; zip -A behebt das.</numerusform>
            <numerusform>es hat %n Bytes vor seinem ersten Eintrag (ein selbstentpackender Vorspann), die seine Offsets nicht mitzählen, was das Aufteilungswerkzeug nicht verarbeiten kann; zip -A behebt das.</numerusform>
        </translation>
    </message>
    <message>
        <source>the splitting tool would damage its entry %1 (its local Zip64 field).</source>
        <translation>das Aufteilungswerkzeug würde seinen Eintrag %1 beschädigen (sein lokales Zip64-Feld).</translation>
    </message>
    <message>
        <source>the output folder %1 is gone.</source>
        <translation>der Zielordner %1 ist nicht mehr da.</translation>
    </message>
    <message>
        <source>the output folder %1 is not a folder.</source>
        <translation>der Zielordner %1 ist kein Ordner.</translation>
    </message>
    <message>
        <source>the output folder %1 is on a read-only file system.</source>
        <translation>der Zielordner %1 liegt auf einem schreibgeschützten Dateisystem.</translation>
    </message>
    <message>
        <source>you may not write into the output folder %1.</source>
        <translation>Sie dürfen nicht in den Zielordner %1 schreiben.</translation>
    </message>
    <message>
        <source>the disk that holds the output folder %1 is full.</source>
        <translation>der Datenträger mit dem Zielordner %1 ist voll.</translation>
    </message>
    <message>
        <source>nothing can be written into the output folder %1: %2.</source>
        <translation>in den Zielordner %1 kann nichts geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>the system ran short of open files, memory or processes.</source>
        <translation>dem System gingen offene Dateien, Speicher oder Prozesse aus.</translation>
    </message>
    <message>
        <source>its entry #%1 has no name, which the splitting tool cannot split.</source>
        <extracomment>%1 the entry&apos;s number, counted from 1 in the archive&apos;s directory</extracomment>
        <translation>sein Eintrag Nr. %1 hat keinen Namen, was das Aufteilungswerkzeug nicht aufteilen kann.</translation>
    </message>
    <message>
        <source>it names more than one disk: its entry %1 is on disk %2, which the splitting tool cannot read.</source>
        <extracomment>%1 the entry, %2 a disk number</extracomment>
        <translation>es nennt mehr als einen Datenträger: sein Eintrag %1 liegt auf Datenträger %2, den das Aufteilungswerkzeug nicht lesen kann.</translation>
    </message>
    <message>
        <source>it is damaged: the local header of its entry %1 gives other sizes than its directory does.</source>
        <translation>es ist beschädigt: der lokale Kopf seines Eintrags %1 nennt andere Größen als sein Verzeichnis.</translation>
    </message>
    <message>
        <source>it is one segment of a spanned archive, which the splitting tool cannot split; zip -s 0 joins the segments into one archive.</source>
        <translation>es ist ein Teilstück eines übergreifenden Archivs, was das Aufteilungswerkzeug nicht aufteilen kann; zip -s 0 fügt die Teilstücke zu einem Archiv zusammen.</translation>
    </message>
    <message>
        <source>the splitting tool wrote far more messages than it ever does, and was stopped.</source>
        <translation>das Aufteilungswerkzeug schrieb weit mehr Meldungen, als es je tut, und wurde angehalten.</translation>
    </message>
    <message>
        <source>/proc is not mounted, and the split reaches the files it has open through it.</source>
        <translation>/proc ist nicht eingehängt, und die Aufteilung erreicht die geöffneten Dateien darüber.</translation>
    </message>
    <message>
        <source>part %1 could not be compared with the archive: reading failed.</source>
        <translation>Teil %1 konnte nicht mit dem Archiv verglichen werden: das Lesen schlug fehl.</translation>
    </message>
    <message>
        <source>the data in part %1 is not the archive&apos;s: the archive changed while it was being split, or the part was written wrong.</source>
        <translation>die Daten in Teil %1 sind nicht die des Archivs: das Archiv hat sich während des Aufteilens geändert, oder der Teil wurde falsch geschrieben.</translation>
    </message>
    <message>
        <source>the splitting tool could not be started: %1.</source>
        <translation>das Aufteilungswerkzeug konnte nicht gestartet werden: %1.</translation>
    </message>
</context>
<context>
    <name>qm::SplitRun</name>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message numerus="yes">
        <source>These %n archives could not be split:</source>
        <translation>
            <numerusform>Dieses Archiv konnte nicht aufgeteilt werden:</numerusform>
            <numerusform>Diese %n Archive konnten nicht aufgeteilt werden:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Splitting was stopped; these %n archives were not split:</source>
        <translation>
            <numerusform>Das Aufteilen wurde angehalten; dieses Archiv wurde nicht aufgeteilt:</numerusform>
            <numerusform>Das Aufteilen wurde angehalten; diese %n Archive wurden nicht aufgeteilt:</numerusform>
        </translation>
    </message>
    <message>
        <source>The output folder already held files of the same name, so these parts were saved under other names:</source>
        <translation>Im Zielordner lagen schon Dateien gleichen Namens, daher wurden diese Teile unter anderen Namen gespeichert:</translation>
    </message>
    <message>
        <source>%1 (%2 of %3)</source>
        <extracomment>%1 the name the part was saved under, %2 the name the splitting tool gave it, %3 its archive</extracomment>
        <translation>%1 (%2 aus %3)</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Keine Dateien hinzugefügt.</translation>
    </message>
    <message>
        <source>Please input folder name.</source>
        <translation>Bitte geben Sie einen Ordnernamen ein.</translation>
    </message>
    <message>
        <source>Input Folder Name</source>
        <translation>Ordnername eingeben</translation>
    </message>
    <message>
        <source>Destination folder not found.</source>
        <translation>Zielordner nicht gefunden.</translation>
    </message>
    <message>
        <source>No archive was split.</source>
        <translation>Kein Archiv wurde aufgeteilt.</translation>
    </message>
    <message>
        <source>Split %1 into %2 in %3.</source>
        <extracomment>%1 &quot;3 archives&quot;, %2 &quot;9 parts&quot;, %3 the folder</extracomment>
        <translation>%1 in %2 aufgeteilt, im Ordner %3.</translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s)</source>
        <translation>
            <numerusform>%n Archiv</numerusform>
            <numerusform>%n Archive</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n Teil</numerusform>
            <numerusform>%n Teile</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) could not be split.</source>
        <translation>
            <numerusform>%n Archiv konnte nicht aufgeteilt werden.</numerusform>
            <numerusform>%n Archive konnten nicht aufgeteilt werden.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Splitting was stopped before %n archive(s).</source>
        <translation>
            <numerusform>Das Aufteilen wurde vor %n Archiv angehalten.</numerusform>
            <numerusform>Das Aufteilen wurde vor %n Archiven angehalten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s) were saved under other names.</source>
        <translation>
            <numerusform>%n Teil wurde unter einem anderen Namen gespeichert.</numerusform>
            <numerusform>%n Teile wurden unter anderen Namen gespeichert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) have parts larger than the size asked for.</source>
        <translation>
            <numerusform>%n Archiv hat Teile, die größer als die gewünschte Größe sind.</numerusform>
            <numerusform>%n Archive haben Teile, die größer als die gewünschte Größe sind.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %n second(s) left</source>
        <translation>
            <numerusform>noch etwa %n Sekunde</numerusform>
            <numerusform>noch etwa %n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %n minute(s) left</source>
        <translation>
            <numerusform>noch etwa %n Minute</numerusform>
            <numerusform>noch etwa %n Minuten</numerusform>
        </translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <extracomment>%1 hours, %2 minutes</extracomment>
        <translation>noch etwa %1 h %2 min</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n archive(s)</source>
        <extracomment>%1 archives done, %n all archives of the run</extracomment>
        <translation>
            <numerusform>%1 von %n Archiv</numerusform>
            <numerusform>%1 von %n Archiven</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <extracomment>%1 bytes done, %2 bytes in all</extracomment>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Please input a number of parts from %1 to %2.</source>
        <translation>Bitte geben Sie eine Anzahl von Teilen von %1 bis %2 ein.</translation>
    </message>
    <message>
        <source>Please input a split size from %1 to %2 MB.</source>
        <translation>Bitte geben Sie eine Teilgröße von %1 bis %2 MB ein.</translation>
    </message>
    <message numerus="yes">
        <source>%n archive(s) were not split: %1</source>
        <extracomment>%1 why the output folder took no more parts</extracomment>
        <translation>
            <numerusform>%n Archiv wurde nicht aufgeteilt: %1</numerusform>
            <numerusform>%n Archive wurden nicht aufgeteilt: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Parts of archives earlier in this run had the same names, so these parts were saved under other names:</source>
        <translation>Teile von Archiven, die in diesem Lauf vorher aufgeteilt wurden, trugen dieselben Namen; diese Teile wurden daher unter anderen Namen gespeichert:</translation>
    </message>
    <message>
        <source>%1 (%2 bytes)</source>
        <extracomment>%1 a part, %2 its size</extracomment>
        <translation>%1 (%2 Bytes)</translation>
    </message>
    <message>
        <source>%1 (largest entry %2, %3 bytes): %4</source>
        <extracomment>%1 the archive, %2 its largest entry, %3 that entry&apos;s size, %4 its parts over the size asked for</extracomment>
        <translation>%1 (größter Eintrag %2, %3 Bytes): %4</translation>
    </message>
    <message>
        <source>The split size was raised to fit the largest entry, so these parts are larger than the size asked for:</source>
        <translation>Die Teilgröße wurde erhöht, damit der größte Eintrag passt; diese Teile sind daher größer als gewünscht:</translation>
    </message>
</context>
<context>
    <name>qm::Toolkit</name>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden.</translation>
    </message>
</context>
</TS>
