// The records made by the create commands, the save filters and the issue edits, without a window.
#include "ui/issue_editing.h"
#include "ui/records.h"
#include "ui/save_command.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QRegularExpression>
#include <QTimeZone>
#include <QtTest>

#include <set>

namespace {

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(at + i));
    return value;
}

// A byte-at-a-time CRC-32 written independently of the one in the application.
std::uint32_t referenceCrc32(const std::string& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xffffffffu;
    for (const char ch : bytes)
        crc = table[(crc ^ static_cast<std::uint8_t>(ch)) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

struct PngChunk {
    std::string type;
    std::string data;
};

std::vector<PngChunk> pngChunks(const std::string& png) {
    std::vector<PngChunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndian32(png, at);
        PngChunk chunk{png.substr(at + 4, 4), png.substr(at + 8, length)};
        const std::uint32_t crc = bigEndian32(png, at + 8 + length);
        if (crc != referenceCrc32(chunk.type + chunk.data))
            return {};
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return at == png.size() ? chunks : std::vector<PngChunk>{};
}

const QRegularExpression& guidPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    return pattern;
}

bool isGuid(const std::string& text) {
    return guidPattern().match(QString::fromStdString(text)).hasMatch();
}

} // namespace

class TestEditingRecords : public QObject {
    Q_OBJECT

private slots:
    void guidTextIsLowerCaseAndUnique() {
        std::set<std::string> seen;
        for (int i = 0; i < 200; ++i) {
            const std::string guid = newGuidText();
            QCOMPARE(guid.size(), std::size_t(36));
            QVERIFY2(isGuid(guid), guid.c_str());
            QVERIFY(seen.insert(guid).second);
        }
    }

    void timestampText_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one hour east of UTC")
            << QDateTime(QDate(2024, 3, 7), QTime(9, 5, 41, 123), QTimeZone(3600))
            << QStringLiteral("2024-03-07T09:05:41.000+01:00");
        QTest::newRow("five and a half hours west of UTC")
            << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59), QTimeZone(-(5 * 3600 + 30 * 60)))
            << QStringLiteral("2023-12-31T23:59:59.000-05:30");
        QTest::newRow("UTC itself") << QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone::utc())
                                    << QStringLiteral("2024-01-02T03:04:05.000+00:00");
        QTest::newRow("a named zone in summer")
            << QDateTime(QDate(2024, 7, 1), QTime(12, 0), QTimeZone("Europe/Berlin"))
            << QStringLiteral("2024-07-01T12:00:00.000+02:00");
    }

    void timestampText() {
        QFETCH(QDateTime, time);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(::timestampText(time)), expected);
    }

    void currentTimestampIsLocalTimeWithItsOffset() {
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QString text = QString::fromStdString(currentTimestampText());
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        const QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
        QVERIFY2(parsed.isValid(), qPrintable(text));
        // The same instant as now, whatever the time zone ...
        QVERIFY(parsed >= before && parsed <= after);
        // ... and the wall-clock time of this machine in the text itself.
        QCOMPARE(text.left(16), parsed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm")));
        QVERIFY(!text.endsWith(QLatin1Char('Z')));
        QCOMPARE(text.mid(19, 4), QStringLiteral(".000"));
    }

    void defaultSnapshotImageIsTheSmallPaletteImage() {
        const std::string& png = defaultSnapshotImage();
        QCOMPARE(png.size(), std::size_t(103));
        QCOMPARE(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

        const std::vector<PngChunk> chunks = pngChunks(png);
        QCOMPARE(chunks.size(), std::size_t(4));
        QCOMPARE(chunks[0].type, std::string("IHDR"));
        QCOMPARE(chunks[0].data, std::string("\0\0\1\0\0\0\1\0\1\3\0\0\0", 13));
        QCOMPARE(chunks[1].type, std::string("PLTE"));
        QCOMPARE(chunks[1].data, std::string("\xb5\xd0\xd0"));
        QCOMPARE(chunks[2].type, std::string("IDAT"));
        // Prefix the zlib stream with the size qUncompress expects.
        const QByteArray zlib = QByteArray::fromStdString(chunks[2].data);
        const QByteArray raw = qUncompress(QByteArray("\0\0\x21\0", 4) + zlib);
        QCOMPARE(raw, QByteArray(256 * 33, '\0'));
        QCOMPARE(chunks[3].type, std::string("IEND"));
        QVERIFY(chunks[3].data.empty());

        const QImage image = QImage::fromData(QByteArray::fromStdString(png));
        QCOMPARE(image.size(), QSize(256, 256));
        const QRgb colour = qRgb(181, 208, 208);
        for (int y = 0; y < 256; y += 17)
            for (int x = 0; x < 256; x += 13)
                QCOMPARE(image.pixel(x, y), colour);
        QCOMPARE(image.pixel(255, 255), colour);
    }

    void newIssueTakesTheFirstExtensionValues() {
        bcf::BcfData data;
        data.topicTypes = {"Issue", "Request"};
        data.topicStatuses = {"Open"};
        data.priorities = {"Normal"};
        data.users = {"anna@example.com", "ben@example.com"};
        data.stages = {"Design"};
        const bcf::Markup markup = newIssue(data, "tiv");
        const bcf::Topic& topic = markup.topic;
        QVERIFY(isGuid(topic.guid));
        QCOMPARE(topic.topicType, std::string("Issue"));
        QCOMPARE(topic.topicStatus, std::string("Open"));
        QCOMPARE(topic.priority, std::string("Normal"));
        QCOMPARE(topic.assignedTo, std::string("anna@example.com"));
        QCOMPARE(topic.stage, std::string("Design"));
        QCOMPARE(topic.title, std::string("New Issue"));
        QCOMPARE(topic.creationAuthor, std::string("tiv"));
        QVERIFY(
            QDateTime::fromString(QString::fromStdString(topic.creationDate), Qt::ISODateWithMs).isValid());
        QVERIFY(!topic.modifiedDate);
        QVERIFY(topic.modifiedAuthor.empty());
        QVERIFY(!topic.dueDate);
        QVERIFY(topic.description.empty());
        QVERIFY(markup.comments.empty());
        QVERIFY(markup.viewPoints.empty());
    }

    void newIssueWithoutExtensions() {
        const bcf::BcfData empty;
        const bcf::Markup first = newIssue(empty, "tiv");
        const bcf::Markup second = newIssue(empty, "tiv");
        for (const bcf::Topic* topic : {&first.topic, &second.topic}) {
            QVERIFY(topic->topicType.empty());
            QVERIFY(topic->topicStatus.empty());
            QVERIFY(topic->priority.empty());
            QVERIFY(topic->assignedTo.empty());
            QVERIFY(topic->stage.empty());
            QCOMPARE(topic->title, std::string("New Issue"));
        }
        QVERIFY(first.topic.guid != second.topic.guid);
    }

    void newCommentFields() {
        const bcf::Comment comment = newComment("tiv");
        QVERIFY(isGuid(comment.guid));
        QCOMPARE(comment.author, std::string("tiv"));
        QVERIFY(QDateTime::fromString(QString::fromStdString(comment.date), Qt::ISODateWithMs).isValid());
        QVERIFY(comment.comment.empty());
        QVERIFY(comment.modifiedDate.empty());
        QVERIFY(comment.modifiedAuthor.empty());
    }

    void newSnapshotFields() {
        const bcf::ViewPoint viewPoint = newSnapshot();
        const std::string& g = viewPoint.guid;
        QVERIFY(isGuid(g));
        QCOMPARE(viewPoint.viewpoint, g + ".bcfv");
        QCOMPARE(viewPoint.snapshot, g + ".png");
        QCOMPARE(viewPoint.snapshotLoaded, 1);
        QCOMPARE(viewPoint.snapshotData, defaultSnapshotImage());
        QCOMPARE(viewPoint.visualizationLoaded, 1);
        const bcf::VisualizationInfo& info = viewPoint.visualizationInfo;
        QCOMPARE(info.guid, g);
        QVERIFY(info.selection.empty());
        QCOMPARE(info.cameraViewPoint, (bcf::Vector3{1, 2, 3}));
        QCOMPARE(info.cameraDirection, (bcf::Vector3{4, 5, 6}));
        QCOMPARE(info.cameraUpVector, (bcf::Vector3{7, 8, 9}));
        QCOMPARE(info.aspectRatio, 16.0 / 9.0);
        QCOMPARE(info.fieldOfView, 90.0);
        QVERIFY(!info.orthogonalCamera);
        QVERIFY(newSnapshot().guid != g);
    }

    void newDocumentHoldsItsBytes() {
        const bcf::DocumentInfo document = newDocument("plan.pdf", std::string("%PDF\0x", 6));
        QVERIFY(isGuid(document.guid));
        QCOMPARE(document.filename, std::string("plan.pdf"));
        QCOMPARE(document.dataLoaded, 1);
        QCOMPARE(document.data, std::string("%PDF\0x", 6));
    }

    void documentFileName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folders are dropped")
            << QStringLiteral("/home/anna/docs/plan.pdf") << QStringList() << QStringLiteral("plan.pdf");
        QTest::newRow("relative path")
            << QStringLiteral("docs/plan.pdf") << QStringList() << QStringLiteral("plan.pdf");
        QTest::newRow("name of another document")
            << QStringLiteral("/tmp/plan.pdf") << QStringList{QStringLiteral("plan.pdf")}
            << QStringLiteral("plan (2).pdf");
        QTest::newRow("names of two other documents")
            << QStringLiteral("/tmp/plan.pdf")
            << QStringList{QStringLiteral("plan.pdf"), QStringLiteral("plan (2).pdf")}
            << QStringLiteral("plan (3).pdf");
        QTest::newRow("the version file")
            << QStringLiteral("/tmp/bcf.version") << QStringList() << QStringLiteral("bcf (2).version");
        QTest::newRow("the project file, other case")
            << QStringLiteral("/tmp/Project.bcfp") << QStringList() << QStringLiteral("Project (2).bcfp");
        QTest::newRow("a markup file")
            << QStringLiteral("/tmp/markup.bcf") << QStringList() << QStringLiteral("markup (2).bcf");
        QTest::newRow("no extension")
            << QStringLiteral("/tmp/README") << QStringList{QStringLiteral("README")}
            << QStringLiteral("README (2)");
        QTest::newRow("backslash in a name")
            << QStringLiteral("/tmp/a\\b.txt") << QStringList() << QStringLiteral("a_b.txt");
        QTest::newRow("unicode") << QStringLiteral("/tmp/Grundri\u00df \u00c4.pdf") << QStringList()
                                 << QStringLiteral("Grundri\u00df \u00c4.pdf");
    }

    void documentFileName() {
        QFETCH(QString, path);
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        bcf::BcfData data;
        for (const QString& name : existing)
            data.documents.push_back(newDocument(name.toStdString(), {}));
        QCOMPARE(QString::fromStdString(::documentFileName(path, data)), expected);
    }

    void documentFileNameAvoidsTheExtensionsEntry() {
        bcf::BcfData data;
        data.extensionSchema = "custom-extensions.xsd";
        QCOMPARE(::documentFileName(QStringLiteral("/x/custom-extensions.xsd"), data),
                 std::string("custom-extensions (2).xsd"));
        QCOMPARE(::documentFileName(QStringLiteral("/x/extensions.xml"), data),
                 std::string("extensions (2).xml"));
    }

    void saveFilters() {
        QCOMPARE(::saveFilters(), QStringLiteral("BCF Files (*.bcf *.bcfzip);;BCF 2.1 (*.bcf *.bcfzip);;"
                                                 "BCF 3.0 (*.bcf *.bcfzip);;All files (*.*)"));
    }

    void saveVersionForFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("expected");
        QTest::newRow("first filter keeps 2.1") << QStringLiteral("BCF Files (*.bcf *.bcfzip)") << 1 << 1;
        QTest::newRow("first filter keeps 3.0") << QStringLiteral("BCF Files (*.bcf *.bcfzip)") << 2 << 2;
        QTest::newRow("2.1 filter") << QStringLiteral("BCF 2.1 (*.bcf *.bcfzip)") << 2 << 1;
        QTest::newRow("3.0 filter") << QStringLiteral("BCF 3.0 (*.bcf *.bcfzip)") << 1 << 2;
        QTest::newRow("all files keeps the loaded version") << QStringLiteral("All files (*.*)") << 2 << 2;
        QTest::newRow("empty filter") << QString() << 1 << 1;
        QTest::newRow("other case is another filter") << QStringLiteral("bcf 3.0 (*.bcf *.bcfzip)") << 1 << 1;
        QTest::newRow("never loaded: 3.0") << QStringLiteral("BCF Files (*.bcf *.bcfzip)") << 0 << 2;
        QTest::newRow("never loaded, all files: 3.0") << QStringLiteral("All files (*.*)") << 0 << 2;
    }

    void saveVersionForFilter() {
        QFETCH(QString, filter);
        QFETCH(int, loaded);
        QFETCH(int, expected);
        QCOMPARE(static_cast<int>(::saveVersionForFilter(filter, static_cast<bcf::BcfVersion>(loaded))),
                 expected);
    }

    void issueEditsReachTheTopic() {
        bcf::Topic topic;
        topic.title = "Old";
        QVERIFY(!applyIssueEdit(topic, IssueTitleColumn, "Old", "2024-01-01T00:00:00.000+00:00", "tiv"));
        QVERIFY(!topic.modifiedDate);
        QVERIFY(applyIssueEdit(topic, IssueTitleColumn, "New", "2024-01-01T00:00:00.000+00:00", "tiv"));
        QCOMPARE(topic.title, std::string("New"));
        QCOMPARE(topic.modifiedDate.value_or(""), std::string("2024-01-01T00:00:00.000+00:00"));
        QCOMPARE(topic.modifiedAuthor, std::string("tiv"));
        for (const char* blank : {"", " ", " \t\r\n "})
            QVERIFY(!applyIssueEdit(topic, IssueTitleColumn, blank, "t", "other"));
        QCOMPARE(topic.title, std::string("New"));

        const std::pair<int, std::string bcf::Topic::*> fields[] = {
            {IssueTypeColumn, &bcf::Topic::topicType},        {IssueStatusColumn, &bcf::Topic::topicStatus},
            {IssueAssignedToColumn, &bcf::Topic::assignedTo}, {IssueStageColumn, &bcf::Topic::stage},
            {IssuePriorityColumn, &bcf::Topic::priority},
        };
        for (const auto& [column, field] : fields) {
            QVERIFY(isEditableIssueColumn(column));
            QVERIFY(applyIssueEdit(topic, column, "value " + std::to_string(column),
                                   "t" + std::to_string(column), "tiv"));
            QCOMPARE(topic.*field, "value " + std::to_string(column));
            QCOMPARE(issueColumnValue(topic, column).value_or(""), "value " + std::to_string(column));
            QCOMPARE(topic.modifiedDate.value_or(""), "t" + std::to_string(column));
        }
        for (int column :
             {int(IssueDateCreatedColumn), int(IssueCreatedByColumn), int(IssueDateModifiedColumn),
              int(IssueModifiedByColumn), int(IssueDueDateColumn), 11, -1}) {
            const bcf::Topic before = topic;
            QVERIFY(!isEditableIssueColumn(column));
            QVERIFY(!issueColumnValue(topic, column));
            QVERIFY(!applyIssueEdit(topic, column, "x", "y", "tiv"));
            QCOMPARE(topic, before);
        }
    }
};

QTEST_MAIN(TestEditingRecords)
#include "test_editing_records.moc"
