// Every reader on single files as producers write them (tests/data/readers, and the single files
// of tests/data/regressions), and what the writers make of the result in 2.1 and in 3.0, compared
// with the expected files below tests/data/expected/files; a file that is valid for its own
// version must come out valid for both.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/extensions.h"
#include "codec/markup.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/visinfo.h"
#include "codec/zip/zip_archive.h"

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <pugixml.hpp>

using namespace bcf;
using namespace bcf::test;

namespace {

using Written = std::vector<std::pair<BcfVersion, std::string>>;

// What the reader for `document`'s root element reads in `version`; `written` gets what the
// writers make of it.
std::string readAndWrite(const pugi::xml_document& document, BcfVersion version, Written& written) {
    const std::string root = document.document_element().name();
    auto writeBoth = [&written](const auto& write) {
        for (BcfVersion to : {BcfVersion::V2_1, BcfVersion::V3_0})
            written.push_back({to, write(to)});
    };
    BcfData data;
    data.version = version;
    if (root == "Markup") {
        const Markup markup = readMarkup(document, version);
        writeBoth([&](BcfVersion to) { return writeMarkup(markup, to); });
        return dump(markup);
    }
    if (root == "VisualizationInfo") {
        const VisualizationInfo info = readVisualizationInfo(document);
        writeBoth([&](BcfVersion to) { return writeVisualizationInfo(info, to); });
        return dump(info);
    }
    if (root == "DocumentInfo") {
        std::string text;
        const std::vector<DocumentInfo> documents = readDocuments(document);
        for (const DocumentInfo& d : documents)
            text += "document " + d.guid + " | " + d.filename + " | " + d.description + "\n";
        written.push_back({BcfVersion::V3_0, writeDocuments(documents)});
        return text;
    }
    if (root == "Version") {
        readVersion(document, data);
        writeBoth([&](BcfVersion to) { return writeVersion(to, data.detailedVersion); });
        return std::string("version ") + versionText(data.version) + " | " + data.detailedVersion + "\n";
    }
    const bool project = root == "ProjectExtension" || root == "ProjectInfo";
    project ? readProject(document, data) : readExtensions(document, data);
    writeBoth([&](BcfVersion to) { return project ? writeProject(data, to) : writeExtensions(data, to); });
    return dump(data);
}

} // namespace

class GoldenFilesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { std::setlocale(LC_ALL, "C"); }

    void readsAndWritesFile_data() {
        QTest::addColumn<QString>("path");
        for (const char* folder : {"readers", "regressions"}) {
            const QDir dir(dataDir() + u'/' + QString::fromUtf8(folder));
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                if (!name.endsWith(u".py") && !readFile(dir.filePath(name)).starts_with("PK"))
                    QTest::addRow("%s %s", folder, qPrintable(name)) << dir.filePath(name);
        }
    }
    void readsAndWritesFile() {
        QFETCH(QString, path);
        const QString name = QFileInfo(path).fileName();
        const BcfVersion version = name.contains(u"3.0") ? BcfVersion::V3_0 : BcfVersion::V2_1;
        pugi::xml_document document;
        QVERIFY(parseXml(document, readFile(path)));
        Written written;
        std::string report;
        try {
            report = readAndWrite(document, version, written);
        } catch (const BcfError& error) {
            report = std::string("error: ") + error.what() + "\n";
        }
        for (const auto& [to, text] : written)
            report += "== written as " + std::string(versionText(to)) + "\n" + text;
        const QString difference = compareWithExpected(
            QStringLiteral("files/") + name + QStringLiteral(".txt"), report, readFile(path));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));

        const QString root = QString::fromUtf8(document.document_element().name());
        // What is valid for its own version (every regression file is) must come out valid.
        const XmlLintResult input = xmllint({path}, schemaFor(root, version));
        QVERIFY2(input.ok || !path.contains(u"/regressions/"), qPrintable(input.output));
        if (!input.ok)
            return;
        QTemporaryDir dir;
        for (const auto& [to, text] : written) {
            const QString output = dir.filePath(QStringLiteral("written-%1.xml").arg(versionText(to)));
            pugi::xml_document out;
            QVERIFY(writeFile(output, text) && parseXml(out, text));
            const XmlLintResult result =
                xmllint({output}, schemaFor(QString::fromUtf8(out.document_element().name()), to));
            QVERIFY2(result.ok, qPrintable(result.output));
        }
    }

    // Viewpoint numbers are read and written with a point whatever the C locale says.
    void viewpointNumbersIgnoreLocale() {
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("locale not installed");
        pugi::xml_document document;
        QVERIFY(parseXml(document, "<VisualizationInfo><PerspectiveCamera><CameraViewPoint><X>1.5</X>"
                                   "</CameraViewPoint><FieldOfView>47.25</FieldOfView></PerspectiveCamera>"
                                   "</VisualizationInfo>"));
        const VisualizationInfo info = readVisualizationInfo(document);
        QCOMPARE(info.cameraViewPoint.x, 1.5);
        const std::string written = writeVisualizationInfo(info, BcfVersion::V2_1);
        QVERIFY(written.find("<X>1.5</X>") != std::string::npos);
        QVERIFY(written.find("<FieldOfView>47.25</FieldOfView>") != std::string::npos);
    }

    // A text typed or pasted with a character XML does not allow is refused by the writer, never
    // written as a reference other readers refuse.
    void writersRefuseCharactersXmlDisallows_data() {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QString>("named");
        QTest::newRow("vertical tab")
            << QByteArray("line\vbreak") << QStringLiteral("\"line\" is followed by U+000B");
        QTest::newRow("U+FFFE") << QByteArray("\xc3\xa9\xef\xbf\xbe")
                                << QStringLiteral("\"\u00e9\" is followed by U+FFFE");
        QTest::newRow("long text: the 40 bytes before it")
            << QByteArray("a\xc3\xa9" + QByteArray(39, 'y') + "\v")
            << QStringLiteral("\"...") + QString(39, u'y') + QStringLiteral("\" is followed by U+000B");
        QTest::newRow("NUL-free escape")
            << QByteArray("\x1b[0m") << QStringLiteral("\"\" is followed by U+001B");
    }
    void writersRefuseCharactersXmlDisallows() {
        QFETCH(QByteArray, title);
        QFETCH(QString, named);
        Markup markup;
        markup.topic.guid = "0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b";
        markup.topic.title = title.toStdString();
        for (BcfVersion to : {BcfVersion::V2_1, BcfVersion::V3_0}) {
            try {
                writeMarkup(markup, to);
                QFAIL("written");
            } catch (const BcfError& error) {
                QVERIFY2(QString::fromUtf8(error.what()).contains(named), error.what());
            }
        }
    }

    // A title in UTF-8 is read when a strict decoder (Qt's) takes its bytes and its archive is
    // refused as invalid UTF-8 otherwise: each lead byte with second bytes at the edges of the
    // ranges UTF-8 allows (no overlong forms, surrogates or code points beyond U+10FFFF), whole
    // and cut short.
    void readsUtf8AsStrictDecodersDo() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("title.bcf")).toStdString();
        const std::string topic = "0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b";
        for (const unsigned lead :
             {0x80, 0xbf, 0xc1, 0xc2, 0xdf, 0xe0, 0xe1, 0xed, 0xee, 0xef, 0xf0, 0xf1, 0xf3, 0xf4, 0xf5, 0xff})
            for (const unsigned second : {0x7f, 0x80, 0x8f, 0x90, 0x9f, 0xa0, 0xbf, 0xc0})
                for (const bool cut : {false, true}) {
                    std::string bytes = {static_cast<char>(lead), static_cast<char>(second)};
                    bytes.append(lead >= 0xf0 ? 2 : lead >= 0xe0 ? 1 : 0, '\x80');
                    if (cut)
                        bytes.pop_back();
                    const std::string title = "Title " + bytes + " end";
                    ZipArchive zip;
                    zip.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
                    zip.writeEntry(topic + "/markup.bcf", "<Markup><Topic Guid=\"" + topic + "\"><Title>" +
                                                              title + "</Title></Topic></Markup>");
                    QVERIFY(writeFile(QString::fromStdString(path), zip.finish()));
                    QStringDecoder decoder(QStringDecoder::Utf8);
                    const QString decoded = decoder(QByteArray::fromStdString(title));
                    QString read;
                    try {
                        read = QString::fromStdString(loadArchive(path).data.markups.at(0).topic.title);
                    } catch (const BcfError& error) {
                        read = QString::fromUtf8(error.what()).section(u':', 0, 0);
                    }
                    QVERIFY2(read == (decoder.hasError() ? u"invalid UTF-8"_qs : decoded),
                             qPrintable(QByteArray::fromStdString(bytes).toHex(' ') + u": "_qs + read));
                }
    }

    // U+FFFE and U+FFFF written as UTF-8 bytes are refused; the characters around them, and the
    // other planes' noncharacters, which XML allows, are read.
    void refusesNoncharacterBytes() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("title.bcf")).toStdString();
        const std::pair<const char*, bool> rows[] = {{"\xef\xbf\xbe", false},
                                                     {"\xef\xbf\xbf", false},
                                                     {"\xef\xbf\xbd", true},
                                                     {"\xf0\x9f\xbf\xbe", true},
                                                     {"\xee\xbf\xbe", true}};
        for (const auto& [bytes, read] : rows) {
            ZipArchive zip;
            zip.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
            zip.writeEntry("t/markup.bcf", std::string("<Markup><Topic Guid=\"t\"><Title>a") + bytes +
                                               "</Title></Topic></Markup>");
            QVERIFY(writeFile(QString::fromStdString(path), zip.finish()));
            bool loaded = true;
            try {
                loadArchive(path);
            } catch (const BcfError& error) {
                loaded = false;
                QVERIFY2(QString::fromUtf8(error.what()).contains(u"XML does not allow it"_qs), error.what());
            }
            QVERIFY2(loaded == read, bytes);
        }
    }

    // A control character written as a byte into a UTF-8 markup, in a title or after the root
    // element: refused but for tab, line feed and carriage return.
    void refusesControlBytes() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("title.bcf")).toStdString();
        for (const bool inTitle : {true, false})
            for (char c = 0; c < 0x20; ++c) {
                const std::string title = inTitle ? std::string("a") + c + "b" : "ab";
                ZipArchive zip;
                zip.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
                zip.writeEntry("t/markup.bcf", "<Markup><Topic Guid=\"t\"><Title>" + title +
                                                   "</Title></Topic></Markup>" +
                                                   (inTitle ? "" : std::string(1, c)));
                QVERIFY(writeFile(QString::fromStdString(path), zip.finish()));
                bool refused = false;
                try {
                    loadArchive(path);
                } catch (const BcfError& error) {
                    refused = std::string(error.what()).starts_with("invalid character");
                }
                QVERIFY2(refused == (c != '\t' && c != '\n' && c != '\r'), qPrintable(QString::number(c)));
            }
    }
};

QTEST_GUILESS_MAIN(GoldenFilesTest)
#include "test_golden_files.moc"
