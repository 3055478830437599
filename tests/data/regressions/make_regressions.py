#!/usr/bin/env python3
"""Writes the small regression archives of the hardening findings (run in this folder).

The expansion bomb is not kept here: the codec test builds it when it runs.
"""
import io
import zipfile

TOPIC = "0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b"
DOCUMENT = "d0c0ffee-1111-4222-8333-444455556666"
NS = 'xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"'


def archive(name, entries):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=(2024, 3, 7, 9, 5, 40))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data.encode() if isinstance(data, str) else data)
    with open(name, "wb") as f:
        f.write(buffer.getvalue())


def version(text):
    return '<?xml version="1.0"?>\n<Version VersionId="%s" />\n' % text


def markup21(title, extra="", body="", topic_type="Issue"):
    return ('<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="%s" TopicStatus="Open">'
            '<Title>%s</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate>'
            '<CreationAuthor>a@b.c</CreationAuthor>%s</Topic>%s</Markup>\n'
            % (NS, TOPIC, topic_type, title, extra, body))


# Carriage returns, tabs and white-space-only texts in every kind of text field (3.0 has no
# blank texts: its schemas forbid them).
archive("text-exact-2.1.bcf", [
    ("bcf.version", version("2.1")),
    ("project.bcfp", '<?xml version="1.0"?>\n<ProjectExtension %s><Project ProjectId="p1">'
                     '<Name>one&#13;&#10;two</Name></Project><ExtensionSchema>extensions.xsd</ExtensionSchema>'
                     '</ProjectExtension>\n' % NS),
    ("extensions.xsd", '<?xml version="1.0"?>\n<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">'
                       '<xs:redefine schemaLocation="markup.xsd"><xs:simpleType name="TopicType">'
                       '<xs:restriction base="TopicType"><xs:enumeration value="Is&#9;sue&#13;"/>'
                       '<xs:enumeration value=" "/></xs:restriction></xs:simpleType></xs:redefine>'
                       '</xs:schema>\n'),
    ("report\ttab.txt", "document bytes"),
    (TOPIC + "/markup.bcf", markup21(
        "&#9;", "<Priority>   </Priority><ModifiedAuthor> </ModifiedAuthor><AssignedTo>&#13;</AssignedTo>"
        "<Stage>&#9;</Stage><Description>one&#13;&#10;two&#13;three&#9;four</Description>",
        '<Comment Guid="c1"><Date>2024-03-07T09:05:41Z</Date><Author>x&#13;y</Author>'
        '<Comment>  </Comment><ModifiedAuthor>&#9;</ModifiedAuthor></Comment>', "Is&#9;sue&#13;")),
])

archive("text-exact-3.0.bcf", [
    ("bcf.version", version("3.0")),
    ("project.bcfp", '<?xml version="1.0"?>\n<ProjectInfo %s><Project ProjectId="p1">'
                     '<Name>one&#13;two</Name></Project></ProjectInfo>\n' % NS),
    ("extensions.xml", '<?xml version="1.0"?>\n<Extensions><TopicTypes><TopicType>Is&#9;sue&#13;</TopicType>'
                       '</TopicTypes></Extensions>\n'),
    ("documents.xml", '<?xml version="1.0"?>\n<DocumentInfo %s><Documents><Document Guid="%s">'
                      '<Filename>plan&#13;.pdf</Filename></Document></Documents></DocumentInfo>\n'
                      % (NS, DOCUMENT)),
    ("documents/" + DOCUMENT, "%PDF"),
    (TOPIC + "/markup.bcf",
     '<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="Is&#9;sue" TopicStatus="Open&#13;">'
     '<Title> &#9;x&#13;</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a&#13;b'
     '</CreationAuthor><Description>one&#13;&#10;two&#13;</Description><Comments><Comment Guid="c1">'
     '<Date>2024-03-07T09:05:41Z</Date><Author>x&#9;y</Author><Comment>a&#13;b</Comment></Comment>'
     '</Comments></Topic></Markup>\n' % (NS, TOPIC)),
])

# A 2.1 project that names its extension schema like a markup file.
archive("extension-schema-named-like-markup-2.1.bcf", [
    ("bcf.version", version("2.1")),
    ("project.bcfp", '<?xml version="1.0"?>\n<ProjectExtension %s><Project ProjectId="p1"><Name>N</Name>'
                     '</Project><ExtensionSchema>x.markup.bcf</ExtensionSchema></ProjectExtension>\n' % NS),
    (TOPIC + "/markup.bcf", markup21("T")),
])

# A 3.0 document whose GUID is an entry name of the archive, and which has no bytes.
archive("document-guid-markup-without-bytes-3.0.bcf", [
    ("bcf.version", version("3.0")),
    ("documents.xml", '<?xml version="1.0"?>\n<DocumentInfo %s><Documents><Document Guid="markup.bcf">'
                      '<Filename>markup.bcf</Filename></Document></Documents></DocumentInfo>\n' % NS),
])

# Twenty viewpoints that name one snapshot.
viewpoints = "".join('<Viewpoints Guid="v%d"><Snapshot>shared.png</Snapshot></Viewpoints>' % i for i in range(20))
archive("shared-snapshot-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T", body=viewpoints)),
    (TOPIC + "/shared.png", b"\x89PNG\r\n\x1a\n" + bytes(4096)),
])

# Payload names that a save would turn into the topic's own markup file or a name outside it.
archive("payload-names-unusable-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T", body='<Viewpoints Guid="v1"><Viewpoint>markup.bcf</Viewpoint>'
                                               '<Snapshot>../shared.png</Snapshot></Viewpoints>')),
    (TOPIC + "/../shared.png", b"\x89PNG"),
])

# A BIM snippet whose reference leads to another topic's markup file or to the archive's project
# file: saved, its copy would read back as a third topic or as the project.
archive("snippet-named-like-bcf-files-2.1.bcf", [
    ("bcf.version", version("2.1")),
    ("project.bcfp", '<?xml version="1.0"?>\n<ProjectExtension %s><ExtensionSchema>extensions.xsd'
                     '</ExtensionSchema></ProjectExtension>\n' % NS),
    (TOPIC + "/markup.bcf", markup21("T", '<BimSnippet SnippetType="x"><Reference>sub/markup.bcf</Reference>'
                                          '<ReferenceSchema>s</ReferenceSchema></BimSnippet>')),
    (TOPIC + "/sub/markup.bcf", markup21("U").replace(TOPIC, DOCUMENT)),
    ("1b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b/markup.bcf",
     markup21("V", '<BimSnippet SnippetType="x"><Reference>../project.bcfp</Reference>'
                   '<ReferenceSchema>s</ReferenceSchema></BimSnippet>').replace(TOPIC, "1b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b")),
])

# A topic's markup file named otherwise than markup.bcf, beside another topic's: it is a topic,
# not also a file kept in the other topic's folder (saved, it would read back as a third topic).
archive("markup-named-otherwise-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T")),
    (TOPIC + "/old-markup.bcf", markup21("U").replace(TOPIC, DOCUMENT)),
])

# Two bcf.version entries that disagree: which one counts would be left to chance.
archive("duplicate-version-differing-2.1.bcf", [
    ("bcf.version", version("2.1")),
    ("bcf.version", version("3.0")),
    (TOPIC + "/markup.bcf", markup21("T")),
])

# The same markup file twice, byte for byte: one file, one topic.
archive("duplicate-markup-identical-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T")),
    (TOPIC + "/markup.bcf", markup21("T")),
])

# Only the root element under a prefix, right after the XML declaration: the prefix is taken off.
archive("root-prefixed-right-after-declaration-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("Root under a prefix").replace("\n<Markup ", '<bcf:Markup xmlns:bcf="urn:bcf" ')
                                .replace("</Markup>", "</bcf:Markup>")),
])

# Texts split by comments (one holding what would be a tag and an attribute with '<' outside
# it), processing instructions and CDATA sections; elements under a prefix; numbers beyond what
# a double holds.
archive("text-across-comments-and-prefixes-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf",
     '<?xml version="1.0"?>\n<bcf:Markup xmlns:bcf="urn:bcf" %s><bcf:Topic Guid="%s" TopicType="Issue" '
     'TopicStatus="Open"><bcf:Title>x<!--c - <a "<" -->y<?pi?>z<![CDATA[<w>]]></bcf:Title><CreationDate>'
     '2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a@b.c</CreationAuthor></bcf:Topic>'
     '<Viewpoints Guid="%s"><Viewpoint>v.bcfv</Viewpoint></Viewpoints></bcf:Markup>\n' % (NS, TOPIC, DOCUMENT)),
    (TOPIC + "/v.bcfv",
     '<?xml version="1.0"?>\n<VisualizationInfo Guid="%s"><PerspectiveCamera><CameraViewPoint><X>1e5000</X>'
     '<Y>-1e5000</Y><Z>1e-5000</Z></CameraViewPoint><CameraDirection><X>1</X><Y>0</Y><Z>0</Z>'
     '</CameraDirection><CameraUpVector><X>0</X><Y>0</Y><Z>1</Z></CameraUpVector><FieldOfView>60'
     '</FieldOfView></PerspectiveCamera></VisualizationInfo>\n' % DOCUMENT),
])

# A viewpoint naming a bitmap image the archive does not hold: the name is kept, no empty image
# file is made up for it.
archive("bitmap-file-missing-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T", body='<Viewpoints Guid="%s"><Viewpoint>v.bcfv</Viewpoint></Viewpoints>'
                                     % DOCUMENT)),
    (TOPIC + "/v.bcfv",
     '<?xml version="1.0"?>\n<VisualizationInfo Guid="%s"><Bitmap><Bitmap>PNG</Bitmap><Reference>b.png'
     '</Reference><Location><X>0</X><Y>0</Y><Z>0</Z></Location><Normal><X>0</X><Y>0</Y><Z>1</Z></Normal>'
     '<Up><X>0</X><Y>1</Y><Z>0</Z></Up><Height>1</Height></Bitmap></VisualizationInfo>\n' % DOCUMENT),
])

# An internal DTD entity, which the reader does not expand: refused rather than kept as "&co;".
archive("dtd-entity-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T").replace('<?xml version="1.0"?>\n',
                                                  '<?xml version="1.0"?>\n<!DOCTYPE Markup [<!ENTITY co "Company">]>\n')
     .replace("<Title>T</Title>", "<Title>&co;</Title>")),
])

# Invalid UTF-8 (a Latin-1 byte) in a title, in a file that declares no other encoding.
archive("invalid-utf8-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T").encode().replace(b"<Title>T</Title>", b"<Title>caf\xe9</Title>")),
])

# The same under a declared encoding that XML readers do not convert (it reads as UTF-8), and a
# character reference that names no Unicode character: both refused, never written back as bytes
# that are no UTF-8.
archive("invalid-utf8-other-encoding-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T").replace('<?xml version="1.0"?>', '<?xml version="1.0" encoding="windows-1252"?>')
     .encode().replace(b"<Title>T</Title>", b"<Title>caf\xe9</Title>")),
])
archive("character-reference-to-no-character-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("&#xD800;")),
])

# The same written with many leading zeros: the error shows the reference's first 16 characters.
archive("character-reference-long-to-no-character-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("&#x0000000000000000000000D800;")),
])

# An empty markup file: no document element, whatever buffer an empty entry is read into.
archive("markup-empty-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", ""),
])

# What the readers do not take, which a save leaves out and names: vendor elements and attributes,
# 2.0 leftovers, a second Topic and Title, an Index, a number and a boolean that are none, text
# among a topic's elements, a viewpoint file that no markup names; and a text split by a comment
# and a processing instruction, which is kept.
VIEWPOINT = "0c1d2e3f-4a5b-4c6d-8e7f-8091a2b3c4d5"
archive("unread-content-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf",
     '<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="Issue" TopicStatus="Open" Vendor="v">'
     '<Title>x<!--c--> <?pi?>z</Title><Title>second</Title><Index>1.5</Index>'
     '<CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a@b.c</CreationAuthor>stray</Topic>'
     '<Topic Guid="%s"><Title>another</Title></Topic>'
     '<Comment Guid="%s"><Date>2024-03-07T09:05:41Z</Date><Author>a@b.c</Author><Comment>c</Comment>'
     '<Status>Open</Status><VerbalStatus>open</VerbalStatus></Comment>'
     '<Viewpoints Guid="%s"><Viewpoint>v.bcfv</Viewpoint></Viewpoints></Markup>\n'
     % (NS, TOPIC, DOCUMENT, DOCUMENT, VIEWPOINT)),
    (TOPIC + "/v.bcfv",
     '<?xml version="1.0"?>\n<VisualizationInfo Guid="%s"><Components><ViewSetupHints SpacesVisible="maybe"/>'
     '<Selection><Component IfcGuid="0fo7$fhbT0Y8BaEI2rUqT9" Visible="false" Selected="true"/></Selection>'
     '</Components><PerspectiveCamera><CameraViewPoint><X>1.5m</X><Y>2</Y><Z>3</Z></CameraViewPoint>'
     '<CameraDirection><X>1</X><Y>0</Y><Z>0</Z></CameraDirection><CameraUpVector><X>0</X><Y>0</Y><Z>1</Z>'
     '</CameraUpVector><FieldOfView>wide</FieldOfView></PerspectiveCamera></VisualizationInfo>\n' % VIEWPOINT),
    (TOPIC + "/orphan.bcfv",
     '<?xml version="1.0"?>\n<VisualizationInfo Guid="%s"><Components><ViewSetupHints SpacesVisible="true"/>'
     '<Visibility DefaultVisibility="true"/></Components></VisualizationInfo>\n' % DOCUMENT),
])

# A topic whose folder is not named after its GUID, whose viewpoint file is missing, and a viewpoint
# file that no markup names in the folder named after that GUID, under the name the viewpoint
# refers to: saved, the topic's folder holds it, and the viewpoint reads it from then on.
OTHER = "5e6f7a8b-9c0d-4e1f-8a2b-3c4d5e6f7a8b"
archive("kept-viewpoint-in-topic-folder-3.0.bcf", [
    ("bcf.version", version("3.0")),
    (OTHER + "/markup.bcf",
     '<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="Issue" TopicStatus="Open">'
     '<Title>T</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a@b.c</CreationAuthor>'
     '<Viewpoints><ViewPoint Guid="%s"><Viewpoint>hints.bcfv</Viewpoint></ViewPoint></Viewpoints></Topic>'
     '</Markup>\n' % (NS, TOPIC, VIEWPOINT)),
    (TOPIC + "/hints.bcfv",
     '<?xml version="1.0"?>\n<VisualizationInfo Guid="%s"><Components><ViewSetupHints SpacesVisible="true"/>'
     '<Visibility DefaultVisibility="true"/></Components></VisualizationInfo>\n' % DOCUMENT),
])

# Characters XML does not allow, as character references (which would cut a text short or make a
# file other readers refuse) and as they stand, also in a file in UTF-16: all refused.
archive("character-reference-to-nul-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a&#0;b")),
])
archive("character-reference-to-control-3.0.bcf", [
    ("bcf.version", version("3.0")),
    (TOPIC + "/markup.bcf",
     '<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="Issue" TopicStatus="Open"><Title>T</Title>'
     '<CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a@b.c&#x1F;</CreationAuthor></Topic>'
     '</Markup>\n' % (NS, TOPIC)),
])
archive("character-reference-to-noncharacter-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T", body='<Comment Guid="c1"><Date>2024-03-07T09:05:41Z</Date>'
                                               '<Author>a</Author><Comment>&#xFFFE;</Comment></Comment>')),
])
archive("control-byte-utf16-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a\x01b").replace('<?xml version="1.0"?>', '<?xml version="1.0" encoding="UTF-16"?>')
     .encode("utf-16")),
])

# In UTF-16 a noncharacter is one code unit, refused; the letters "ï¿¾" (whose UTF-8 bytes are
# U+FFFE's) are text like any other.
archive("noncharacter-utf16-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a\ufffeb").replace('<?xml version="1.0"?>', '<?xml version="1.0" encoding="UTF-16"?>')
     .encode("utf-16")),
])
archive("letters-of-noncharacter-bytes-utf16-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a\u00ef\u00bf\u00beb").replace('<?xml version="1.0"?>', '<?xml version="1.0" encoding="UTF-16"?>')
     .encode("utf-16")),
])

# A value longer than libxml2 and the readers built on it take (10,000,000 bytes): saves refuse it.
archive("value-beyond-xml-readers-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("T", topic_type="x" * 10_000_001)),
])

# A "<?" or "<!--" in a quoted value must not hide the character references after it: a '<' in an
# attribute value is refused (every conforming reader refuses it), one in a declaration is skipped.
archive("less-than-in-attribute-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a&#17;b", topic_type="Is<?sue")),
])
archive("instruction-start-in-declaration-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("a&#17;b").replace('<Markup', '<!DOCTYPE Markup SYSTEM "x<?y">\n<Markup')),
])

# A file in ISO-8859-1 that says so in its declaration, written with blanks around "=" and single
# quotes as XML allows: read in its encoding.
archive("iso-8859-1-declared-with-blanks-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("Caf\u00e9 S\u00fcd").replace('<?xml version="1.0"?>', "<?xml version='1.0' encoding = 'ISO-8859-1' ?>").encode("latin-1")),
])

# Files in UTF-32, both byte orders, marked by their byte order mark or, without one, by the bytes
# of their first "<": read in their encoding (the big-endian one with its topic under a prefix,
# taken off as in UTF-8; the little-endian one with characters of planes 1 and 15), and a character reference to a control character refused in them as in
# UTF-8; a reference beyond Unicode is refused by its number.
def utf32(text, order, mark=True):
    declared = text.replace('<?xml version="1.0"?>', '<?xml version="1.0" encoding="UTF-32"?>')
    bom = (b"\x00\x00\xfe\xff" if order == "be" else b"\xff\xfe\x00\x00") if mark else b""
    return bom + declared.encode("utf-32-" + order)


archive("utf32-big-endian-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", utf32(markup21("Gr\u00fc\u00dfe \U0001f600").replace("<Topic ", '<b:Topic xmlns:b="urn:b" ')
                                  .replace("</Topic>", "</b:Topic>"), "be")),
])
archive("utf32-little-endian-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", utf32(markup21("Gr\u00fc\u00dfe \U0001f600 \U000f0041"), "le")),
])
archive("utf32-big-endian-without-mark-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", utf32(markup21("Gr\u00fc\u00dfe"), "be", mark=False)),
])
archive("character-reference-to-control-utf32-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", utf32(markup21("a&#x1;b"), "le")),
])
archive("character-reference-beyond-unicode-2.1.bcf", [
    ("bcf.version", version("2.1")),
    (TOPIC + "/markup.bcf", markup21("&#1114112;")),
])
