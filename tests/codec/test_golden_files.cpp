// Golden files: every writer's output for a model built here, byte for byte, read back, and
// checked against the official schemas and our output conventions.
#include "test_support.h"

#include "codec/documents.h"
#include "codec/extensions.h"
#include "codec/markup.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/visinfo.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

#include <functional>
#include <pugixml.hpp>

using namespace bcf;
using namespace bcf::test;

namespace {

// Returns an empty text when the parsed golden reads back as the model it was written from.
using ReadBack = std::function<QByteArray(const pugi::xml_document&)>;

struct GoldenCase {
    const char* row;
    const char* file; // below tests/data/golden
    BcfVersion version;
    std::function<std::string()> write;
    ReadBack readBack;
};

BcfData projectModel() {
    BcfData data;
    data.projectId = "f0e1d2c3-b4a5-4697-8877-665544332211";
    data.name = "Bürogebäude Nord";
    data.extensionSchema = "extensions.xsd";
    return data;
}

BcfData extensionsModel() {
    BcfData data = sampleModel(BcfVersion::V3_0);
    data.documents.clear();
    data.markups.clear();
    return data;
}

std::vector<DocumentInfo> documentsModel() {
    std::vector<DocumentInfo> documents = sampleModel(BcfVersion::V3_0).documents;
    for (DocumentInfo& document : documents) {
        document.dataLoaded = 0;
        document.data.clear();
    }
    return documents;
}

// Every markup concept in the form of `version`: the sample plus the references 2.1 and 3.0
// spell differently and the server id only 3.0 has.
Markup goldenMarkup(BcfVersion version) {
    Markup markup = fullMarkup();
    const std::string url = "https://example.com/fire-code.pdf",
                      guid = "5e1c0a3d-7b2f-4c6e-9d8a-1f2e3d4c5b6a";
    const bool v3 = version == BcfVersion::V3_0;
    markup.topic.serverAssignedId = v3 ? "ISSUE-17" : "";
    markup.topic.documentReferences = {{guid, !v3, v3 ? "" : url, "", v3 ? url : "", "Fire code"},
                                       {v3 ? guid.substr(0, 35) + "b" : "", false, v3 ? "" : "../report.txt",
                                        v3 ? "d0c0ffee-0000-4000-8000-000000000001" : "", "", "Report"}};
    return markup;
}

// A markup as the reader gives it: payloads not fetched yet.
Markup withoutPayloads(Markup markup) {
    for (ViewPoint& v : markup.viewPoints)
        v = ViewPoint{v.guid, v.viewpoint, v.snapshot, 0, {}, 0, {}, false, v.index};
    if (auto& b = markup.topic.bimSnippet)
        b = BimSnippet{b->snippetType, b->isExternal, b->reference, b->referenceSchema, 0, {}};
    return markup;
}

ReadBack versionReadBack(BcfVersion expected) {
    return [expected](const pugi::xml_document& document) {
        BcfData data;
        readVersion(document, data);
        const bool same = data.detailedVersion == (expected == BcfVersion::V2_1 ? "2.1 KC" : "");
        return data.version == expected && same ? QByteArray() : QByteArray("version differs");
    };
}

ReadBack projectReadBack(BcfVersion version) {
    return [version](const pugi::xml_document& document) {
        BcfData data;
        data.version = version;
        readProject(document, data);
        BcfData expected = projectModel();
        expected.version = version;
        if (version == BcfVersion::V3_0)
            expected.extensionSchema = "extensions.xml";
        return modelDifference(data, expected);
    };
}

ReadBack extensionsReadBack(BcfVersion version) {
    return [version](const pugi::xml_document& document) {
        BcfData data;
        data.version = version;
        readExtensions(document, data);
        BcfData expected = extensionsModel();
        expected.version = version;
        data.projectId = expected.projectId;
        data.name = expected.name;
        return modelDifference(data, expected);
    };
}

ReadBack markupReadBack(const Markup& markup, BcfVersion version) {
    return [markup, version](const pugi::xml_document& document) {
        return modelDifference(readMarkup(document, version), withoutPayloads(markup));
    };
}

ReadBack visualizationReadBack(const VisualizationInfo& info, BcfVersion version) {
    return [info, version](const pugi::xml_document& document) {
        VisualizationInfo expected = expectedAfterWrite(info, version);
        if (expected.bitmaps) // the reader leaves the images in the archive
            for (Bitmap& bitmap : *expected.bitmaps)
                std::tie(bitmap.dataLoaded, bitmap.data) = std::pair(0, std::string());
        return modelDifference(readVisualizationInfo(document), expected);
    };
}

const std::vector<GoldenCase>& goldenCases() {
    constexpr BcfVersion v21 = BcfVersion::V2_1;
    constexpr BcfVersion v30 = BcfVersion::V3_0;
    static const std::vector<GoldenCase> cases = {
        {"version file 2.1", "2.1/bcf.version", v21, [] { return writeVersion(v21, "2.1 KC"); },
         versionReadBack(v21)},
        {"version file 3.0", "3.0/bcf.version", v30, [] { return writeVersion(v30); }, versionReadBack(v30)},
        {"project file 2.1", "2.1/project.bcfp", v21, [] { return writeProject(projectModel(), v21); },
         projectReadBack(v21)},
        {"project file 3.0", "3.0/project.bcfp", v30, [] { return writeProject(projectModel(), v30); },
         projectReadBack(v30)},
        {"extensions 2.1 schema form", "2.1/extensions.xsd", v21,
         [] { return writeExtensions(extensionsModel(), v21); }, extensionsReadBack(v21)},
        {"extensions 3.0 value lists", "3.0/extensions.xml", v30,
         [] { return writeExtensions(extensionsModel(), v30); }, extensionsReadBack(v30)},
        {"documents list", "3.0/documents.xml", v30, [] { return writeDocuments(documentsModel()); },
         [](const pugi::xml_document& document) {
             const std::vector<DocumentInfo> documents = readDocuments(document);
             return documents == documentsModel() ? QByteArray() : QByteArray("documents differ");
         }},
        {"markup 2.1 with every field", "2.1/markup-full.bcf", v21,
         [] { return writeMarkup(goldenMarkup(v21), v21); }, markupReadBack(goldenMarkup(v21), v21)},
        {"markup 2.1 with required fields only", "2.1/markup-minimal.bcf", v21,
         [] { return writeMarkup(minimalMarkup(), v21); }, markupReadBack(minimalMarkup(), v21)},
        {"markup 3.0 with every field", "3.0/markup-full.bcf", v30,
         [] { return writeMarkup(goldenMarkup(v30), v30); }, markupReadBack(goldenMarkup(v30), v30)},
        {"markup 3.0 with required fields only", "3.0/markup-minimal.bcf", v30,
         [] { return writeMarkup(minimalMarkup(), v30); }, markupReadBack(minimalMarkup(), v30)},
        {"viewpoint 2.1 with every element", "2.1/components.bcfv", v21,
         [] { return writeVisualizationInfo(componentsView(), v21); },
         visualizationReadBack(componentsView(), v21)},
        {"viewpoint 3.0 with every element", "3.0/components.bcfv", v30,
         [] { return writeVisualizationInfo(componentsView(), v30); },
         visualizationReadBack(componentsView(), v30)},
        {"viewpoint 2.1 with orthogonal camera", "2.1/orthogonal.bcfv", v21,
         [] { return writeVisualizationInfo(orthogonalView(), v21); },
         visualizationReadBack(orthogonalView(), v21)},
        {"viewpoint 3.0 with orthogonal camera", "3.0/orthogonal.bcfv", v30,
         [] { return writeVisualizationInfo(orthogonalView(), v30); },
         visualizationReadBack(orthogonalView(), v30)},
    };
    return cases;
}

QString goldenPath(const char* file) {
    return dataDir() + QStringLiteral("/golden/") + QString::fromUtf8(file);
}

void addGoldenRows() {
    QTest::addColumn<int>("index");
    const auto& cases = goldenCases();
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].row) << static_cast<int>(i);
}

} // namespace

class GoldenFilesTest : public QObject {
    Q_OBJECT

private slots:
    void writerMatchesGolden_data() { addGoldenRows(); }
    void writerMatchesGolden() {
        QFETCH(int, index);
        const GoldenCase& c = goldenCases()[static_cast<std::size_t>(index)];
        const std::string written = c.write();
        const QString path = goldenPath(c.file);
        if (qEnvironmentVariableIsSet("BCF_UPDATE_GOLDEN")) { // regenerate after a deliberate change
            QDir().mkpath(QFileInfo(path).absolutePath());
            QVERIFY(writeFile(path, written));
            QSKIP("golden file rewritten");
        }
        const std::string golden = readFile(path);
        QVERIFY2(!golden.empty(), qPrintable(QStringLiteral("missing golden file ") + path));
        QVERIFY2(written == golden, qPrintable(firstDifference(written, golden)));
    }

    void goldenReadsBack_data() { addGoldenRows(); }
    void goldenReadsBack() {
        QFETCH(int, index);
        const GoldenCase& c = goldenCases()[static_cast<std::size_t>(index)];
        pugi::xml_document document;
        QVERIFY(parseXml(document, readFile(goldenPath(c.file))));
        const QByteArray difference = c.readBack(document);
        QVERIFY2(difference.isEmpty(), difference.constData());
    }

    // Declaration with version only, LF, tabs, `<Empty />`, UTF-8 without BOM.
    void goldenFollowsOutputConventions_data() { addGoldenRows(); }
    void goldenFollowsOutputConventions() {
        QFETCH(int, index);
        const std::string text = readFile(goldenPath(goldenCases()[static_cast<std::size_t>(index)].file));
        const std::string declaration = "<?xml version=\"1.0\"?>\n";
        QVERIFY(text.starts_with(declaration));
        QVERIFY(text.ends_with(">\n"));
        QVERIFY(text.find('\r') == std::string::npos);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder(QByteArray::fromStdString(text));
        QVERIFY2(!decoder.hasError(), "not valid UTF-8");
        QVERIFY(!decoded.startsWith(QChar(0xfeff)));
        static const QRegularExpression indent(QStringLiteral("^\\t*[^\\t ]"));
        static const QRegularExpression tightEmpty(QStringLiteral("[^ ]/>"));
        const QStringList lines = decoded.mid(static_cast<qsizetype>(declaration.size())).split(u'\n');
        for (const QString& line : lines) {
            if (line.isEmpty())
                continue;
            QVERIFY2(indent.match(line).hasMatch(), qPrintable(QStringLiteral("indentation: ") + line));
            QVERIFY2(!tightEmpty.match(line).hasMatch(),
                     qPrintable(QStringLiteral("empty element form: ") + line));
        }
    }

    void goldenValidatesAgainstSchema_data() { addGoldenRows(); }
    void goldenValidatesAgainstSchema() {
        QFETCH(int, index);
        const GoldenCase& c = goldenCases()[static_cast<std::size_t>(index)];
        pugi::xml_document document;
        const QString path = goldenPath(c.file);
        QVERIFY(parseXml(document, readFile(path)));
        const QString schema = schemaFor(QString::fromUtf8(document.document_element().name()), c.version);
        const XmlLintResult result = xmllint({path}, schema); // no schema: well-formedness only
        QVERIFY2(result.ok, qPrintable(result.output));
    }

    // Where a writer writes an element with empty text it is a start tag followed by its end
    // tag; elements without content use the short form; 3.0 leaves empty optional values out.
    void emptyElementForms_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("present");
        QTest::newRow("2.1 markup leaves out an empty Priority") << "2.1/markup-minimal.bcf"
                                                                 << "<Priority" << false;
        QTest::newRow("2.1 markup leaves out an empty TopicType") << "2.1/markup-full.bcf"
                                                                  << "TopicType=\"\"" << false;
        QTest::newRow("2.1 markup leaves out an absent ModifiedDate") << "2.1/markup-minimal.bcf"
                                                                      << "<ModifiedDate" << false;
        QTest::newRow("2.1 markup leaves out an empty ModifiedAuthor") << "2.1/markup-minimal.bcf"
                                                                       << "<ModifiedAuthor" << false;
        QTest::newRow("2.1 markup leaves out an absent DueDate") << "2.1/markup-minimal.bcf"
                                                                 << "<DueDate" << false;
        QTest::newRow("3.0 markup leaves out an empty Priority") << "3.0/markup-minimal.bcf"
                                                                 << "<Priority" << false;
        QTest::newRow("3.0 markup leaves out an empty AssignedTo") << "3.0/markup-minimal.bcf"
                                                                   << "<AssignedTo" << false;
        QTest::newRow("3.0 markup has short empty ReferenceLinks") << "3.0/markup-minimal.bcf"
                                                                   << "\t\t<ReferenceLinks />\n"
                                                                   << true;
        QTest::newRow("3.0 markup has short empty Labels") << "3.0/markup-minimal.bcf"
                                                           << "\t\t<Labels />\n"
                                                           << true;
        QTest::newRow("3.0 markup has short empty Comments") << "3.0/markup-minimal.bcf"
                                                             << "\t\t<Comments />\n"
                                                             << true;
        QTest::newRow("3.0 markup has short empty Viewpoints") << "3.0/markup-minimal.bcf"
                                                               << "\t\t<Viewpoints />\n"
                                                               << true;
        QTest::newRow("2.1 version has its DetailedVersion")
            << "2.1/bcf.version"
            << "\t<DetailedVersion>2.1 KC</DetailedVersion>\n"
            << true;
        QTest::newRow("3.0 version has no DetailedVersion") << "3.0/bcf.version"
                                                            << "DetailedVersion" << false;
        QTest::newRow("2.1 viewpoint has no AspectRatio") << "2.1/components.bcfv"
                                                          << "AspectRatio" << false;
        QTest::newRow("viewpoint writes numbers that read back the same")
            << "3.0/components.bcfv"
            << "<AspectRatio>1.7777777777777777</AspectRatio>" << true;
        QTest::newRow("component without ids has no IfcGuid") << "2.1/components.bcfv"
                                                              << "<Component IfcGuid=\"\"" << false;
    }
    void emptyElementForms() {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(bool, present);
        const std::string text = readFile(goldenPath(file.toUtf8().constData()));
        QVERIFY(!text.empty());
        QCOMPARE(text.find(expected.toStdString()) != std::string::npos, present);
    }

    void emptyTextsAreStartAndEndTags() {
        BcfData data;
        data.name = "\t";
        const std::string text = writeProject(data, BcfVersion::V2_1);
        QVERIFY(text.find("\t\t<Name>\t</Name>\n") != std::string::npos);
        QVERIFY(text.find("<Project ProjectId=\"\">") != std::string::npos);
        QVERIFY(writeProject(BcfData(), BcfVersion::V2_1).find("<Project ") == std::string::npos);
        const std::string documents =
            writeDocuments({DocumentInfo{"d0c0ffee-0000-4000-8000-000000000003", "", 0, {}, {}}});
        QVERIFY(documents.find("\t\t\t<Filename></Filename>\n") != std::string::npos);
        const std::string empty = writeDocuments({});
        QVERIFY(empty.find("\t<Documents />\n") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(GoldenFilesTest)
#include "test_golden_files.moc"
