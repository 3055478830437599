// Files that are valid for their own version but once came out of our writers invalid: each is
// read, written in the target version, and must then validate against that version's schema.
#include "test_support.h"

#include "codec/markup.h"
#include "codec/visinfo.h"

#include <QTemporaryDir>
#include <QTest>

#include <pugixml.hpp>

using namespace bcf;
using namespace bcf::test;

Q_DECLARE_METATYPE(bcf::BcfVersion)

class WriterRegressionsTest : public QObject {
    Q_OBJECT

private slots:
    void writtenFileValidates_data() {
        QTest::addColumn<QString>("file"); // below tests/data/regressions
        QTest::addColumn<BcfVersion>("from");
        QTest::addColumn<BcfVersion>("to");
        QTest::addColumn<QStringList>("expected");  // texts the written file holds
        QTest::addColumn<QStringList>("forbidden"); // texts it must not hold
        const BcfVersion v21 = BcfVersion::V2_1;
        const BcfVersion v30 = BcfVersion::V3_0;
        QTest::newRow("2.1 topic without type and status saved as 3.0")
            << "markup-2.1-without-type-and-status.bcf" << v21 << v30
            << QStringList{QStringLiteral("TopicType=\"Unknown\" TopicStatus=\"Unknown\"")} << QStringList();
        QTest::newRow("2.1 topic without type and status saved as 2.1")
            << "markup-2.1-without-type-and-status.bcf" << v21 << v21 << QStringList()
            << QStringList{QStringLiteral("Unknown")};
        QTest::newRow("2.1 upper-case GUIDs saved as 3.0")
            << "markup-2.1-upper-case-guids.bcf" << v21 << v30
            << QStringList{"a3c1f0b2-", "c1a2b3c4-", "<Comment>"}
            << QStringList{"A3C1", "B4D2", "C1A2", "0D1F", "5E1C", "missing.pdf"};
        for (BcfVersion to : {v21, v30})
            QTest::addRow("component without IfcGuid saved as %s", to == v21 ? "2.1" : "3.0")
                << "viewpoint-2.1-component-without-ifcguid.bcfv" << v21 << to
                << QStringList{QStringLiteral("<OriginatingSystem>Some CAD</OriginatingSystem>")}
                << QStringList{QStringLiteral("IfcGuid")};
        QTest::newRow("2.1 viewpoint without camera saved as 3.0")
            << "viewpoint-2.1-without-camera.bcfv" << v21 << v30
            << QStringList{QStringLiteral("<FieldOfView>60</FieldOfView>"),
                           QStringLiteral("<AspectRatio>1</AspectRatio>")}
            << QStringList{QStringLiteral("OrthogonalCamera")};
        QTest::newRow("2.1 viewpoint without camera saved as 2.1")
            << "viewpoint-2.1-without-camera.bcfv" << v21 << v21 << QStringList()
            << QStringList{QStringLiteral("Camera")};
        for (BcfVersion to : {v21, v30})
            QTest::addRow("NaN and infinities saved as %s", to == v21 ? "2.1" : "3.0")
                << "viewpoint-3.0-nan-and-infinity.bcfv" << v30 << to
                << QStringList{QStringLiteral("<X>NaN</X>"), QStringLiteral("<Y>INF</Y>"),
                               QStringLiteral("<Z>-INF</Z>")}
                << QStringList{QStringLiteral("nan"), QStringLiteral("inf")};
    }
    void writtenFileValidates() {
        QFETCH(QString, file);
        QFETCH(BcfVersion, from);
        QFETCH(BcfVersion, to);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, forbidden);
        const QString input = dataDir() + QStringLiteral("/regressions/") + file;
        pugi::xml_document document;
        QVERIFY(parseXml(document, readFile(input)));
        const QString root = QString::fromUtf8(document.document_element().name());
        const XmlLintResult original = xmllint({input}, schemaFor(root, from));
        QVERIFY2(original.ok, qPrintable(QStringLiteral("the input itself is invalid: ") + original.output));

        const std::string written = root == u"Markup"
                                        ? writeMarkup(readMarkup(document, from), to)
                                        : writeVisualizationInfo(readVisualizationInfo(document), to);
        QTemporaryDir dir;
        const QString output = dir.filePath(file);
        QVERIFY(writeFile(output, written));
        const XmlLintResult result = xmllint({output}, schemaFor(root, to));
        QVERIFY2(result.ok, qPrintable(result.output));
        const QString text = QString::fromStdString(written);
        for (const QString& part : expected)
            QVERIFY2(text.contains(part), qPrintable(part));
        for (const QString& part : forbidden)
            QVERIFY2(!text.contains(part), qPrintable(part));
    }

    // A present but empty date is not a date-time: left out, as an absent one is.
    void emptyTopicDatesAreLeftOut_data() {
        QTest::addColumn<BcfVersion>("version");
        QTest::newRow("2.1") << BcfVersion::V2_1;
        QTest::newRow("3.0") << BcfVersion::V3_0;
    }
    void emptyTopicDatesAreLeftOut() {
        QFETCH(BcfVersion, version);
        Markup markup = minimalMarkup();
        markup.topic.modifiedDate = "";
        markup.topic.dueDate = " ";
        const std::string written = writeMarkup(markup, version);
        QVERIFY(written.find("ModifiedDate") == std::string::npos);
        QVERIFY(written.find("DueDate") == std::string::npos);
    }
};

QTEST_GUILESS_MAIN(WriterRegressionsTest)
#include "test_writer_regressions.moc"
