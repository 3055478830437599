// Validation of whole archives: the schema findings equal what xmllint reports for each XML entry,
// and each archive rule reports what an edited official archive breaks.
#include "../codec/test_support.h"

#include "codec/zip/zip_archive.h"
#include "validate/validation.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pugixml.hpp>

using namespace bcf;
using namespace bcf::test;

namespace {

// The official archive `name` with `edits` made: "ENTRY|FROM|TO" replaces the first FROM in the
// first entry whose name ends in ENTRY; "-ENTRY" removes that entry.
std::string edited(const QString& name, const QStringList& edits) {
    ZipArchive source;
    source.load((testcasesDir() + u'/' + name).toStdString());
    ZipArchive out;
    std::vector<std::string> done(static_cast<std::size_t>(edits.size()));
    for (const ZipEntryInfo& entry : source.entries()) {
        std::string bytes = source.read(entry.filename).value_or("");
        bool removed = false;
        for (qsizetype i = 0; i < edits.size(); ++i) {
            const QStringList parts = edits[i].split(u'|');
            const bool remove = parts[0].startsWith(u'-');
            const std::string suffix = parts[0].mid(remove ? 1 : 0).toStdString();
            if (!done[static_cast<std::size_t>(i)].empty() || !entry.filename.ends_with(suffix))
                continue;
            done[static_cast<std::size_t>(i)] = entry.filename;
            removed = removed || remove;
            if (const std::size_t at = remove ? std::string::npos : bytes.find(parts[1].toStdString());
                at != std::string::npos)
                bytes.replace(at, parts[1].toUtf8().size(), parts[2].toStdString());
        }
        if (!removed)
            out.writeEntry(entry.filename, std::move(bytes));
    }
    return out.finish();
}

std::string validateBytes(const QTemporaryDir& dir, const std::string& bytes, ValidationReport& report) {
    const QString path = dir.filePath(QStringLiteral("archive.bcf"));
    if (!writeFile(path, bytes))
        return "cannot write";
    report = validateArchive(path.toStdString(), BCF_SOURCE_SCHEMAS);
    return {};
}

// The errors xmllint reports for every BCF file of the archive, each checked against the schema its
// root element calls for, as "entry:line: message".
QStringList xmllintErrors(const QTemporaryDir& dir, const std::string& bytes, BcfVersion version) {
    ZipArchive archive;
    archive.loadBytes(bytes, "edited");
    const QRegularExpression bcfFile(QStringLiteral(
        "(^bcf\\.version|^project\\.bcfp|^extensions\\.x..|^documents\\.xml|markup\\.bcf|\\.bcfv)$"));
    const QRegularExpression error(QStringLiteral("^(.*):(\\d+): .*error : (.*)$"));
    QStringList errors;
    for (const ZipEntryInfo& entry : archive.entries()) {
        const QString name = QString::fromStdString(entry.filename);
        if (!bcfFile.match(name).hasMatch())
            continue;
        const std::string text = *archive.read(entry.filename);
        const QString file = dir.filePath(QStringLiteral("entries/") + name);
        QDir().mkpath(QFileInfo(file).path());
        writeFile(file, text);
        pugi::xml_document document;
        const bool parsed = parseXml(document, text);
        const QString schema =
            parsed ? schemaFor(QString::fromUtf8(document.document_element().name()), version) : QString();
        for (const QString& line : xmllint({file}, schema).output.split(u'\n'))
            if (const auto match = error.match(line); match.hasMatch())
                errors << name + u':' + match.captured(2) + QStringLiteral(": ") + match.captured(3);
    }
    return errors;
}

} // namespace

class ValidationTest : public QObject {
    Q_OBJECT

private slots:
    void shippedSchemasAreTheOfficialOnes() {
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")})
            for (const QString& name : QDir(xsdDir() + u'/' + version).entryList(QDir::Files))
                QVERIFY2(readFile(QStringLiteral(BCF_SOURCE_SCHEMAS "/") + version + u'/' + name) ==
                             readFile(xsdDir() + u'/' + version + u'/' + name),
                         qPrintable(name));
    }

    // Rows: an official archive with edits (see `edited`).
    void agreesWithXmllint_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("edits");
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")})
            for (const QString& name :
                 QDir(testcasesDir() + u'/' + version).entryList({QStringLiteral("*.bcf")}))
                QTest::addRow("official %s %s", qPrintable(version), qPrintable(name))
                    << version + u'/' + name << QStringList();
        const char* const rows[][3] = {
            // clang-format off
            {"2.1 markup not well-formed", "2.1/Markup_MaximumInformation.bcf", "markup.bcf|</Topic>|"},
            {"2.1 topic GUID missing and unknown element", "2.1/Markup_MinimumInformation.bcf", "markup.bcf|Guid=|Id=;markup.bcf|<Title>|<Heading/><Title>"},
            {"2.1 viewpoint camera incomplete", "2.1/Visualization_PerspectiveCamera.bcf", "bcfv|<FieldOfView>|<FieldOfViewX>"},
            {"2.1 version with a second root", "2.1/Markup_PDFFile.bcf", "bcf.version|</Version>|</Version><Version/>"},
            {"3.0 upper-case GUID and bad date", "3.0/Markup_Labels.bcf", "markup.bcf|bee19eb8|BEE19EB8;markup.bcf|2021-02-17T09:08:17.927Z|yesterday"},
            {"3.0 documents.xml without file name", "3.0/Markup_Document_reference_internal.bcf", "documents.xml|Filename>|Description>"},
            {"3.0 project with text where none may be", "3.0/Markup_Due_Date.bcf", "project.bcfp|<Name>|text<Name>"},
            {"3.0 viewpoint declaring another encoding", "3.0/Visualization_Component_selection.bcf", "bcfv|UTF-8|UTF-16"},
            // clang-format on
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]).split(u';');
    }
    void agreesWithXmllint() {
        QFETCH(QString, archive);
        QFETCH(QStringList, edits);
        QTemporaryDir dir;
        const std::string bytes = edited(archive, edits);
        ValidationReport report;
        QCOMPARE(validateBytes(dir, bytes, report), std::string());
        QStringList ours;
        for (const ValidationFinding& finding : report.findings)
            if (finding.rule == ValidationRule::Schema || finding.rule == ValidationRule::WellFormed)
                ours << QString::fromStdString(finding.entry + ':' + std::to_string(finding.line) + ": " +
                                               finding.message);
        const QStringList theirs = xmllintErrors(dir, bytes, report.version);
        QCOMPARE(ours, theirs);
        QVERIFY(edits.isEmpty() || !ours.isEmpty());
    }

    // Rows: an official archive, edits, and the findings of the archive rules as "rule file: text"
    // (file: the entry name after its folder; text: the entry's line from the finding's column on,
    // so that the row holds where the finding points, whatever line ends and indentation the
    // official archive has).
    void reportsArchiveRules_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("expected");
        const char* const rows[][4] = {
            // clang-format off
            {"official archive keeping every rule", "3.0/Markup_Labels.bcf", "", ""},
            {"official archive with an unlisted snippet type", "2.1/Markup_MaximumInformation.bcf", "", "extension-value markup.bcf: <BimSnippet SnippetType="},
            {"official archive relating to a missing topic", "2.1/Markup_related_topics_with_the_other_topic_missing.bcf", "", "related-topic markup.bcf: <RelatedTopic Guid=\"c357"},
            {"topic folder not named after the topic", "3.0/Markup_Labels.bcf", "markup.bcf|Guid=\"bee19eb8|Guid=\"aee19eb8", "topic-folder markup.bcf: <Topic Guid=\"aee19eb8-3e"},
            {"comment GUID used twice", "2.1/Markup_MaximumInformation.bcf", "markup.bcf|a12766c2-61bc-40b4-ab19-e9f45fd0b0bf|07CCDBA0-1736-47e1-807d-67dc6f3addaa", "extension-value markup.bcf: <BimSnippet SnippetType=;unique-guid markup.bcf: <Comment Guid=\"07CCDBA0-"},
            {"snapshot, bitmap, snippet and document missing", "2.1/Markup_MaximumInformation.bcf", "-Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png;-tux.png;-JsonElement.json;-markup.xsd",
             "extension-value markup.bcf: <BimSnippet SnippetType=;missing-file markup.bcf: <Reference>JsonElement.j;missing-file markup.bcf: <ReferencedDocument>../m;missing-file markup.bcf: <Snapshot>Snapshot_4ab75;missing-file Viewpoint_4ab7514b-b216-4d56-98d2-45cf8500ff5a.bcfv: <Reference>tux.png</Refe"},
            {"comment on a viewpoint the topic lacks", "3.0/Markup_Labels.bcf", "markup.bcf|<Viewpoint Guid=\"064ad3a0|<Viewpoint Guid=\"164ad3a0", "comment-viewpoint markup.bcf: <Viewpoint Guid=\"164ad3a"},
            {"values missing from the extension lists", "3.0/Markup_Labels.bcf", "markup.bcf|TopicStatus=\"Open\"|TopicStatus=\"Reopened\";markup.bcf|>Architects<|>Clients<", "extension-value markup.bcf: <Topic Guid=\"bee19eb8-3e;extension-value markup.bcf: <Label>Clients</Label>"},
            {"document neither listed nor present", "3.0/Markup_Document_reference_internal.bcf", "-documents/b1d1b7f0-60b9-457d-ad12-16e0fb997bc5;markup.bcf|<DocumentGuid>b|<DocumentGuid>c",
             "extension-value markup.bcf: <AssignedTo>OtherUser@do;missing-file markup.bcf: <DocumentGuid>c1d1b7f0-6;missing-file documents.xml: <Document Guid=\"b1d1b7f0"},
            // clang-format on
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1])
                                  << QString::fromUtf8(row[2]).split(u';', Qt::SkipEmptyParts)
                                  << QString::fromUtf8(row[3]);
    }
    void reportsArchiveRules() {
        QFETCH(QString, archive);
        QFETCH(QStringList, edits);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        ValidationReport report;
        const std::string bytes = edited(archive, edits);
        QCOMPARE(validateBytes(dir, bytes, report), std::string());
        ZipArchive zip;
        zip.loadBytes(bytes, "edited");
        QStringList found;
        for (const ValidationFinding& finding : report.findings) {
            if (finding.rule == ValidationRule::Schema || finding.rule == ValidationRule::WellFormed)
                continue;
            const std::vector<std::string> text = lines(zip.read(finding.entry).value_or(""));
            const std::string line = finding.line > 0 && finding.line <= int(text.size())
                                         ? text[std::size_t(finding.line - 1)]
                                         : std::string("(no line)");
            found << QStringLiteral("%1 %2: %3")
                         .arg(QString::fromUtf8(ruleName(finding.rule)),
                              QString::fromStdString(finding.entry).section(u'/', -1),
                              QString::fromStdString(
                                  line.substr(std::min<std::size_t>(
                                      std::size_t(std::max(finding.column, 1) - 1), line.size())))
                                  .trimmed()
                                  .left(24));
        }
        QCOMPARE(found.join(u';'), expected);
    }
};

QTEST_GUILESS_MAIN(ValidationTest)
#include "test_validation.moc"
