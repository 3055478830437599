// Archives written by other tools: what the standard leaves optional, and references to missing files.
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <regex>

using namespace bcf;
using bcf::test::entryNames;

namespace {

const char* const kGuid = "6b3c1c9e-8f1a-4d2b-9c3d-1a2b3c4d5e6f";
const char* const kVersion21 = "<?xml version=\"1.0\"?>\n<Version VersionId=\"2.1\" />\n";
const char* const kVersion30 = "<?xml version=\"1.0\"?>\n<Version VersionId=\"3.0\" />\n";

std::string markup21(const std::string& viewpoints) {
    return std::string("<Markup><Topic Guid=\"") + kGuid +
           "\" TopicType=\"Issue\" TopicStatus=\"Open\"><Title>T</Title>"
           "<CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a</CreationAuthor></Topic>"
           "<Comment Guid=\"0f0e0d0c-0b0a-4909-8807-060504030201\"><Date>2024-03-07T10:00:00Z</Date>"
           "<Author>a</Author><Comment>text</Comment><ModifiedDate>2024-03-08T10:00:00Z</ModifiedDate>"
           "<ModifiedAuthor>b</ModifiedAuthor></Comment>" +
           viewpoints + "</Markup>";
}

const char* const kViewpoint =
    "<VisualizationInfo Guid=\"11111111-2222-4333-8444-555555555555\"><PerspectiveCamera>"
    "<CameraViewPoint><X>1</X><Y>2</Y><Z>3</Z></CameraViewPoint>"
    "<FieldOfView>60</FieldOfView></PerspectiveCamera></VisualizationInfo>";

class ArchiveFile {
public:
    void add(const std::string& name, const std::string& bytes) { archive_.writeEntry(name, bytes); }
    std::string write(const QTemporaryDir& dir, const char* name) {
        const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream(path, std::ios::binary) << archive_.finish();
        return path;
    }

private:
    ZipArchive archive_;
};

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

class TestForeignArchives : public QObject {
    Q_OBJECT

private slots:
    void optionalFilesMayBeMissing();
    void presentButBrokenOptionalFileFails();
    void payloadsComeFromTheMarkupFolder();
    void backslashFoldersAreFolders();
    void missingPayloadsKeepTheirReference();
    void documentsWithoutGuidGetOneOnce();
    void extensionSchemaEntryIsNotADocument();
    void commentModificationSurvives();
};

void TestForeignArchives::optionalFilesMayBeMissing() {
    QTemporaryDir dir;
    for (const char* version : {kVersion21, kVersion30}) {
        ArchiveFile file;
        file.add("bcf.version", version);
        const BcfData data = loadArchive(file.write(dir, "minimal.bcf"));
        QVERIFY(data.projectId.empty() && data.name.empty());
        QVERIFY(data.topicTypes.empty() && data.users.empty());
        QVERIFY(data.documents.empty() && data.markups.empty());
    }
}

void TestForeignArchives::presentButBrokenOptionalFileFails() {
    QTemporaryDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"project.bcfp", "<ProjectInfo>"}, {"extensions.xml", "<Extensions"}, {"documents.xml", "not xml"}};
    for (const auto& [name, bytes] : cases) {
        ArchiveFile file;
        file.add("bcf.version", kVersion30);
        file.add(name, bytes);
        try {
            loadArchive(file.write(dir, "broken.bcf"));
            QFAIL(name);
        } catch (const BcfError& error) {
            QCOMPARE(error.reason(), std::string("malformed XML"));
            QCOMPARE(error.subject(), std::string(name));
        }
    }
}

void TestForeignArchives::payloadsComeFromTheMarkupFolder() {
    QTemporaryDir dir;
    ArchiveFile file;
    file.add("bcf.version", kVersion21);
    file.add(
        "Topic 1/markup.bcf",
        markup21("<Viewpoints Guid=\"11111111-2222-4333-8444-555555555555\"><Viewpoint>v.bcfv</Viewpoint>"
                 "<Snapshot>s.png</Snapshot></Viewpoints>"));
    // Without a Guid of its own, the viewpoint file takes its reference's.
    file.add("Topic 1/v.bcfv", std::string(kViewpoint).erase(18, 44));
    file.add("Topic 1/s.png", "PNG bytes");
    file.add("Topic 1/notes/tool.json", "{}"); // files no BCF file names stay with their topic
    file.add("tool/state.bin", "state");
    BcfData data = loadArchive(file.write(dir, "folder.bcf"));
    Markup& markup = data.markups.front();
    fetchSnapshot(markup, markup.viewPoints.front());
    fetchVisualization(markup, markup.viewPoints.front());
    QCOMPARE(markup.viewPoints.front().snapshotData, std::string("PNG bytes"));
    QCOMPARE(markup.viewPoints.front().visualizationInfo.cameraViewPoint, (Vector3{1, 2, 3}));
    QCOMPARE(markup.viewPoints.front().visualizationInfo.guid,
             std::string("11111111-2222-4333-8444-555555555555"));

    // Saved, the topic's folder is named after its GUID.
    const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
    saveArchive(saved, data, BcfVersion::V2_1);
    const auto names = entryNames(saved);
    QVERIFY(contains(names, std::string(kGuid) + "/s.png"));
    QVERIFY(contains(names, std::string(kGuid) + "/v.bcfv"));
    QVERIFY(contains(names, std::string(kGuid) + "/notes/tool.json") && contains(names, "tool/state.bin"));
}

void TestForeignArchives::backslashFoldersAreFolders() {
    // Written by a tool that separates folders with a backslash.
    BcfData data = loadArchive(BCF_FOREIGN_DIR "/backslash-folders.bcf");
    QCOMPARE(data.markups.size(), std::size_t(1));
    QVERIFY(data.documents.empty());
    Markup& markup = data.markups.front();
    fetchSnapshot(markup, markup.viewPoints.front());
    fetchVisualization(markup, markup.viewPoints.front());
    QCOMPARE(markup.viewPoints.front().snapshotData, std::string("PNG bytes"));
    QCOMPARE(markup.viewPoints.front().visualizationInfo.cameraViewPoint, (Vector3{1, 2, 3}));

    QTemporaryDir dir;
    const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
    saveArchive(saved, data, BcfVersion::V3_0);
    QVERIFY(contains(entryNames(saved), std::string(kGuid) + "/s.png"));
}

void TestForeignArchives::missingPayloadsKeepTheirReference() {
    QTemporaryDir dir;
    ArchiveFile file;
    file.add("bcf.version", kVersion21);
    file.add(
        std::string(kGuid) + "/markup.bcf",
        markup21("<Viewpoints Guid=\"11111111-2222-4333-8444-555555555555\"><Viewpoint>gone.bcfv</Viewpoint>"
                 "<Snapshot>gone.png</Snapshot></Viewpoints>"
                 "<Viewpoints Guid=\"21111111-2222-4333-8444-555555555555\"></Viewpoints>"));
    BcfData data = loadArchive(file.write(dir, "missing.bcf"));
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0, BcfVersion::V2_1}) {
        const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
        saveArchive(saved, data, version);
        // Only bcf.version, project.bcfp, extensions (and documents.xml) and the markup.
        for (const std::string& name : entryNames(saved))
            QVERIFY2(name.find(".png") == std::string::npos && name.find(".bcfv") == std::string::npos &&
                         name.back() != '/',
                     name.c_str());
        BcfData again = loadArchive(saved);
        QCOMPARE(again.markups.front().viewPoints.size(), std::size_t(2));
        QCOMPARE(again.markups.front().viewPoints[0].viewpoint, std::string("gone.bcfv"));
        QCOMPARE(again.markups.front().viewPoints[0].snapshot, std::string("gone.png"));
        data = std::move(again);
    }
}

void TestForeignArchives::documentsWithoutGuidGetOneOnce() {
    QTemporaryDir dir;
    ArchiveFile file;
    file.add("bcf.version", kVersion21);
    file.add("plan.pdf", "%PDF plan");
    BcfData data = loadArchive(file.write(dir, "docs.bcf"));
    QCOMPARE(data.documents.size(), std::size_t(1));
    QVERIFY(data.documents.front().guid.empty());

    const std::string first = dir.filePath(QStringLiteral("first.bcf")).toStdString();
    saveArchive(first, data, BcfVersion::V3_0);
    const std::string guid = data.documents.front().guid;
    QVERIFY(
        std::regex_match(guid, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}")));
    const std::string second = dir.filePath(QStringLiteral("second.bcf")).toStdString();
    saveArchive(second, data, BcfVersion::V3_0);
    QCOMPARE(entryNames(first), entryNames(second));
    QVERIFY(contains(entryNames(second), "documents/" + guid));

    BcfData reloaded = loadArchive(second);
    QCOMPARE(reloaded.documents.front().filename, std::string("plan.pdf"));
    fetchDocument(reloaded.documents.front(), reloaded.version);
    QCOMPARE(reloaded.documents.front().data, std::string("%PDF plan"));
}

void TestForeignArchives::extensionSchemaEntryIsNotADocument() {
    QTemporaryDir dir;
    ArchiveFile file;
    file.add("bcf.version", kVersion21);
    file.add("project.bcfp", "<ProjectExtension><Project ProjectId=\"p\"><Name>N</Name></Project>"
                             "<ExtensionSchema>custom-extensions.xsd</ExtensionSchema></ProjectExtension>");
    file.add("custom-extensions.xsd",
             "<schema xmlns=\"http://www.w3.org/2001/XMLSchema\"><redefine schemaLocation=\"markup.xsd\">"
             "<simpleType name=\"TopicType\"><restriction base=\"TopicType\"><enumeration value=\"Clash\" />"
             "</restriction></simpleType></redefine></schema>");
    file.add("notes.txt", "notes");
    BcfData data = loadArchive(file.write(dir, "schema.bcf"));
    QCOMPARE(data.extensionSchema, std::string("custom-extensions.xsd"));
    QCOMPARE(data.topicTypes, std::vector<std::string>{"Clash"});
    QCOMPARE(data.documents.size(), std::size_t(1));
    QCOMPARE(data.documents.front().filename, std::string("notes.txt"));

    // A 3.0 save names the extensions entry the only name a 3.0 reader looks for.
    const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
    saveArchive(saved, data, BcfVersion::V3_0);
    QVERIFY(contains(entryNames(saved), "extensions.xml"));
    QCOMPARE(loadArchive(saved).topicTypes, std::vector<std::string>{"Clash"});
}

void TestForeignArchives::commentModificationSurvives() {
    QTemporaryDir dir;
    ArchiveFile file;
    file.add("bcf.version", kVersion21);
    file.add(std::string(kGuid) + "/markup.bcf", markup21({}));
    BcfData data = loadArchive(file.write(dir, "comment.bcf"));
    for (BcfVersion version : {BcfVersion::V3_0, BcfVersion::V2_1}) {
        const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
        saveArchive(saved, data, version);
        const Comment comment = loadArchive(saved).markups.front().comments.front();
        QCOMPARE(comment.modifiedDate, std::string("2024-03-08T10:00:00Z"));
        QCOMPARE(comment.modifiedAuthor, std::string("b"));
    }
}

QTEST_GUILESS_MAIN(TestForeignArchives)
#include "test_foreign_archives.moc"
