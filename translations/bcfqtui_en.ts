<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ArchiveMerge</name>
    <message numerus="yes">
        <source>%n topic(s) added</source>
        <translation>
            <numerusform>%n topic added</numerusform>
            <numerusform>%n topics added</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n topic(s) updated</source>
        <translation>
            <numerusform>%n topic updated</numerusform>
            <numerusform>%n topics updated</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s) added</source>
        <translation>
            <numerusform>%n comment added</numerusform>
            <numerusform>%n comments added</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n viewpoint(s) added</source>
        <translation>
            <numerusform>%n viewpoint added</numerusform>
            <numerusform>%n viewpoints added</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n document(s) added</source>
        <translation>
            <numerusform>%n document added</numerusform>
            <numerusform>%n documents added</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n extension value(s) added</source>
        <translation>
            <numerusform>%n extension value added</numerusform>
            <numerusform>%n extension values added</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n conflict</numerusform>
            <numerusform>%n conflicts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s) updated</source>
        <translation>
            <numerusform>%n comment updated</numerusform>
            <numerusform>%n comments updated</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DocumentsView</name>
    <message numerus="yes">
        <source>Its %n reference(s) in topics go too.</source>
        <translation>
            <numerusform>Its %n reference in topics goes too.</numerusform>
            <numerusform>Its %n references in topics go too.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>IssueList</name>
    <message numerus="yes">
        <source>%n comment(s)</source>
        <translation>
            <numerusform>%n comment</numerusform>
            <numerusform>%n comments</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n snapshot(s)</source>
        <translation>
            <numerusform>%n snapshot</numerusform>
            <numerusform>%n snapshots</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message numerus="yes">
        <source>… (%n more character(s))</source>
        <translation>
            <numerusform>… (%n more character)</numerusform>
            <numerusform>… (%n more characters)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ValidationBanner</name>
    <message numerus="yes">
        <source>%n problem(s) in this archive — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</source>
        <translation>
            <numerusform>%n problem in this archive — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</numerusform>
            <numerusform>%n problems in this archive — &lt;a href=&quot;details&quot;&gt;Details&lt;/a&gt;</numerusform>
        </translation>
    </message>
</context>
</TS>
