// Merging archives: official archives split in two merge back to the original either way round,
// and edits of both sides merge by their modified dates; merging again changes nothing.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/guid.h"
#include "codec/merge.h"
#include "codec/payloads.h"
#include "validate/validation.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

using namespace bcf;
using namespace bcf::test;

using Edit = std::function<void(BcfData&)>;
Q_DECLARE_METATYPE(Edit)

namespace {

std::string lower(const std::string& text) {
    return normalizedGuid(text, BcfVersion::V3_0);
}

// Schema findings in the files written by roundTrip, which each test function fails on.
QStringList invalidFiles;

// Saves `document` as `version` to a new file of `dir`, checks that the file validates, and loads it.
BcfDocument roundTrip(BcfDocument document, const QTemporaryDir& dir, BcfVersion version) {
    static int files = 0;
    const std::string path = dir.filePath(QStringLiteral("%1.bcf").arg(++files)).toStdString();
    saveArchive(path, document, version);
    for (const ValidationFinding& finding : validateArchive(path, findSchemaDirectory()).findings)
        if (finding.rule == ValidationRule::Schema || finding.rule == ValidationRule::WellFormed)
            invalidFiles << QString::fromStdString(finding.entry + ": " + finding.message);
    return loadArchive(path);
}

// The content of a document whatever the order of its records and wherever its payloads lie.
std::string canonical(BcfDocument document) {
    fetchPayloads(document);
    BcfData& data = document.data;
    const auto byGuid = [](auto& list) {
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return lower(a.guid) < lower(b.guid); });
    };
    for (Markup& markup : data.markups) {
        markup.sourceFolder.reset();
        byGuid(markup.comments);
        byGuid(markup.viewPoints);
        byGuid(markup.topic.documentReferences);
        byGuid(markup.topic.relatedTopics);
        std::sort(markup.topic.labels.begin(), markup.topic.labels.end());
    }
    std::sort(data.markups.begin(), data.markups.end(),
              [](const Markup& a, const Markup& b) { return lower(a.topic.guid) < lower(b.topic.guid); });
    // GUIDs compare in any case.
    static const QRegularExpression guid(
        QStringLiteral("[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}"));
    QString text = QString::fromStdString(dump(data));
    for (const QRegularExpressionMatch& match : guid.globalMatch(text))
        text.replace(match.capturedStart(), match.capturedLength(), match.captured().toLower());
    return text.toStdString();
}

// Every GUID of topics, comments and viewpoints, in lower case.
std::set<std::string> guids(const BcfData& data) {
    std::set<std::string> all;
    for (const Markup& markup : data.markups) {
        all.insert("topic " + lower(markup.topic.guid));
        for (const Comment& comment : markup.comments)
            all.insert("comment " + lower(comment.guid));
        for (const ViewPoint& viewPoint : markup.viewPoints)
            all.insert("viewpoint " + lower(viewPoint.guid));
    }
    return all;
}

// A summary as one line: "+title" for an added topic, "~title(fields)" for an updated one, with
// "+Nc ~Nc +Nv" for comments and viewpoints, "+Nd" for documents and "!field=base|other".
QString summaryLine(const MergeSummary& summary) {
    QStringList parts;
    for (const TopicMergeChange& topic : summary.topics) {
        QString part = (topic.added ? u'+' : u'~') + QString::fromStdString(topic.title);
        QStringList fields;
        for (const std::string& field : topic.fields)
            fields << QString::fromStdString(field);
        if (!fields.isEmpty())
            part += u'(' + fields.join(u',') + u')';
        for (const auto& [count, mark] : {std::pair(topic.commentsAdded, "+%1c"),
                                          {topic.commentsUpdated, "~%1c"},
                                          {topic.viewpointsAdded, "+%1v"}})
            if (count)
                part += u' ' + QString::fromUtf8(mark).arg(count);
        parts << part;
    }
    if (summary.documentsAdded)
        parts << QStringLiteral("+%1d").arg(summary.documentsAdded);
    for (const MergeConflict& conflict : summary.conflicts)
        parts << QString::fromStdString("!" + conflict.field + "=" + conflict.baseValue + "|" +
                                        conflict.otherValue);
    return parts.join(QStringLiteral("; "));
}

// The first topic as "title|status|due date|comments (author: text)|viewpoint files|labels|related topics",
// then
// "|name" for each document reference (the file name of a document of the archive), each other file of its
// folder and its BIM snippet.
QString firstTopicLine(const BcfData& data) {
    const Markup& markup = data.markups.front();
    QStringList comments, viewPoints;
    for (const Comment& comment : markup.comments)
        comments << QString::fromStdString(comment.author.substr(0, comment.author.find('@')) + ": " +
                                           comment.comment);
    for (const ViewPoint& viewPoint : markup.viewPoints) {
        std::string line = viewPoint.viewpoint.substr(0, 8) + ":" + viewPoint.snapshot.substr(0, 8);
        for (const Bitmap& bitmap : viewPoint.visualizationInfo.bitmaps.value_or(std::vector<Bitmap>()))
            line += "[" + bitmap.reference + "]";
        viewPoints << QString::fromStdString(line);
    }
    const Topic& t = markup.topic;
    QString line =
        QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
            .arg(QString::fromStdString(t.title), QString::fromStdString(t.topicStatus),
                 QString::fromStdString(t.dueDate.value_or("")), comments.join(u','), viewPoints.join(u','))
            .arg(QString::fromStdString(std::string(t.labels.empty() ? "" : t.labels.front())))
            .arg(t.relatedTopics.size());
    for (const DocumentReference& reference : t.documentReferences) {
        // A reference to a document of the archive by the file it leads to, in either version's form.
        std::string target = reference.url.empty() ? reference.referencedDocument : reference.url;
        for (const DocumentInfo& document : data.documents)
            if (!reference.documentGuid.empty() && reference.documentGuid == document.guid)
                target = document.filename;
        if (target.starts_with("../"))
            target.erase(0, 3);
        line += u'|' + QString::fromStdString(target);
    }
    for (const OtherFile& file : markup.otherFiles)
        line += QStringLiteral("|file %1 (%2 bytes)")
                    .arg(QString::fromStdString(file.name))
                    .arg(file.data.size());
    if (t.bimSnippet)
        line += QStringLiteral("|snippet %1 (%2 bytes)")
                    .arg(QString::fromStdString(t.bimSnippet->reference))
                    .arg(t.bimSnippet->data.size());
    return line;
}

// Each viewpoint's snapshot bytes and visualization GUID, by viewpoint GUID.
std::map<std::string, std::string> viewPointPayloads(BcfDocument document) {
    fetchAllPayloads(document);
    std::map<std::string, std::string> all;
    for (const Markup& markup : document.data.markups)
        for (const ViewPoint& viewPoint : markup.viewPoints)
            all[lower(viewPoint.guid)] =
                viewPoint.snapshotData.str() + '|' + lower(viewPoint.visualizationInfo.guid);
    return all;
}

const char* const kRoof = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
const char* const kDoor = "3f2504e0-4f89-41d3-9a0c-0305e82c3302";

ViewPoint viewPoint(const std::string& guid, const std::string& image) {
    ViewPoint point;
    point.guid = guid;
    point.viewpoint = "viewpoint.bcfv";
    point.snapshot = "snapshot.png";
    point.snapshotLoaded = point.visualizationLoaded = 1;
    point.snapshotData = image;
    point.visualizationInfo.guid = guid;
    point.visualizationInfo.fieldOfView = 60;
    return point;
}

// Two topics, the first with a comment on its viewpoint, and a document.
BcfData scenarioBase() {
    BcfData data;
    data.projectId = "5c0e1d2a-3b4c-4d5e-8f6a-7b8c9d0e1f2a";
    data.name = "Tower";
    for (const char* guid : {kRoof, kDoor}) {
        Markup markup;
        Topic& topic = markup.topic;
        topic.guid = guid;
        topic.title = guid == kRoof ? "Roof leaks" : "Door swing";
        topic.topicType = "Issue";
        topic.topicStatus = "Open";
        topic.creationDate = "2024-01-10T10:00:00Z";
        topic.creationAuthor = "ana@example.com";
        topic.modifiedDate = "2024-01-10T10:00:00Z";
        data.markups.push_back(std::move(markup));
    }
    data.markups[0].comments.push_back({"8d2a6c1e-0b7f-4a59-9c0e-4a6f1b2c3d01", "2024-01-10T10:00:00Z",
                                        "ana@example.com", "water at the edge", "", "",
                                        "9e1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c01"});
    data.markups[0].viewPoints.push_back(viewPoint("9e1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c01", "image one"));
    data.documents.push_back({"7a1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c01", "brief.pdf", 1, "pdf bytes", ""});
    return data;
}

Comment comment(const char* guid, const char* date, const char* text) {
    return {guid, date, "ben@example.com", text, "", "", ""};
}

} // namespace

class MergeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QVERIFY2(invalidFiles.isEmpty(), qPrintable(invalidFiles.join(u'\n')));
        invalidFiles.clear();
    }

    // Each official archive split in two (the first topic only in the first half, the others with
    // half their comments and viewpoints in each, labels in the first) merges back to itself either
    // way round.
    void splitArchivesMergeBack_data() {
        QTest::addColumn<QString>("archive");
        for (const QString& version : {QStringLiteral("2.1"), QStringLiteral("3.0")})
            for (const QString& name :
                 QDir(testcasesDir() + u'/' + version).entryList({QStringLiteral("*.bcf")}))
                QTest::newRow(qPrintable(version + u' ' + name)) << version + u'/' + name;
    }
    void splitArchivesMergeBack() {
        QFETCH(QString, archive);
        QTemporaryDir dir;
        const BcfDocument loaded = loadArchive((testcasesDir() + u'/' + archive).toStdString());
        const BcfVersion version = loaded.data.version;
        const BcfDocument original = roundTrip(loaded, dir, version);
        BcfDocument halves[2] = {original, original};
        const bool several = original.data.markups.size() > 1;
        if (several)
            halves[1].data.markups.erase(halves[1].data.markups.begin());
        for (int half = 0; half < 2; ++half)
            for (std::size_t t = half == 0 && several ? 1 : 0; t < halves[half].data.markups.size(); ++t) {
                Markup& markup = halves[half].data.markups[t];
                const auto keepHalf = [half](auto& list) {
                    for (std::size_t i = list.size(); i-- > 0;)
                        if (i % 2 != static_cast<std::size_t>(half))
                            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                };
                keepHalf(markup.comments);
                keepHalf(markup.viewPoints);
                if (half == 1)
                    markup.topic.labels.clear();
            }
        const BcfDocument a = roundTrip(halves[0], dir, version);
        const BcfDocument b = roundTrip(halves[1], dir, version);
        const BcfVersion otherVersion = version == BcfVersion::V2_1 ? BcfVersion::V3_0 : BcfVersion::V2_1;
        const BcfDocument bConverted = roundTrip(halves[1], dir, otherVersion);
        const std::string expected = canonical(original);

        MergeResult ab = mergeArchives(a, b);
        QVERIFY(ab.summary.conflicts.empty());
        const BcfDocument merged{std::move(ab.data), a.archive};
        const std::string mergedText = canonical(roundTrip(merged, dir, version));
        QVERIFY2(mergedText == expected, qPrintable(firstDifference(mergedText, expected)));
        MergeResult ba = mergeArchives(b, a);
        QVERIFY(ba.summary.conflicts.empty());
        QCOMPARE(canonical({std::move(ba.data), b.archive}), expected);
        const MergeResult again = mergeArchives(merged, b);
        QVERIFY(!again.summary.changed());
        QCOMPARE(canonical({again.data, a.archive}), canonical(merged));

        // Across versions every record is matched or added, without conflicts, and only once.
        MergeResult across = mergeArchives(a, bConverted);
        QVERIFY(across.summary.conflicts.empty());
        QVERIFY(guids(across.data) == guids(original.data));
        const BcfDocument mergedAcross{std::move(across.data), a.archive};
        QVERIFY(!mergeArchives(mergedAcross, bConverted).summary.changed());
        QVERIFY(guids(roundTrip(mergedAcross, dir, otherVersion).data) == guids(original.data));
    }

    // Rows: edits of two copies of a built archive, the summary of merging the second into the
    // first, and the first topic afterwards (see summaryLine and firstTopicLine).
    void editsMergeByDate_data() {
        QTest::addColumn<Edit>("editBase");
        QTest::addColumn<Edit>("editOther");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("topic");
        const Edit none = [](BcfData&) {};
        QTest::newRow("the later side gives every field")
            << Edit([](BcfData& d) {
                   d.markups[0].topic.topicStatus = "Closed",
                   d.markups[0].topic.modifiedDate = "2024-02-01T00:00:00Z";
               })
            << Edit([](BcfData& d) {
                   Topic& t = d.markups[0].topic;
                   t.title = "Roof leaks badly", t.modifiedDate = "2024-02-01T00:30:00+00:00";
                   t.topicType = "Request", t.priority = "High", t.assignedTo = "ben@example.com";
                   t.stage = "Design", t.description = "over the door", t.modifiedAuthor = "ben@example.com";
                   t.referenceLinks = {"https://example.com/roof"};
               })
            << "~Roof leaks badly(TopicType,TopicStatus,ReferenceLink,Title,Priority,ModifiedDate,"
               "ModifiedAuthor,AssignedTo,Stage,Description)"
            << "Roof leaks badly|Open||ana: water at the edge|viewpoin:snapshot||0";
        QTest::newRow("the base modified later keeps its fields") << Edit([](BcfData& d) {
            d.markups[0].topic.topicStatus = "Closed",
            d.markups[0].topic.modifiedDate = "2024-02-01T01:00:00+00:00";
        }) << Edit([](BcfData& d) {
            d.markups[0].topic.title = "Roof leaks badly",
            d.markups[0].topic.modifiedDate = "2024-02-01T01:30:00+01:00";
        }) << QString() << "Roof leaks|Closed||ana: water at the edge|viewpoin:snapshot||0";
        QTest::newRow("same date: different values conflict, a value only one side has is taken")
            << Edit([](BcfData& d) {
                   d.markups[0].topic.title = "Roof",
                   d.markups[0].topic.modifiedDate = "2024-02-01T00:00:00Z";
               })
            << Edit([](BcfData& d) {
                   Topic& t = d.markups[0].topic;
                   t.title = "Leak", t.dueDate = "2024-03-01T12:00:00Z",
                   t.modifiedDate = "2024-02-01T01:00:00+01:00";
               })
            << "~Roof(DueDate); !Title=Roof|Leak"
            << "Roof|Open|2024-03-01T12:00:00Z|ana: water at the edge|viewpoin:snapshot||0";
        QTest::newRow("comments of both sides in date order, an edited one by its own date")
            << Edit([](BcfData& d) {
                   d.markups[0].comments.push_back(
                       comment("8d2a6c1e-0b7f-4a59-9c0e-4a6f1b2c3d02", "2024-02-01T00:00:00Z", "base says"));
               })
            << Edit([](BcfData& d) {
                   d.markups[0].comments.push_back(
                       comment("8d2a6c1e-0b7f-4a59-9c0e-4a6f1b2c3d03", "2024-01-20T00:00:00Z", "other says"));
                   d.markups[0].comments[0].comment = "water everywhere";
                   d.markups[0].comments[0].author = "cy@example.com";
                   d.markups[0].comments[0].modifiedDate = "2024-01-21T00:00:00Z";
               })
            << "~Roof leaks +1c ~1c"
            << "Roof leaks|Open||cy: water everywhere,ben: other says,ben: base says|viewpoin:snapshot||0";
        const Edit earlierNote = [](BcfData& d) {
            d.markups[0].comments.push_back(
                comment("8d2a6c1e-0b7f-4a59-9c0e-4a6f1b2c3d04", "2023-12-01T00:00:00Z", "earlier"));
        };
        QTest::newRow("an answer in a copy stays at the end of the thread")
            << earlierNote << Edit([earlierNote](BcfData& d) {
                   earlierNote(d);
                   d.markups[0].comments.push_back(
                       comment("8d2a6c1e-0b7f-4a59-9c0e-4a6f1b2c3d05", "2024-03-01T00:00:00Z", "answer"));
               })
            << "~Roof leaks +1c"
            << "Roof leaks|Open||ana: water at the edge,ben: earlier,ben: answer|viewpoin:snapshot||0";
        QTest::newRow("topics, viewpoints, documents and files only the other has are added")
            << none << Edit([](BcfData& d) {
                   d.markups.push_back(d.markups[1]);
                   d.markups.back().topic.guid = "3f2504e0-4f89-41d3-9a0c-0305e82c3303";
                   d.markups.back().topic.title = "Stair width";
                   d.markups[0].viewPoints[0] =
                       viewPoint("9e1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c02", "image two");
                   d.markups[0].viewPoints[0].visualizationInfo.bitmaps = {
                       {"png", "mark.png", {}, {0, 0, 1}, {0, 1, 0}, 1, 1, "png bytes"}};
                   d.documents.push_back(
                       {"7a1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c02", "plan.pdf", 1, "plan bytes", ""});
                   d.otherFiles.push_back({"extras/readme.txt", 1, "kept by another tool"});
                   d.markups[0].otherFiles.push_back({"site-notes.txt", 1, "kept in the topic folder"});
               })
            << "~Roof leaks +1v; +Stair width; +1d"
            << "Roof leaks|Open||ana: water at the "
               "edge|9e1b2c3d:9e1b2c3d,9e1b2c3d:9e1b2c3d[mark.png]||0|file "
               "site-notes.txt (24 bytes)";
        QTest::newRow("GUIDs match in any case") << none << Edit([](BcfData& d) {
            const auto upper = [](std::string& text) {
                std::transform(text.begin(), text.end(), text.begin(),
                               [](unsigned char c) { return std::toupper(c); });
            };
            for (Markup& m : d.markups) {
                upper(m.topic.guid);
                for (Comment& c : m.comments)
                    upper(c.guid), upper(c.viewpoint);
                for (ViewPoint& v : m.viewPoints)
                    upper(v.guid), upper(v.visualizationInfo.guid);
            }
        }) << QString() << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot||0";
        const auto references = [](std::vector<std::string> urls) {
            return Edit([urls](BcfData& d) {
                int n = 0;
                for (const std::string& url : urls)
                    d.markups[0].topic.documentReferences.push_back(
                        {"6b1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c0" + std::to_string(++n), true, url, "", "", ""});
            });
        };
        QTest::newRow("a document reference added in a copy stays after the one both have")
            << references({"https://example.com/site.pdf"})
            << references({"https://example.com/site.pdf", "https://example.com/plan.pdf"})
            << "~Roof leaks(DocumentReference)"
            << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot||0|https://example.com/site.pdf|"
               "https://example.com/plan.pdf";
        QTest::newRow("a reference to the archive's document added in a copy leads to it")
            << none << Edit([](BcfData& d) {
                   d.markups[0].topic.documentReferences.push_back(
                       {"6b1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c09", false, "", d.documents[0].guid, "", "brief"});
               })
            << "~Roof leaks(DocumentReference)"
            << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot||0|brief.pdf";
        const auto snippet = [](const char* reference, bool external) {
            return Edit([=](BcfData& d) {
                d.markups[0].topic.bimSnippet =
                    BimSnippet{"IFC", external, reference, "", 1, external ? "" : "ifc bytes"};
            });
        };
        QTest::newRow("a BIM snippet only the other has is taken with its file")
            << none << snippet("snippet.ifc", false) << "~Roof leaks(BimSnippet)"
            << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot||0|snippet snippet.ifc (9 bytes)";
        QTest::newRow("BIM snippets of both sides on the same date conflict")
            << snippet("https://a.example/x.ifc", true) << snippet("https://b.example/y.ifc", true)
            << "!BimSnippet=https://a.example/x.ifc|https://b.example/y.ifc"
            << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot||0|snippet https://a.example/x.ifc "
               "(0 "
               "bytes)";
        QTest::newRow("labels and related topics of both sides")
            << Edit([](BcfData& d) { d.markups[0].topic.labels = {"Roof"}; }) << Edit([](BcfData& d) {
                   d.markups[0].topic.labels = {"Urgent"}, d.markups[0].topic.relatedTopics = {{kDoor}};
               })
            << "~Roof leaks(Labels,RelatedTopic)"
            << "Roof leaks|Open||ana: water at the edge|viewpoin:snapshot|Roof|1";
    }
    void editsMergeByDate() {
        QFETCH(Edit, editBase);
        QFETCH(Edit, editOther);
        QFETCH(QString, summary);
        QFETCH(QString, topic);
        for (const auto& [baseVersion, otherVersion] : {std::pair(BcfVersion::V2_1, BcfVersion::V2_1),
                                                        {BcfVersion::V3_0, BcfVersion::V3_0},
                                                        {BcfVersion::V2_1, BcfVersion::V3_0}}) {
            QTemporaryDir dir;
            BcfData baseData = scenarioBase(), otherData = scenarioBase();
            editBase(baseData);
            editOther(otherData);
            const BcfDocument base = roundTrip({baseData, std::make_shared<ZipArchive>()}, dir, baseVersion);
            const BcfDocument other =
                roundTrip({otherData, std::make_shared<ZipArchive>()}, dir, otherVersion);
            MergeResult result = mergeArchives(base, other);
            QCOMPARE(summaryLine(result.summary), summary);
            BcfDocument merged = roundTrip({std::move(result.data), base.archive}, dir, baseVersion);
            fetchAllPayloads(merged);
            QCOMPARE(firstTopicLine(merged.data), topic);
            // Every viewpoint keeps its own side's files, whichever names the merge gave them.
            std::map<std::string, std::string> payloads = viewPointPayloads(base);
            payloads.merge(viewPointPayloads(other));
            QCOMPARE(viewPointPayloads(merged), payloads);
            QVERIFY(!mergeArchives(merged, other).summary.changed());
            if (baseVersion == otherVersion && result.summary.conflicts.empty()) {
                MergeResult reverse = mergeArchives(other, base);
                BcfDocument reversed = roundTrip({std::move(reverse.data), other.archive}, dir, baseVersion);
                fetchAllPayloads(reversed);
                QCOMPARE(firstTopicLine(reversed.data), topic);
                QCOMPARE(canonical(reversed), canonical(merged));
            }
        }
    }

    // A document both 3.0 archives have, described differently on each side, keeps the base's
    // description and is named in the conflict.
    void documentDescriptionsConflict() {
        QTemporaryDir dir;
        BcfData baseData = scenarioBase(), otherData = scenarioBase();
        baseData.documents[0].description = "brief, first issue";
        otherData.documents[0].description = "brief, revised";
        const BcfDocument base = roundTrip({baseData, std::make_shared<ZipArchive>()}, dir, BcfVersion::V3_0);
        const BcfDocument other =
            roundTrip({otherData, std::make_shared<ZipArchive>()}, dir, BcfVersion::V3_0);
        const MergeResult result = mergeArchives(base, other);
        QCOMPARE(summaryLine(result.summary),
                 QStringLiteral("!Description=brief, first issue|brief, revised"));
        QCOMPARE(result.summary.conflicts.at(0).document, baseData.documents[0].guid);
        QCOMPARE(result.data.documents.at(0).description, baseData.documents[0].description);
    }
};

QTEST_GUILESS_MAIN(MergeTest)
#include "test_merge.moc"
