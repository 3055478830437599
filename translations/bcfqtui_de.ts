<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ArchiveMerge</name>
    <message numerus="yes">
        <source>%n topic(s) added</source>
        <translation>
            <numerusform>%n Thema hinzugefügt</numerusform>
            <numerusform>%n Themen hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n topic(s) updated</source>
        <translation>
            <numerusform>%n Thema aktualisiert</numerusform>
            <numerusform>%n Themen aktualisiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s) added</source>
        <translation>
            <numerusform>%n Kommentar hinzugefügt</numerusform>
            <numerusform>%n Kommentare hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n viewpoint(s) added</source>
        <translation>
            <numerusform>%n Ansichtspunkt hinzugefügt</numerusform>
            <numerusform>%n Ansichtspunkte hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n document(s) added</source>
        <translation>
            <numerusform>%n Dokument hinzugefügt</numerusform>
            <numerusform>%n Dokumente hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n extension value(s) added</source>
        <translation>
            <numerusform>%n Erweiterungswert hinzugefügt</numerusform>
            <numerusform>%n Erweiterungswerte hinzugefügt</numerusform>
        </translation>
    </message>
    <message>
        <source>project updated</source>
        <translation>Projekt aktualisiert</translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n Konflikt</numerusform>
            <numerusform>%n Konflikte</numerusform>
        </translation>
    </message>
    <message>
        <source>Added</source>
        <comment>topic added by the merge</comment>
        <translation>Hinzugefügt</translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s) updated</source>
        <translation>
            <numerusform>%n Kommentar aktualisiert</numerusform>
            <numerusform>%n Kommentare aktualisiert</numerusform>
        </translation>
    </message>
    <message>
        <source>Updated: %1</source>
        <translation>Aktualisiert: %1</translation>
    </message>
    <message>
        <source>Merge archive…</source>
        <translation>Archiv zusammenführen …</translation>
    </message>
    <message>
        <source>Merge the topics, comments and viewpoints of another BCF archive into this one</source>
        <translation>Die Themen, Kommentare und Ansichtspunkte eines anderen BCF-Archivs in dieses übernehmen</translation>
    </message>
    <message>
        <source>Choosing the archive to merge</source>
        <translation>Auswählen des zusammenzuführenden Archivs</translation>
    </message>
    <message>
        <source>Merge archive</source>
        <translation>Archiv zusammenführen</translation>
    </message>
    <message>
        <source>BCF Files (*.bcf *.bcfzip);;All files (*.*)</source>
        <translation>BCF-Dateien (*.bcf *.bcfzip);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Merging the BCF archive</source>
        <translation>Zusammenführen des BCF-Archivs</translation>
    </message>
    <message>
        <source>there is no archive to merge into</source>
        <translation>es ist kein Archiv geöffnet, in das zusammengeführt werden kann</translation>
    </message>
    <message>
        <source>Merged %1</source>
        <translation>%1 zusammengeführt</translation>
    </message>
    <message>
        <source>%1 holds nothing that this archive lacks.</source>
        <translation>%1 enthält nichts, was diesem Archiv fehlt.</translation>
    </message>
    <message>
        <source>Merged %1: %2.</source>
        <translation>%1 zusammengeführt: %2.</translation>
    </message>
    <message>
        <source>Topic</source>
        <translation>Thema</translation>
    </message>
    <message>
        <source>Change</source>
        <comment>what changed</comment>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Kept (this archive)</source>
        <translation>Beibehalten (dieses Archiv)</translation>
    </message>
    <message>
        <source>Other archive</source>
        <translation>Anderes Archiv</translation>
    </message>
    <message>
        <source>Project</source>
        <translation>Projekt</translation>
    </message>
    <message>
        <source>(comment)</source>
        <translation>(Kommentar)</translation>
    </message>
    <message>
        <source>Not everything of %1 could be merged:</source>
        <translation>Nicht alles aus %1 konnte zusammengeführt werden:</translation>
    </message>
</context>
<context>
    <name>BcfOpen</name>
    <message>
        <source>BCF Files (*.bcf *.bcfzip);;All files (*.*)</source>
        <translation>BCF-Dateien (*.bcf *.bcfzip);;Alle Dateien (*.*)</translation>
    </message>
</context>
<context>
    <name>BcfOpenDialog</name>
    <message>
        <source>Open/create project</source>
        <translation>Projekt öffnen/anlegen</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Server address:</source>
        <translation>Serveradresse:</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Project:</source>
        <translation>Projekt:</translation>
    </message>
    <message>
        <source>My first project</source>
        <translation>Mein erstes Projekt</translation>
    </message>
    <message>
        <source>Super secret project</source>
        <translation>Streng geheimes Projekt</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Anlegen</translation>
    </message>
</context>
<context>
    <name>CommentsView</name>
    <message>
        <source>Delete comment</source>
        <translation>Kommentar löschen</translation>
    </message>
    <message>
        <source>Comments (%1)</source>
        <translation>Kommentare (%1)</translation>
    </message>
    <message>
        <source>Editing the comment</source>
        <translation>Bearbeiten des Kommentars</translation>
    </message>
    <message>
        <source>Adding a comment</source>
        <translation>Hinzufügen eines Kommentars</translation>
    </message>
    <message>
        <source>Delete the comment “%1”?</source>
        <translation>Den Kommentar „%1“ löschen?</translation>
    </message>
    <message>
        <source>Deleting the comment</source>
        <translation>Löschen des Kommentars</translation>
    </message>
</context>
<context>
    <name>ComponentsView</name>
    <message>
        <source>Default visibility: all shown</source>
        <translation>Standardsichtbarkeit: alle eingeblendet</translation>
    </message>
    <message>
        <source>Default visibility: all hidden</source>
        <translation>Standardsichtbarkeit: alle ausgeblendet</translation>
    </message>
    <message>
        <source>spaces shown</source>
        <translation>Räume eingeblendet</translation>
    </message>
    <message>
        <source>spaces hidden</source>
        <translation>Räume ausgeblendet</translation>
    </message>
    <message>
        <source>space boundaries shown</source>
        <translation>Raumbegrenzungen eingeblendet</translation>
    </message>
    <message>
        <source>space boundaries hidden</source>
        <translation>Raumbegrenzungen ausgeblendet</translation>
    </message>
    <message>
        <source>openings shown</source>
        <translation>Öffnungen eingeblendet</translation>
    </message>
    <message>
        <source>openings hidden</source>
        <translation>Öffnungen ausgeblendet</translation>
    </message>
    <message>
        <source>Orthogonal camera at %1, direction %2, up %3, view to world scale %4, aspect ratio %5</source>
        <translation>Orthogonale Kamera bei %1, Blickrichtung %2, oben %3, Maßstab Ansicht zu Welt %4, Seitenverhältnis %5</translation>
    </message>
    <message>
        <source>Perspective camera at %1, direction %2, up %3, field of view %4°, aspect ratio %5</source>
        <translation>Perspektivische Kamera bei %1, Blickrichtung %2, oben %3, Sichtfeld %4°, Seitenverhältnis %5</translation>
    </message>
    <message>
        <source>No camera</source>
        <translation>Keine Kamera</translation>
    </message>
    <message>
        <source>Selected</source>
        <comment>component role</comment>
        <translation>Ausgewählt</translation>
    </message>
    <message>
        <source>Visible</source>
        <comment>component role</comment>
        <translation>Sichtbar</translation>
    </message>
    <message>
        <source>Hidden</source>
        <comment>component role</comment>
        <translation>Ausgeblendet</translation>
    </message>
    <message>
        <source>Coloured</source>
        <comment>component role</comment>
        <translation>Eingefärbt</translation>
    </message>
    <message>
        <source>Reading the viewpoint</source>
        <translation>Lesen des Ansichtspunkts</translation>
    </message>
    <message>
        <source>%1. Clipping planes: %2, lines: %3, bitmaps: %4</source>
        <translation>%1. Schnittebenen: %2, Linien: %3, Bitmaps: %4</translation>
    </message>
    <message>
        <source>Showing the bitmap</source>
        <translation>Anzeigen der Bitmap</translation>
    </message>
</context>
<context>
    <name>DocumentsView</name>
    <message>
        <source>the file is too large for a BCF archive</source>
        <translation>die Datei ist zu groß für ein BCF-Archiv</translation>
    </message>
    <message>
        <source>Project</source>
        <comment>document scope</comment>
        <translation>Projekt</translation>
    </message>
    <message>
        <source>Delete document</source>
        <translation>Dokument löschen</translation>
    </message>
    <message>
        <source>Documents (%1)</source>
        <translation>Dokumente (%1)</translation>
    </message>
    <message>
        <source>Adding a document</source>
        <translation>Hinzufügen eines Dokuments</translation>
    </message>
    <message>
        <source>Delete the document “%1”?</source>
        <translation>Das Dokument „%1“ löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Its %n reference(s) in topics go too.</source>
        <translation>
            <numerusform>Sein Verweis in %n Thema wird ebenfalls entfernt.</numerusform>
            <numerusform>Seine %n Verweise in Themen werden ebenfalls entfernt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleting the document</source>
        <translation>Löschen des Dokuments</translation>
    </message>
</context>
<context>
    <name>EditCommands</name>
    <message>
        <source>Merge Archive</source>
        <translation>Archiv zusammenführen</translation>
    </message>
    <message>
        <source>Edit Comment</source>
        <translation>Kommentar bearbeiten</translation>
    </message>
    <message>
        <source>New Issue</source>
        <translation>Neues Thema</translation>
    </message>
    <message>
        <source>Delete Issue</source>
        <translation>Thema löschen</translation>
    </message>
    <message>
        <source>New Comment</source>
        <translation>Neuer Kommentar</translation>
    </message>
    <message>
        <source>Delete Comment</source>
        <translation>Kommentar löschen</translation>
    </message>
    <message>
        <source>New Snapshot</source>
        <translation>Neuer Snapshot</translation>
    </message>
    <message>
        <source>Delete Snapshot</source>
        <translation>Snapshot löschen</translation>
    </message>
    <message>
        <source>New Document</source>
        <translation>Neues Dokument</translation>
    </message>
    <message>
        <source>Delete Document</source>
        <translation>Dokument löschen</translation>
    </message>
    <message>
        <source>Edit Title</source>
        <translation>Titel bearbeiten</translation>
    </message>
    <message>
        <source>Edit Type</source>
        <translation>Typ bearbeiten</translation>
    </message>
    <message>
        <source>Edit Status</source>
        <translation>Status bearbeiten</translation>
    </message>
    <message>
        <source>Edit Assignee</source>
        <translation>Zuständige Person bearbeiten</translation>
    </message>
    <message>
        <source>Edit Stage</source>
        <translation>Phase bearbeiten</translation>
    </message>
    <message>
        <source>Edit Priority</source>
        <translation>Priorität bearbeiten</translation>
    </message>
    <message>
        <source>Edit Issue</source>
        <translation>Thema bearbeiten</translation>
    </message>
    <message>
        <source>Edit Description</source>
        <translation>Beschreibung bearbeiten</translation>
    </message>
    <message>
        <source>Remove Label</source>
        <translation>Label entfernen</translation>
    </message>
    <message>
        <source>Add Label</source>
        <translation>Label hinzufügen</translation>
    </message>
    <message>
        <source>Clear Due Date</source>
        <translation>Fälligkeitsdatum entfernen</translation>
    </message>
    <message>
        <source>Set Due Date</source>
        <translation>Fälligkeitsdatum setzen</translation>
    </message>
</context>
<context>
    <name>IssueComboDelegate</name>
    <message>
        <source>Choosing a value sets it for the topic</source>
        <translation>Der gewählte Wert wird für das Thema gesetzt</translation>
    </message>
</context>
<context>
    <name>IssueFilterBar</name>
    <message>
        <source>(none)</source>
        <comment>no value</comment>
        <translation>(ohne Wert)</translation>
    </message>
    <message>
        <source>Search issues</source>
        <translation>Themen durchsuchen</translation>
    </message>
    <message>
        <source>All types</source>
        <translation>Alle Typen</translation>
    </message>
    <message>
        <source>All statuses</source>
        <translation>Alle Status</translation>
    </message>
    <message>
        <source>All assignees</source>
        <translation>Alle Zuständigen</translation>
    </message>
    <message>
        <source>All priorities</source>
        <translation>Alle Prioritäten</translation>
    </message>
    <message>
        <source>All stages</source>
        <translation>Alle Phasen</translation>
    </message>
    <message>
        <source>Shows only the topics whose texts contain what is typed</source>
        <translation>Zeigt nur die Themen, deren Texte das Eingegebene enthalten</translation>
    </message>
    <message>
        <source>Type filter</source>
        <translation>Filter nach Typ</translation>
    </message>
    <message>
        <source>Status filter</source>
        <translation>Filter nach Status</translation>
    </message>
    <message>
        <source>Assignee filter</source>
        <translation>Filter nach Zuständigen</translation>
    </message>
    <message>
        <source>Priority filter</source>
        <translation>Filter nach Priorität</translation>
    </message>
    <message>
        <source>Stage filter</source>
        <translation>Filter nach Phase</translation>
    </message>
    <message>
        <source>Shows only the topics with the chosen value</source>
        <translation>Zeigt nur die Themen mit dem gewählten Wert</translation>
    </message>
</context>
<context>
    <name>IssueList</name>
    <message>
        <source>Delete issue</source>
        <translation>Thema löschen</translation>
    </message>
    <message>
        <source>Editing the topic</source>
        <translation>Bearbeiten des Themas</translation>
    </message>
    <message>
        <source>Renaming the topic</source>
        <translation>Umbenennen des Themas</translation>
    </message>
    <message>
        <source>a title can&apos;t be empty or only spaces</source>
        <translation>ein Titel darf nicht leer sein oder nur aus Leerzeichen bestehen</translation>
    </message>
    <message>
        <source>Adding an issue</source>
        <translation>Hinzufügen eines Themas</translation>
    </message>
    <message>
        <source>Delete the issue %1 with its %2 and %3?</source>
        <translation>Das Thema %1 mit %2 und %3 löschen?</translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s)</source>
        <translation>
            <numerusform>%n Kommentar</numerusform>
            <numerusform>%n Kommentaren</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n snapshot(s)</source>
        <translation>
            <numerusform>%n Snapshot</numerusform>
            <numerusform>%n Snapshots</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleting the issue</source>
        <translation>Löschen des Themas</translation>
    </message>
    <message>
        <source>Issues (%1 of %2)</source>
        <translation>Themen (%1 von %2)</translation>
    </message>
    <message>
        <source>Issues (%1)</source>
        <translation>Themen (%1)</translation>
    </message>
</context>
<context>
    <name>LinkOpener</name>
    <message>
        <source>links of this kind are not opened: %1</source>
        <translation>Links dieser Art werden nicht geöffnet: %1</translation>
    </message>
    <message>
        <source>Open this web link?</source>
        <translation>Diesen Weblink öffnen?</translation>
    </message>
    <message>
        <source>%1 is a program or launcher and is not opened</source>
        <translation>%1 ist ein Programm oder Starter und wird nicht geöffnet</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 existiert nicht</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Open this file?</source>
        <translation>Diese Datei öffnen?</translation>
    </message>
    <message>
        <source>document</source>
        <comment>file name of a document without a name</comment>
        <translation>Dokument</translation>
    </message>
    <message>
        <source>Open this document from the archive?</source>
        <translation>Dieses Dokument aus dem Archiv öffnen?</translation>
    </message>
    <message>
        <source>no private folder for the document</source>
        <translation>kein privater Ordner für das Dokument</translation>
    </message>
    <message>
        <source>the private folder can&apos;t be written</source>
        <translation>in den privaten Ordner kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Type: %1</source>
        <translation>Typ: %1</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Link öffnen</translation>
    </message>
    <message>
        <source>Don&apos;t ask again for web links</source>
        <translation>Bei Weblinks nicht mehr fragen</translation>
    </message>
    <message>
        <source>no application of the desktop opens %1</source>
        <translation>keine Anwendung der Arbeitsumgebung öffnet %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Project: </source>
        <translation>Projekt: </translation>
    </message>
    <message>
        <source>Export the issues the list shows as a PDF, XLSX or CSV report</source>
        <translation>Die in der Liste angezeigten Themen als PDF-, XLSX- oder CSV-Bericht exportieren</translation>
    </message>
    <message>
        <source>Export report…</source>
        <translation>Bericht exportieren …</translation>
    </message>
    <message>
        <source>Issues (0)</source>
        <translation>Themen (0)</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Date created</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Created by</source>
        <translation>Erstellt von</translation>
    </message>
    <message>
        <source>Date modified</source>
        <translation>Geändert am</translation>
    </message>
    <message>
        <source>Modified by</source>
        <translation>Geändert von</translation>
    </message>
    <message>
        <source>Assigned to</source>
        <translation>Zugewiesen an</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Due date</source>
        <translation>Fälligkeitsdatum</translation>
    </message>
    <message>
        <source>(Description)</source>
        <translation>(Beschreibung)</translation>
    </message>
    <message>
        <source>Labels:</source>
        <translation>Labels:</translation>
    </message>
    <message>
        <source>Due date:</source>
        <translation>Fällig am:</translation>
    </message>
    <message>
        <source>Links:</source>
        <translation>Links:</translation>
    </message>
    <message>
        <source>IFC files:</source>
        <translation>IFC-Dateien:</translation>
    </message>
    <message>
        <source>Related topics:</source>
        <translation>Verwandte Themen:</translation>
    </message>
    <message>
        <source>Documents:</source>
        <translation>Dokumente:</translation>
    </message>
    <message>
        <source>BIM snippet:</source>
        <translation>BIM-Snippet:</translation>
    </message>
    <message>
        <source>Adds a label: choose one of the project&apos;s labels or type a new one</source>
        <translation>Fügt ein Label hinzu: eines der Labels des Projekts wählen oder ein neues eingeben</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Removes the due date</source>
        <translation>Entfernt das Fälligkeitsdatum</translation>
    </message>
    <message>
        <source>New issue</source>
        <translation>Neues Thema</translation>
    </message>
    <message>
        <source>Snapshots (0)</source>
        <translation>Snapshots (0)</translation>
    </message>
    <message>
        <source>Component</source>
        <translation>Bauteil</translation>
    </message>
    <message>
        <source>Originating system</source>
        <translation>Ursprungssystem</translation>
    </message>
    <message>
        <source>Authoring tool id</source>
        <translation>ID im Autorenwerkzeug</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Bitmaps of the viewpoint; double-click to show one</source>
        <translation>Bitmaps des Ansichtspunkts; Doppelklick zeigt eine an</translation>
    </message>
    <message>
        <source>New Snapshot</source>
        <translation>Neuer Snapshot</translation>
    </message>
    <message>
        <source>Documents (0)</source>
        <translation>Dokumente (0)</translation>
    </message>
    <message>
        <source>Related to</source>
        <translation>Bezug</translation>
    </message>
    <message>
        <source>New Document</source>
        <translation>Neues Dokument</translation>
    </message>
    <message>
        <source>Comments (0)</source>
        <translation>Kommentare (0)</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>New Comment</source>
        <translation>Neuer Kommentar</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New archive…</source>
        <translation>&amp;Neues Archiv …</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>Ö&amp;ffnen …</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save &amp;As…</source>
        <translation>Speichern &amp;unter …</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Export report…</source>
        <translation>Bericht &amp;exportieren …</translation>
    </message>
    <message>
        <source>Author name…</source>
        <translation>Autorenname …</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <comment>menu</comment>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Saving the BCF archive</source>
        <translation>Speichern des BCF-Archivs</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>%1 rückgängig machen</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>%1 wiederholen</translation>
    </message>
    <message>
        <source>Choosing the BCF archive</source>
        <translation>Auswählen des BCF-Archivs</translation>
    </message>
    <message>
        <source>Opening the BCF archive</source>
        <translation>Öffnen des BCF-Archivs</translation>
    </message>
    <message>
        <source>Closing the BCF archive</source>
        <translation>Schließen des BCF-Archivs</translation>
    </message>
    <message>
        <source>Starting a new archive</source>
        <translation>Anlegen eines neuen Archivs</translation>
    </message>
    <message>
        <source>New archive</source>
        <translation>Neues Archiv</translation>
    </message>
    <message>
        <source>Project name:</source>
        <translation>Projektname:</translation>
    </message>
    <message>
        <source>Setting the author name</source>
        <translation>Festlegen des Autorennamens</translation>
    </message>
    <message>
        <source>Author name</source>
        <translation>Autorenname</translation>
    </message>
    <message>
        <source>New records and edits are signed with this name (empty: the login name %1):</source>
        <translation>Neue Einträge und Änderungen werden mit diesem Namen gezeichnet (leer: der Anmeldename %1):</translation>
    </message>
    <message>
        <source>the new archive</source>
        <translation>das neue Archiv</translation>
    </message>
    <message>
        <source>BCF</source>
        <translation>BCF</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>&amp;New issue</source>
        <translation>&amp;Neues Thema</translation>
    </message>
    <message>
        <source>&amp;Search issues</source>
        <translation>Themen &amp;durchsuchen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <comment>edit a cell</comment>
        <translation>&amp;Ändern</translation>
    </message>
    <message>
        <source>Issues</source>
        <translation>Themen</translation>
    </message>
    <message>
        <source>The topics of the archive, one per row; the selected topic is shown beside and below</source>
        <translation>Die Themen des Archivs, eines pro Zeile; das gewählte Thema wird daneben und darunter gezeigt</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Add label</source>
        <translation>Label hinzufügen</translation>
    </message>
    <message>
        <source>Type or choose a label to add to the topic</source>
        <translation>Label eingeben oder wählen, um es dem Thema hinzuzufügen</translation>
    </message>
    <message>
        <source>Snapshots and documents</source>
        <translation>Snapshots und Dokumente</translation>
    </message>
    <message>
        <source>Snapshots</source>
        <translation>Snapshots</translation>
    </message>
    <message>
        <source>The snapshots of the topic; activating one shows it in full size</source>
        <translation>Die Snapshots des Themas; ein aktivierter wird in voller Größe gezeigt</translation>
    </message>
    <message>
        <source>Components</source>
        <translation>Komponenten</translation>
    </message>
    <message>
        <source>The components of the selected snapshot’s viewpoint</source>
        <translation>Die Komponenten des Blickpunkts des gewählten Snapshots</translation>
    </message>
    <message>
        <source>Bitmaps</source>
        <translation>Bitmaps</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>The comments of the topic</source>
        <translation>Die Kommentare des Themas</translation>
    </message>
    <message>
        <source>Topic details</source>
        <translation>Details des Themas</translation>
    </message>
</context>
<context>
    <name>ProjectLabels</name>
    <message>
        <source>(unnamed) *</source>
        <translation>(unbenannt) *</translation>
    </message>
    <message>
        <source>Project: %1</source>
        <translation>Projekt: %1</translation>
    </message>
</context>
<context>
    <name>Records</name>
    <message>
        <source>the snapshot image can&apos;t be written</source>
        <translation>das Snapshot-Bild kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>no image</source>
        <translation>kein Bild</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>(none)</source>
        <translation>(keine Angabe)</translation>
    </message>
    <message>
        <source>%1 by %2</source>
        <comment>date by author</comment>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Issue report</source>
        <translation>Themenbericht</translation>
    </message>
    <message>
        <source>Project</source>
        <translation>Projekt</translation>
    </message>
    <message>
        <source>Archive file</source>
        <translation>Archivdatei</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Topics</source>
        <translation>Themen</translation>
    </message>
    <message>
        <source>All times are local times (UTC%1%2:%3).</source>
        <translation>Alle Zeiten sind Ortszeiten (UTC%1%2:%3).</translation>
    </message>
    <message>
        <source>Topics by status</source>
        <translation>Themen nach Status</translation>
    </message>
    <message>
        <source>Topics by type</source>
        <translation>Themen nach Typ</translation>
    </message>
    <message>
        <source>Snapshots</source>
        <translation>Snapshots</translation>
    </message>
    <message>
        <source>not in the archive</source>
        <translation>nicht im Archiv</translation>
    </message>
    <message>
        <source>not a readable image</source>
        <translation>kein lesbares Bild</translation>
    </message>
    <message>
        <source>Snapshot %1 can&apos;t be shown: %2</source>
        <translation>Snapshot %1 kann nicht angezeigt werden: %2</translation>
    </message>
    <message>
        <source>GUID</source>
        <translation>GUID</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>Assigned to</source>
        <translation>Zugewiesen an</translation>
    </message>
    <message>
        <source>Labels</source>
        <translation>Labels</translation>
    </message>
    <message>
        <source>Due date</source>
        <translation>Fälligkeitsdatum</translation>
    </message>
    <message>
        <source>Created</source>
        <translation>Erstellt</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Comments (%1)</source>
        <translation>Kommentare (%1)</translation>
    </message>
    <message>
        <source>(changed %1)</source>
        <translation>(geändert %1)</translation>
    </message>
    <message>
        <source>Issue report %1</source>
        <translation>Themenbericht %1</translation>
    </message>
    <message>
        <source>the file name must end in .pdf, .xlsx or .csv</source>
        <translation>der Dateiname muss auf .pdf, .xlsx oder .csv enden</translation>
    </message>
    <message>
        <source>no topic %1 in the archive</source>
        <translation>kein Thema %1 im Archiv</translation>
    </message>
    <message>
        <source>is a folder</source>
        <translation>ist ein Ordner</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>Last comment</source>
        <translation>Letzter Kommentar</translation>
    </message>
    <message>
        <source>Issues</source>
        <comment>sheet name</comment>
        <translation>Themen</translation>
    </message>
    <message numerus="yes">
        <source>… (%n more character(s))</source>
        <translation>
            <numerusform>… (%n weiteres Zeichen)</numerusform>
            <numerusform>… (%n weitere Zeichen)</numerusform>
        </translation>
    </message>
    <message>
        <source>too much to lay out in a PDF report: more than %1 million characters of text, or %2 million in one topic</source>
        <translation>zu viel für einen PDF-Bericht: mehr als %1 Millionen Zeichen Text oder %2 Millionen in einem Thema</translation>
    </message>
    <message>
        <source>too large to show (%1 × %2 pixels)</source>
        <translation>zu groß zum Anzeigen (%1 × %2 Pixel)</translation>
    </message>
</context>
<context>
    <name>ReportExport</name>
    <message>
        <source>PDF report (*.pdf)</source>
        <translation>PDF-Bericht (*.pdf)</translation>
    </message>
    <message>
        <source>Excel workbook (*.xlsx)</source>
        <translation>Excel-Arbeitsmappe (*.xlsx)</translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation>CSV-Datei (*.csv)</translation>
    </message>
    <message>
        <source>Export report…</source>
        <translation>Bericht exportieren …</translation>
    </message>
    <message>
        <source>Exporting the report</source>
        <translation>Exportieren des Berichts</translation>
    </message>
    <message>
        <source>Writing the report…</source>
        <translation>Bericht wird geschrieben …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>SaveCommand</name>
    <message>
        <source>BCF Files (*.bcf *.bcfzip)</source>
        <translation>BCF-Dateien (*.bcf *.bcfzip)</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>The archive was saved, but not everything could be carried:</source>
        <translation>Das Archiv wurde gespeichert, aber nicht alles konnte übernommen werden:</translation>
    </message>
</context>
<context>
    <name>SnapshotImport</name>
    <message>
        <source>Paste snapshot</source>
        <translation>Snapshot einfügen</translation>
    </message>
    <message>
        <source>Adding the image</source>
        <translation>Hinzufügen des Bildes</translation>
    </message>
    <message>
        <source>The clipboard holds no image.</source>
        <translation>Die Zwischenablage enthält kein Bild.</translation>
    </message>
</context>
<context>
    <name>SnapshotViewer</name>
    <message>
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Fit to window</source>
        <translation>An Fenster anpassen</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <source>No image</source>
        <translation>Kein Bild</translation>
    </message>
    <message>
        <source>%1 / %2  %3</source>
        <translation>%1 / %2  %3</translation>
    </message>
    <message>
        <source>The image can&apos;t be read.</source>
        <translation>Das Bild kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>%1 %</source>
        <comment>zoom in percent</comment>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>SnapshotsView</name>
    <message>
        <source>Delete snapshot</source>
        <translation>Snapshot löschen</translation>
    </message>
    <message>
        <source>Show in model</source>
        <translation>Im Modell zeigen</translation>
    </message>
    <message>
        <source>Snapshot (%1)</source>
        <translation>Snapshots (%1)</translation>
    </message>
    <message>
        <source>the image can&apos;t be decoded</source>
        <translation>das Bild kann nicht dekodiert werden</translation>
    </message>
    <message>
        <source>Damaged snapshot %1: %2</source>
        <translation>Beschädigter Snapshot %1: %2</translation>
    </message>
    <message>
        <source>Showing the snapshot</source>
        <translation>Anzeigen des Snapshots</translation>
    </message>
    <message>
        <source>Delete the snapshot “%1” with its viewpoint?</source>
        <translation>Den Snapshot „%1“ mit seinem Ansichtspunkt löschen?</translation>
    </message>
    <message>
        <source>Deleting the snapshot</source>
        <translation>Löschen des Snapshots</translation>
    </message>
    <message>
        <source>Snapshot %1: %2</source>
        <translation>Snapshot %1: %2</translation>
    </message>
</context>
<context>
    <name>TargetFileDialog</name>
    <message>
        <source>BCF</source>
        <translation>BCF</translation>
    </message>
    <message>
        <source>%1 already exists.
Replace it?</source>
        <translation>%1 ist bereits vorhanden.
Ersetzen?</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
</context>
<context>
    <name>TopicDetails</name>
    <message>
        <source>%1 (missing)</source>
        <translation>%1 (fehlt)</translation>
    </message>
    <message>
        <source>None</source>
        <comment>no due date</comment>
        <translation>Keines</translation>
    </message>
    <message>
        <source>Editing the description</source>
        <translation>Bearbeiten der Beschreibung</translation>
    </message>
    <message>
        <source>Removing the label</source>
        <translation>Entfernen des Labels</translation>
    </message>
    <message>
        <source>Adding the label</source>
        <translation>Hinzufügen des Labels</translation>
    </message>
    <message>
        <source>Setting the due date</source>
        <translation>Setzen des Fälligkeitsdatums</translation>
    </message>
    <message>
        <source>Opening the link</source>
        <translation>Öffnen des Links</translation>
    </message>
    <message>
        <source>the document is not in the archive</source>
        <translation>das Dokument ist nicht im Archiv</translation>
    </message>
    <message>
        <source>None</source>
        <comment>no value in the field</comment>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Each × link removes its label.</source>
        <translation>Jeder ×-Link entfernt sein Label.</translation>
    </message>
</context>
<context>
    <name>ValidationBanner</name>
    <message numerus="yes">
        <source>%n problem(s) in this archive — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</source>
        <translation>
            <numerusform>%n Problem in diesem Archiv — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</numerusform>
            <numerusform>%n Probleme in diesem Archiv — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</numerusform>
        </translation>
    </message>
    <message>
        <source>Problems in this archive</source>
        <translation>Probleme in diesem Archiv</translation>
    </message>
    <message>
        <source>Entry</source>
        <comment>archive entry</comment>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>Column</source>
        <comment>position in a line</comment>
        <translation>Spalte</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>Regel</translation>
    </message>
    <message>
        <source>Problem</source>
        <translation>Problem</translation>
    </message>
</context>
<context>
    <name>ViewpointLink</name>
    <message>
        <source>Adding a snapshot</source>
        <translation>Hinzufügen eines Snapshots</translation>
    </message>
    <message>
        <source>Reading the viewpoint</source>
        <translation>Lesen des Ansichtspunkts</translation>
    </message>
</context>
<context>
    <name>WindowMessages</name>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>BCF</source>
        <translation>BCF</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
</context>
</TS>
