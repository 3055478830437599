// Readers on files as other producers write them: element order, CDATA, XML comments, CRLF,
// namespace prefixes, odd numbers, and the wrong layout for the version.
#include "test_support.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/extensions.h"
#include "codec/markup.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/visinfo.h"

#include <QTest>

#include <clocale>
#include <limits>
#include <pugixml.hpp>

using namespace bcf;
using namespace bcf::test;

Q_DECLARE_METATYPE(bcf::BcfVersion)
Q_DECLARE_METATYPE(bcf::Markup)
Q_DECLARE_METATYPE(bcf::BcfData)

namespace {

pugi::xml_document parsed(const QByteArray& text) {
    pugi::xml_document document;
    if (!parseXml(document, text.toStdString()))
        qWarning("test input is not well-formed: %s", text.constData());
    return document;
}

Comment comment(const char* guid, const char* text) {
    return Comment{guid, "2024-01-01T00:00:00Z", "a@b.c", text, "", "", ""};
}

ViewPoint viewPoint(const char* guid) {
    ViewPoint v;
    v.guid = guid;
    v.viewpoint = std::string(guid) + ".bcfv";
    v.snapshot = std::string(guid) + ".png";
    return v;
}

QByteArray commentXml(const char* guid, const char* text) {
    return QByteArray("<Comment Guid=\"") + guid +
           "\"><Date>2024-01-01T00:00:00Z</Date><Author>a@b.c</Author><Comment>" + text +
           "</Comment></Comment>";
}

QByteArray viewPointXml(const char* element, const char* guid) {
    return QByteArray("<") + element + " Guid=\"" + guid + "\"><Viewpoint>" + guid +
           ".bcfv</Viewpoint><Snapshot>" + guid + ".png</Snapshot></" + element + ">";
}

Markup topicOnly(const char* title) {
    Markup markup;
    markup.topic.guid = "t1";
    markup.topic.title = title;
    return markup;
}

QByteArray numberView(const QByteArray& x, const QByteArray& fieldOfView) {
    return "<VisualizationInfo><PerspectiveCamera><CameraViewPoint><X>" + x +
           "</X><Y>2</Y><Z>3</Z></CameraViewPoint><FieldOfView>" + fieldOfView +
           "</FieldOfView></PerspectiveCamera></VisualizationInfo>";
}

} // namespace

class ReaderEdgeCasesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { std::setlocale(LC_ALL, "C"); }

    void markupReads_data() {
        QTest::addColumn<BcfVersion>("version");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<Markup>("expected");
        const BcfVersion v21 = BcfVersion::V2_1;
        const BcfVersion v30 = BcfVersion::V3_0;
        const QByteArray topic = "<Topic Guid=\"t1\"><Title>T</Title></Topic>";

        Markup interleaved = topicOnly("T");
        interleaved.comments = {comment("c1", "one"), comment("c2", "two")};
        interleaved.viewPoints = {viewPoint("v1"), viewPoint("v2"), viewPoint("v3")};
        QTest::newRow("2.1 comments and viewpoints interleaved")
            << v21
            << "<Markup>" + viewPointXml("Viewpoints", "v1") + commentXml("c1", "one") + topic +
                   viewPointXml("Viewpoints", "v2") + commentXml("c2", "two") +
                   viewPointXml("Viewpoints", "v3") + "</Markup>"
            << interleaved;

        Markup containers = topicOnly("T");
        containers.comments = {comment("c1", "one")};
        containers.viewPoints = {viewPoint("v1")};
        const QByteArray v3File = "<Markup><Topic Guid=\"t1\"><Title>T</Title><Comments>" +
                                  commentXml("c1", "one") + "</Comments><Viewpoints>" +
                                  viewPointXml("ViewPoint", "v1") + "</Viewpoints></Topic></Markup>";
        const QByteArray v21File =
            "<Markup>" + topic + commentXml("c1", "one") + viewPointXml("Viewpoints", "v1") + "</Markup>";
        QTest::newRow("3.0 containers") << v30 << v3File << containers;
        QTest::newRow("3.0 file read as 2.1 has no comments or viewpoints")
            << v21 << v3File << topicOnly("T");
        QTest::newRow("2.1 file read as 3.0 has no comments or viewpoints")
            << v30 << v21File << topicOnly("T");
        QTest::newRow("3.0 comments directly under Markup are not read")
            << v30 << "<Markup>" + topic + commentXml("c1", "one") + "</Markup>" << topicOnly("T");

        Markup dates = topicOnly("T");
        dates.topic.dueDate = "2024-06-30T00:00:00Z";
        QTest::newRow("empty and blank dates are absent, a due date with text present")
            << v30
            << QByteArray("<Markup><Topic Guid=\"t1\"><Title>T</Title><ModifiedDate>  \n\t</ModifiedDate>"
                          "<DueDate>2024-06-30T00:00:00Z</DueDate></Topic></Markup>")
            << dates;
        QTest::newRow("empty DueDate element is absent")
            << v21
            << QByteArray("<Markup><Topic Guid=\"t1\"><Title>T</Title><DueDate/><ModifiedDate></ModifiedDate>"
                          "</Topic></Markup>")
            << topicOnly("T");

        Markup cdata = topicOnly("T");
        cdata.topic.description = "a <b> & c";
        QTest::newRow("CDATA text")
            << v21
            << QByteArray("<Markup><Topic Guid=\"t1\"><Title>T</Title>"
                          "<Description><![CDATA[a <b> & c]]></Description></Topic></Markup>")
            << cdata;
        QTest::newRow("XML comments around and inside elements")
            << v21
            << QByteArray("<!-- made by hand --><Markup><!-- topic follows --><Topic Guid=\"t1\">"
                          "<!-- a title --><Title><!-- note -->T</Title></Topic></Markup>")
            << topicOnly("T");

        Markup crlf = topicOnly("T");
        crlf.topic.description = "line one\nline two";
        QTest::newRow("CRLF line ends read as LF")
            << v21
            << QByteArray(
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Markup>\r\n\t<Topic Guid=\"t1\">\r\n"
                   "\t\t<Title>T</Title>\r\n\t\t<Description>line one\r\nline two</Description>\r\n"
                   "\t</Topic>\r\n</Markup>\r\n")
            << crlf;

        Markup reordered = topicOnly("Last");
        reordered.topic.topicType = "Error";
        reordered.topic.description = "First";
        reordered.topic.creationAuthor = "me";
        reordered.topic.priority = "High";
        QTest::newRow("topic children and attributes in another order")
            << v21
            << QByteArray("<Markup><Topic TopicType=\"Error\" Guid=\"t1\"><Description>First</Description>"
                          "<CreationAuthor>me</CreationAuthor><Priority>High</Priority>"
                          "<Title>Last</Title></Topic></Markup>")
            << reordered;

        Markup references = topicOnly("Café & Bar");
        QTest::newRow("entity and character references decoded")
            << v21
            << QByteArray("<Markup><Topic Guid=\"t1\"><Title>Caf&#xE9; &amp; Bar</Title></Topic></Markup>")
            << references;
        QTest::newRow("UTF-8 byte order mark")
            << v21
            << QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><Markup><Topic Guid=\"t1\">"
                          "<Title>Caf\xC3\xA9 &amp; Bar</Title></Topic></Markup>")
            << references;
        QTest::newRow("ISO-8859-1 declared and used")
            << v21
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Markup><Topic Guid=\"t1\">"
                          "<Title>Caf\xE9 &amp; Bar</Title></Topic></Markup>")
            << references;
        QTest::newRow("names differing in case are not read")
            << v21
            << QByteArray("<Markup><Topic Guid=\"t1\"><title>lower</title><Title>T</Title></Topic></Markup>")
            << topicOnly("T");

        Markup headless;
        headless.comments = {comment("c1", "one")};
        QTest::newRow("2.1 comments read without a Topic")
            << v21 << "<Markup>" + commentXml("c1", "one") + "</Markup>" << headless;
    }
    void markupReads() {
        QFETCH(BcfVersion, version);
        QFETCH(QByteArray, xml);
        QFETCH(Markup, expected);
        const Markup actual = readMarkup(parsed(xml), version);
        QVERIFY2(actual == expected, modelDifference(actual, expected).constData());
    }

    void versionReads_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("expected"); // -1: refused
        auto row = [](const char* name, const char* id, int expected) {
            QTest::newRow(name) << QByteArray("<Version VersionId=\"") + id +
                                       "\"><DetailedVersion/></Version>"
                                << expected;
        };
        row("2.1", "2.1", 1);
        row("3.0", "3.0", 2);
        row("2.0 has no reading", "2.0", -1);
        row("leading blank", " 2.1", -1);
        row("trailing blank", "3.0 ", -1);
        row("extra trailing zero", "2.10", -1);
        row("bare major number", "3", -1);
        row("empty", "", -1);
        QTest::newRow("DetailedVersion without VersionId")
            << QByteArray("<Version><DetailedVersion>2.1</DetailedVersion></Version>") << -1;
    }
    void versionReads() {
        QFETCH(QByteArray, xml);
        QFETCH(int, expected);
        BcfData data;
        if (expected < 0) {
            QVERIFY_THROWS_EXCEPTION(BcfError, readVersion(parsed(xml), data));
            return;
        }
        readVersion(parsed(xml), data);
        QCOMPARE(static_cast<int>(data.version), expected);
    }

    void projectReads_data() {
        QTest::addColumn<BcfVersion>("version");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QByteArray>("expected"); // id | name | extension schema
        const QByteArray v21 = "<ProjectExtension><Project ProjectId=\"p1\"><Name>N</Name></Project>"
                               "<ExtensionSchema>extensions.xsd</ExtensionSchema></ProjectExtension>";
        const QByteArray v30 =
            "<ProjectInfo><Project ProjectId=\"p1\"><Name>N</Name></Project></ProjectInfo>";
        QTest::newRow("2.1") << BcfVersion::V2_1 << v21 << QByteArray("p1|N|extensions.xsd");
        QTest::newRow("3.0 keeps the default extensions entry")
            << BcfVersion::V3_0 << v30 << QByteArray("p1|N|extensions.xml");
        QTest::newRow("2.1 file read as 3.0") << BcfVersion::V3_0 << v21 << QByteArray("||extensions.xml");
        QTest::newRow("3.0 file read as 2.1 empties the schema")
            << BcfVersion::V2_1 << v30 << QByteArray("||");
        QTest::newRow("project without ProjectId")
            << BcfVersion::V3_0 << QByteArray("<ProjectInfo><Project><Name>N</Name></Project></ProjectInfo>")
            << QByteArray("|N|extensions.xml");
    }
    void projectReads() {
        QFETCH(BcfVersion, version);
        QFETCH(QByteArray, xml);
        QFETCH(QByteArray, expected);
        BcfData data;
        data.version = version;
        readProject(parsed(xml), data);
        QCOMPARE(QByteArray::fromStdString(data.projectId + "|" + data.name + "|" + data.extensionSchema),
                 expected);
    }

    void extensionsRead_data() {
        QTest::addColumn<BcfVersion>("version");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<BcfData>("expected");
        BcfData types;
        types.topicTypes = {"Error", "Warning", "Info"};
        QTest::newRow("3.0 with an empty Users group")
            << BcfVersion::V3_0
            << QByteArray("<Extensions><TopicTypes><TopicType>Error</TopicType><TopicType>Warning</TopicType>"
                          "<TopicType>Info</TopicType></TopicTypes><Users/></Extensions>")
            << types;
        BcfData nested;
        nested.stages = {"", "Build"};
        QTest::newRow("3.0 value holding only an element reads as empty")
            << BcfVersion::V3_0
            << QByteArray(
                   "<Extensions><Stages><Stage><b>x</b></Stage><Other>y</Other><Stage>Build</Stage></Stages>"
                   "</Extensions>")
            << nested;

        BcfData schema;
        schema.topicTypes = {"Error", "Clash"};
        schema.stages = {"Design"};
        schema.users = {"anna@example.com"};
        auto schemaRow = [&schema](const char* name, const QByteArray& prefix,
                                   const QByteArray& declaration) {
            const QByteArray p = prefix.isEmpty() ? QByteArray() : prefix + ":";
            auto type = [&p](const char* typeName, std::initializer_list<const char*> values) {
                QByteArray text = "<" + p + "simpleType name=\"" + typeName + "\"><" + p +
                                  "restriction base=\"" + typeName + "\">";
                for (const char* value : values)
                    text += "<" + p + "enumeration value=\"" + value + "\"/>";
                return text + "</" + p + "restriction></" + p + "simpleType>";
            };
            QTest::newRow(name) << BcfVersion::V2_1
                                << "<" + p + "schema " + declaration + "><" + p +
                                       "redefine schemaLocation=\"markup.xsd\">" + type("Stage", {"Design"}) +
                                       type("TopicType", {"Error"}) +
                                       type("UserIdType", {"anna@example.com"}) + type("Unrelated", {"x"}) +
                                       type("TopicType", {"Clash"}) + "</" + p + "redefine></" + p + "schema>"
                                << schema;
        };
        schemaRow("2.1 schema with the xs prefix", "xs", "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"");
        schemaRow("2.1 schema with the default namespace", "", "xmlns=\"http://www.w3.org/2001/XMLSchema\"");
        schemaRow("2.1 schema with the xsd prefix", "xsd", "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"");
    }
    void extensionsRead() {
        QFETCH(BcfVersion, version);
        QFETCH(QByteArray, xml);
        QFETCH(BcfData, expected);
        BcfData data;
        data.version = version;
        expected.version = version;
        readExtensions(parsed(xml), data);
        QVERIFY2(data == expected, modelDifference(data, expected).constData());
    }

    void documentsRead() {
        const std::vector<DocumentInfo> documents = readDocuments(
            parsed("<DocumentInfo><Documents><Document Guid=\"g1\"><Filename>a.pdf</Filename></Document>"
                   "<!-- second --><Document Guid=\"g2\"/></Documents></DocumentInfo>"));
        QCOMPARE(documents.size(), std::size_t(2));
        QCOMPARE(documents[0].filename, std::string("a.pdf"));
        QCOMPARE(documents[1].guid, std::string("g2"));
        QCOMPARE(documents[1].filename, std::string());
        QVERIFY(readDocuments(parsed("<DocumentInfo/>")).empty());
    }

    void viewpointNumbersRead_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("exponent") << QByteArray("1.5e3") << 1500.0;
        QTest::newRow("digits followed by letters") << QByteArray("12abc") << 12.0;
        QTest::newRow("empty") << QByteArray("") << 0.0;
        QTest::newRow("letters only") << QByteArray("abc") << 0.0;
        QTest::newRow("leading white space and line ends") << QByteArray("\r\n\t 7.25\r\n") << 7.25;
        QTest::newRow("plus sign") << QByteArray("+3") << 3.0;
        QTest::newRow("negative fraction without leading digit") << QByteArray("-.5") << -0.5;
        QTest::newRow("decimal comma stops the number") << QByteArray("1,5") << 1.0;
        QTest::newRow("XML Schema infinity")
            << QByteArray("-INF") << -std::numeric_limits<double>::infinity();
        QTest::newRow("too large saturates")
            << QByteArray("1e400") << std::numeric_limits<double>::infinity();
        QTest::newRow("too small underflows") << QByteArray("-1e-400") << 0.0;
        QTest::newRow("seventeen digits") << QByteArray("0.10000000000000001") << 0.1;
    }
    void viewpointNumbersRead() {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        const VisualizationInfo info = readVisualizationInfo(parsed(numberView(text, text)));
        QCOMPARE(info.cameraViewPoint.x, expected);
        QCOMPARE(info.fieldOfView, expected);
        QCOMPARE(info.cameraViewPoint.y, 2.0);
    }

    void viewpointNumbersWritten_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("one") << 1.0 << QByteArray("1");
        QTest::newRow("ninety") << 90.0 << QByteArray("90");
        QTest::newRow("sixteen ninths") << 16.0 / 9.0 << QByteArray("1.7777777777777777");
        QTest::newRow("one tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("small") << 1e-7 << QByteArray("1e-07");
        QTest::newRow("large") << 1e21 << QByteArray("1e+21");
        QTest::newRow("negative") << -2.5 << QByteArray("-2.5");
    }
    void viewpointNumbersWritten() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        VisualizationInfo info;
        info.cameraViewPoint.x = value;
        info.fieldOfView = 50;
        const std::string written = writeVisualizationInfo(info, BcfVersion::V3_0);
        QVERIFY2(written.find("<X>" + text.toStdString() + "</X>") != std::string::npos, written.c_str());
        pugi::xml_document document;
        QVERIFY(parseXml(document, written));
        QCOMPARE(readVisualizationInfo(document).cameraViewPoint.x, value);
    }

    // Viewpoint numbers are read and written with a point whatever the C locale says.
    void viewpointNumbersIgnoreLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("German") << QByteArray("de_DE.UTF-8");
        QTest::newRow("French") << QByteArray("fr_FR.UTF-8");
    }
    void viewpointNumbersIgnoreLocale() {
        QFETCH(QByteArray, locale);
        if (!std::setlocale(LC_ALL, locale.constData()))
            QSKIP("locale not installed");
        QCOMPARE(readVisualizationInfo(parsed(numberView("1.5", "47.25"))).cameraViewPoint.x, 1.5);
        VisualizationInfo info;
        info.cameraViewPoint.x = 1.5;
        info.fieldOfView = 47.25;
        const std::string written = writeVisualizationInfo(info, BcfVersion::V2_1);
        QVERIFY(written.find("<X>1.5</X>") != std::string::npos);
        QVERIFY(written.find("<FieldOfView>47.25</FieldOfView>") != std::string::npos);
    }

    void viewpointComponentsAndCameras() {
        const VisualizationInfo info = readVisualizationInfo(
            parsed("<VisualizationInfo Guid=\"g\"><Components><Selection>"
                   "<Component IfcGuid=\"A\"><AuthoringToolId>t1</AuthoringToolId></Component>"
                   "<Component IfcGuid=\"B\"><OriginatingSystem>S</OriginatingSystem></Component>"
                   "</Selection></Components><OrthogonalCamera><CameraViewPoint><X>1</X><Y>2</Y><Z>3</Z>"
                   "</CameraViewPoint><ViewToWorldScale>4</ViewToWorldScale></OrthogonalCamera></"
                   "VisualizationInfo>"));
        QCOMPARE(info.guid, std::string("g"));
        QCOMPARE(info.selection.size(), std::size_t(2));
        QVERIFY(info.selection[0] == (Component{"A", "", "t1"}));
        QVERIFY(info.selection[1] == (Component{"B", "S", ""}));
        QVERIFY(!info.hasPerspectiveCamera());
        QVERIFY(info.orthogonalCamera.has_value());
        QCOMPARE(info.orthogonalCamera->cameraViewPoint.z, 3.0);
        QCOMPARE(info.orthogonalCamera->viewToWorldScale, 4.0);
    }
};

QTEST_GUILESS_MAIN(ReaderEdgeCasesTest)
#include "test_reader_edge_cases.moc"
