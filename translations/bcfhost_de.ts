<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>HostWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open BCF archive…</source>
        <translation>BCF-Archiv ö&amp;ffnen …</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Model</source>
        <translation>&amp;Modell</translation>
    </message>
    <message>
        <source>&amp;Add this view to the issue</source>
        <translation>Diese Ansicht zum Thema &amp;hinzufügen</translation>
    </message>
    <message>
        <source>Click a component of the model to select it</source>
        <translation>Ein Bauteil des Modells anklicken, um es auszuwählen</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Ausgewählt: %1</translation>
    </message>
    <message>
        <source>Issue %1</source>
        <translation>Thema %1</translation>
    </message>
    <message>
        <source>Open BCF archive</source>
        <translation>BCF-Archiv öffnen</translation>
    </message>
    <message>
        <source>BCF archives (*.bcf *.bcfzip)</source>
        <translation>BCF-Archive (*.bcf *.bcfzip)</translation>
    </message>
    <message>
        <source>BCF host</source>
        <translation>BCF-Host</translation>
    </message>
    <message>
        <source>%1%2 – BCF host</source>
        <translation>%1%2 – BCF-Host</translation>
    </message>
    <message>
        <source>Save changes to the BCF archive?</source>
        <translation>Änderungen am BCF-Archiv speichern?</translation>
    </message>
</context>
<context>
    <name>ModelView</name>
    <message>
        <source>Drag: orbit   Wheel: zoom   Click: select   Right-click: hide, colour</source>
        <translation>Ziehen: drehen   Mausrad: zoomen   Klick: auswählen   Rechtsklick: ausblenden, einfärben</translation>
    </message>
    <message>
        <source>Hide selection</source>
        <translation>Auswahl ausblenden</translation>
    </message>
    <message>
        <source>Show only selection</source>
        <translation>Nur Auswahl zeigen</translation>
    </message>
    <message>
        <source>Show all</source>
        <translation>Alles zeigen</translation>
    </message>
    <message>
        <source>Colour selection</source>
        <translation>Auswahl einfärben</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Translucent</source>
        <translation>Durchscheinend</translation>
    </message>
    <message>
        <source>Own colour</source>
        <translation>Eigene Farbe</translation>
    </message>
    <message>
        <source>Remove all colours</source>
        <translation>Alle Farben entfernen</translation>
    </message>
    <message>
        <source>Remove clipping planes</source>
        <translation>Schnittebenen entfernen</translation>
    </message>
    <message>
        <source>Clear selection</source>
        <translation>Auswahl aufheben</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Slab</source>
        <translation>Decke</translation>
    </message>
    <message>
        <source>South wall</source>
        <translation>Südwand</translation>
    </message>
    <message>
        <source>North wall</source>
        <translation>Nordwand</translation>
    </message>
    <message>
        <source>West wall</source>
        <translation>Westwand</translation>
    </message>
    <message>
        <source>East wall</source>
        <translation>Ostwand</translation>
    </message>
    <message>
        <source>Column A</source>
        <translation>Stütze A</translation>
    </message>
    <message>
        <source>Column B</source>
        <translation>Stütze B</translation>
    </message>
    <message>
        <source>Door</source>
        <translation>Tür</translation>
    </message>
</context>
</TS>
