// The save button: the save dialog, the version its filter chooses, what lands in the file, and
// failed or cancelled saves. Archives are reopened through the window and checked against the
// official BCF schemas.
#include "test_editing_support.h"
#include "test_support.h"

#include "codec/payloads.h"
#include "codec/version.h"
#include "codec/zip/zip_archive.h"
#include "ui/issue_editing.h"
#include "ui/records.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>

using namespace editing_test;

namespace {

QString testcase(const char* name) {
    return QDir::cleanPath(QStringLiteral(BCF_TESTCASES_DIR "/") + QString::fromUtf8(name));
}

const char* const kPerspective21 = "2.1/Visualization_PerspectiveCamera.bcf";
const char* const kDocuments30 = "3.0/Markup_Document_reference_internal.bcf";
const char* const kUserAssignment30 = "3.0/Markup_User_assignment.bcf";

const QString kFirstFilter = QStringLiteral("BCF Files (*.bcf *.bcfzip)");
const QString kFilter21 = QStringLiteral("BCF 2.1 (*.bcf *.bcfzip)");
const QString kFilter30 = QStringLiteral("BCF 3.0 (*.bcf *.bcfzip)");
const QString kAllFiles = QStringLiteral("All files (*.*)");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString rootElement(const std::string& xml) {
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.name().toString();
    return {};
}

bool isXmlEntry(const std::string& name) {
    for (const char* suffix : {".version", ".bcfp", ".xml", ".xsd", ".bcf", ".bcfv"}) {
        const std::string s(suffix);
        if (name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0)
            return true;
    }
    return false;
}

const bcf::Markup* findTopic(const bcf::BcfData& data, const std::string& guid) {
    const auto found = std::find_if(data.markups.begin(), data.markups.end(),
                                    [&](const bcf::Markup& m) { return m.topic.guid == guid; });
    return found == data.markups.end() ? nullptr : &*found;
}

} // namespace

class TestSave : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QTemporaryDir temp;

    const bcf::BcfData& model() { return window->bcfData(); }
    QTreeWidget* issues() { return child<QTreeWidget>(*window, "twIssues"); }
    void press(const char* name) { child<QPushButton>(*window, name)->click(); }

    void open(const QString& path) {
        openArchive(*window, path);
        const QString error = takeErrorMessage(*window);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(QString::fromStdString(window->bcfFilePath()), path);
    }

    QString tempPath(const QString& name) { return temp.filePath(name); }

    // Every XML file of the archive at `path` validates against the schema of its root element in
    // `version` (2.1 extension files, which have no loadable schema, need only be well-formed).
    void validateArchive(const QString& path, bcf::BcfVersion version) {
        bcf::ZipArchive zip;
        zip.load(path.toStdString());
        const QString folder = tempPath(QStringLiteral("xml-") + QFileInfo(path).baseName());
        QVERIFY(QDir().mkpath(folder));
        int checked = 0;
        for (const bcf::ZipEntryInfo& entry : zip.entries()) {
            if (!isXmlEntry(entry.filename))
                continue;
            const std::string xml = zip.read(entry.filename).value_or("");
            const QString file =
                folder + QStringLiteral("/") + QString::number(checked++) + QStringLiteral(".xml");
            QVERIFY(writeBytes(file, QByteArray::fromStdString(xml)));
            const QString root = rootElement(xml);
            QVERIFY2(!root.isEmpty(), entry.filename.c_str());
            const QString schema = bcf::test::schemaFor(root, version);
            // A 2.1 extensions file is itself an XML schema, with no schema of its own to check.
            const bool extensions21 =
                version == bcf::BcfVersion::V2_1 &&
                (root == QStringLiteral("schema") || root == QStringLiteral("Extensions"));
            QVERIFY2(!schema.isEmpty() || extensions21, entry.filename.c_str());
            const bcf::test::XmlLintResult result = bcf::test::xmllint({file}, schema);
            QVERIFY2(result.ok, qPrintable(QString::fromStdString(entry.filename) + QStringLiteral(": ") +
                                           result.output));
        }
        QVERIFY(checked >= 4);
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void cleanup() { window.reset(); }

    // The save button asks in every state, and the dialog proposes the current file.
    void saveAlwaysAsks_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("filter");
        QTest::newRow("fresh window, first filter: 3.0") << 0 << kFirstFilter;
        QTest::newRow("after a close, all files: 3.0") << 1 << kAllFiles;
        QTest::newRow("after a cancelled save dialog") << 2 << kFirstFilter;
        QTest::newRow("after a cancelled open dialog") << 3 << kFirstFilter;
    }

    void saveAlwaysAsks() {
        QFETCH(int, state);
        QFETCH(QString, filter);
        const QString opened = tempPath(QStringLiteral("opened.bcf"));
        QFile::copy(testcase(kDocuments30), opened);
        if (state > 0)
            open(opened);
        if (state == 1)
            child<QToolButton>(*window, "tbClose")->click();
        if (state == 2)
            QVERIFY(saveArchiveAs(*window, QString()));
        if (state == 3) {
            ModalDriver<BcfOpen> cancel([](BcfOpen* dialog) { dialog->reject(); });
            child<QToolButton>(*window, "tbOpen")->click();
        }
        if (state != 1)
            press("pbNewIssue");
        const std::size_t topics = model().markups.size();
        const QString target = tempPath(QStringLiteral("always-%1.bcf").arg(state));
        QString proposed;
        QVERIFY(saveArchiveAs(*window, target, filter, &proposed));
        QCOMPARE(proposed == opened, state >= 2);
        QVERIFY(!window->hasUnsavedChanges());
        open(target);
        QCOMPARE(model().version, bcf::BcfVersion::V3_0);
        QCOMPARE(model().markups.size(), topics);
    }

    // Open (of `target`) and close (no target) ask before edits are lost; a failed open keeps all.
    void openAndCloseAskFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("error");
        bcf::ZipArchive zip;
        zip.writeEntry("bcf.version", "<?xml version=\"1.0\"?>\n<Version VersionId=\"2.0\"/>\n");
        QVERIFY(writeBytes(tempPath(QStringLiteral("2.0.bcf")), QByteArray::fromStdString(zip.finish())));
        QVERIFY(writeBytes(tempPath(QStringLiteral("text.bcf")), "not a ZIP archive"));
        const QString good = testcase(kUserAssignment30);
        QTest::newRow("close, cancelled") << int(QMessageBox::Cancel) << QString() << QString();
        QTest::newRow("close, discarded") << int(QMessageBox::Discard) << QString() << QString();
        QTest::newRow("close, saved") << int(QMessageBox::Save) << QString() << QString();
        QTest::newRow("open, cancelled") << int(QMessageBox::Cancel) << good << QString();
        QTest::newRow("open, discarded") << int(QMessageBox::Discard) << good << QString();
        QTest::newRow("text file") << int(QMessageBox::Discard) << tempPath(QStringLiteral("text.bcf"))
                                   << QStringLiteral("didn't find end of central directory signature");
        QTest::newRow("BCF 2.0") << int(QMessageBox::Discard) << tempPath(QStringLiteral("2.0.bcf"))
                                 << QStringLiteral("unsupported BCF version 2.0");
    }

    void openAndCloseAskFirst() {
        QFETCH(int, answer);
        QFETCH(QString, target);
        QFETCH(QString, error);
        const bool replaced = answer != QMessageBox::Cancel && error.isEmpty();
        open(testcase(kDocuments30));
        press("pbNewIssue");
        const bcf::BcfData edited = model();
        const std::string path = window->bcfFilePath();
        const QString link = child<QLabel>(*window, "llink")->text();
        QCOMPARE(child<QLabel>(*window, "lProject")->text(), QStringLiteral("Project: BCF 3.0 test cases *"));
        const QString saved = tempPath(QStringLiteral("guarded.bcf"));
        {
            SaveQuestionDriver question(QMessageBox::StandardButton(answer), saved, kFilter30);
            target.isEmpty() ? child<QToolButton>(*window, "tbClose")->click() : openArchive(*window, target);
            QVERIFY(question.fired());
        }
        const QString message = takeErrorMessage(*window);
        QVERIFY2(error.isEmpty() ? message.isEmpty() : message.contains(error), qPrintable(message));
        QCOMPARE(window->hasUnsavedChanges(), !replaced);
        if (!replaced) {
            QCOMPARE(model(), edited);
            QCOMPARE(window->bcfFilePath(), path);
            QCOMPARE(child<QLabel>(*window, "llink")->text(), link);
            QCOMPARE(issues()->topLevelItemCount(), int(edited.markups.size()));
        } else if (answer == QMessageBox::Save) {
            open(saved);
            QCOMPARE(model().markups.size(), edited.markups.size());
        }
    }

    void editsSurviveASaveAndAReopen_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("expectedVersion");
        QTest::newRow("2.1 saved as 2.1") << testcase(kPerspective21) << kFilter21 << 1;
        QTest::newRow("2.1 saved as 3.0") << testcase(kPerspective21) << kFilter30 << 2;
        QTest::newRow("2.1 under the first filter") << testcase(kPerspective21) << QString() << 1;
        QTest::newRow("3.0 saved as 2.1") << testcase(kDocuments30) << kFilter21 << 1;
        QTest::newRow("3.0 saved as 3.0") << testcase(kDocuments30) << kFilter30 << 2;
        QTest::newRow("3.0 under all files") << testcase(kDocuments30) << kAllFiles << 2;
        QTest::newRow("3.0 with users saved as 2.1") << testcase(kUserAssignment30) << kFilter21 << 1;
    }

    void editsSurviveASaveAndAReopen() {
        QFETCH(QString, archive);
        QFETCH(QString, filter);
        QFETCH(int, expectedVersion);
        const auto version = static_cast<bcf::BcfVersion>(expectedVersion);
        open(archive);
        const std::size_t topicCount = model().markups.size();
        const std::size_t documentCount = model().documents.size();
        const std::string topicGuid = model().markups[0].topic.guid;

        // One of each record on the first topic, and edits in its row.
        selectIssue(*window, 0);
        press("pbNewComment");
        auto* comments = child<QTreeWidget>(*window, "twComments");
        comments->topLevelItem(comments->topLevelItemCount() - 1)
            ->setText(0, QStringLiteral("Checked on site \u2713"));
        const std::string commentGuid = model().markups[0].comments.back().guid;
        press("pbNewSnapshot");
        const bcf::ViewPoint snapshot = model().markups[0].viewPoints.back();
        issues()->topLevelItem(0)->setText(IssueTitleColumn, QStringLiteral("Edited title"));
        QComboBox* status = clickIssueCombo(issues(), 0, IssueStatusColumn);
        QVERIFY(status);
        std::string expectedStatus = model().markups[0].topic.topicStatus;
        if (status->count() > 1) {
            const QString other = status->itemText(status->currentIndex() == 0 ? 1 : 0);
            QVERIFY(chooseInCombo(status, other));
            expectedStatus = other.toStdString();
        }
        const QByteArray documentBytes("\x89PNG-ish\0site photo bytes\xff\xfe", 27);
        const QString documentPath = tempPath(QStringLiteral("site photo.jpg"));
        QVERIFY(writeBytes(documentPath, documentBytes));
        QVERIFY(addDocument(*window, documentPath));
        const std::string documentGuid = model().documents.back().guid;
        press("pbNewIssue");
        const std::string newTopicGuid = model().markups.back().topic.guid;

        const QString target =
            tempPath(QStringLiteral("saved-%1.bcf").arg(QString::fromUtf8(QTest::currentDataTag())));
        QVERIFY(saveArchiveAs(*window, target, filter));
        const QString error = takeErrorMessage(*window);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(QString::fromStdString(window->bcfFilePath()), target);
        QCOMPARE(takeErrorMessage(*window, "bcfSaveNotes").contains(QStringLiteral("\n- 1 detailed version")),
                 archive.contains(QStringLiteral("2.1/")) && version == bcf::BcfVersion::V3_0);

        // The files in the archive.
        bcf::ZipArchive zip;
        zip.load(target.toStdString());
        QVERIFY(zip.read("bcf.version")
                    .value_or("")
                    .find(std::string("VersionId=\"") + bcf::versionText(version) + "\"") !=
                std::string::npos);
        QCOMPARE(zip.read(topicGuid + "/" + snapshot.snapshot).value_or(""), defaultSnapshotImage());
        QVERIFY(zip.contains(topicGuid + "/" + snapshot.viewpoint));
        const std::string documentEntry =
            version == bcf::BcfVersion::V3_0 ? "documents/" + documentGuid : std::string("site photo.jpg");
        QCOMPARE(QByteArray::fromStdString(zip.read(documentEntry).value_or("")), documentBytes);
        for (const bcf::ZipEntryInfo& entry : zip.entries())
            QVERIFY2(entry.filename.find(temp.path().toStdString()) == std::string::npos,
                     entry.filename.c_str());
        validateArchive(target, version);

        // Everything is found again after a reopen.
        open(target);
        QCOMPARE(model().version, version);
        QCOMPARE(model().markups.size(), topicCount + 1);
        const bcf::Markup* edited = findTopic(model(), topicGuid);
        QVERIFY(edited);
        QCOMPARE(edited->topic.title, std::string("Edited title"));
        // A 3.0 topic needs a status; the writer supplies one for a topic that has none.
        if (!expectedStatus.empty())
            QCOMPARE(edited->topic.topicStatus, expectedStatus);
        QCOMPARE(edited->topic.modifiedAuthor, std::string("tiv"));
        QVERIFY(edited->topic.modifiedDate);
        const auto comment = std::find_if(edited->comments.begin(), edited->comments.end(),
                                          [&](const bcf::Comment& c) { return c.guid == commentGuid; });
        QVERIFY(comment != edited->comments.end());
        QCOMPARE(QString::fromStdString(comment->comment), QStringLiteral("Checked on site \u2713"));
        QCOMPARE(comment->author, std::string("tiv"));

        bcf::Markup copy = *edited;
        const auto reopened = std::find_if(copy.viewPoints.begin(), copy.viewPoints.end(),
                                           [&](const bcf::ViewPoint& v) { return v.guid == snapshot.guid; });
        QVERIFY(reopened != copy.viewPoints.end());
        QCOMPARE(reopened->snapshot, snapshot.snapshot);
        QCOMPARE(reopened->viewpoint, snapshot.viewpoint);
        bcf::fetchSnapshot(copy, *reopened);
        QCOMPARE(reopened->snapshotData, defaultSnapshotImage());
        bcf::fetchVisualization(copy, *reopened);
        QCOMPARE(reopened->visualizationInfo,
                 bcf::test::expectedAfterWrite(snapshot.visualizationInfo, version));

        const bcf::Markup* added = findTopic(model(), newTopicGuid);
        QVERIFY(added);
        QCOMPARE(added->topic.title, std::string("New Issue"));
        QCOMPARE(added->topic.creationAuthor, std::string("tiv"));

        QCOMPARE(model().documents.size(), documentCount + 1);
        const auto document =
            std::find_if(model().documents.begin(), model().documents.end(),
                         [](const bcf::DocumentInfo& d) { return d.filename == "site photo.jpg"; });
        QVERIFY(document != model().documents.end());
        bcf::DocumentInfo fetched = *document;
        bcf::fetchDocument(fetched, version);
        QCOMPARE(QByteArray::fromStdString(fetched.data), documentBytes);
    }

    void eachSaveAsksAgainAndLeavesTheOpenedFile() {
        const QString original = tempPath(QStringLiteral("original.bcf"));
        QVERIFY(QFile::copy(testcase(kDocuments30), original));
        const QByteArray originalBytes = fileBytes(original);
        open(original);
        press("pbNewIssue");
        const QString first = tempPath(QStringLiteral("first.bcf"));
        const QString second = tempPath(QStringLiteral("second.bcfzip"));
        QVERIFY(saveArchiveAs(*window, first, kFilter21));
        QCOMPARE(QString::fromStdString(window->bcfFilePath()), first);
        QVERIFY(saveArchiveAs(*window, second, kFilter30));
        QCOMPARE(QString::fromStdString(window->bcfFilePath()), second);
        QVERIFY(QFile::exists(first) && QFile::exists(second));
        QCOMPARE(fileBytes(original), originalBytes);
    }

    void savingOverTheOpenedFileKeepsItsPayloads() {
        const QString path = tempPath(QStringLiteral("in-place.bcf"));
        QVERIFY(QFile::copy(testcase(kUserAssignment30), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        open(path);
        const bcf::Markup original = model().markups[0];
        bcf::ZipArchive before;
        before.load(path.toStdString());
        const std::string imageName = original.topic.guid + "/" + original.viewPoints[0].snapshot;
        const std::string image = before.read(imageName).value_or("");
        QVERIFY(!image.empty());

        press("pbNewIssue");
        QVERIFY(saveArchiveAs(*window, path, kFirstFilter));
        QVERIFY(takeErrorMessage(*window).isEmpty());
        bcf::ZipArchive after;
        after.load(path.toStdString());
        QCOMPARE(after.read(imageName).value_or(""), image);
        open(path);
        QCOMPARE(model().markups.size(), std::size_t(2));
        validateArchive(path, bcf::BcfVersion::V3_0);
    }

    void damagedPayloadCostsOnlyItself() {
        // A copy of an archive whose snapshot image is damaged: loading does not read it, saving must.
        QByteArray bytes = fileBytes(testcase(kUserAssignment30));
        const QByteArray name(
            "7ad1a717-bf20-4c12-b511-cbd90370ddba/Snapshot_f6a0cc29-056c-4d4f-95fa-41aa9cc14416.png");
        const qsizetype at = bytes.indexOf(name); // the local header comes first
        QVERIFY(at >= 30);
        const qsizetype dataStart = at + name.size() + (uchar(bytes[at - 2]) | (uchar(bytes[at - 1]) << 8));
        for (qsizetype i = dataStart + 1000; i < dataStart + 3000; ++i)
            bytes[i] = char(bytes[i] ^ 0x5a);
        const QString damaged = tempPath(QStringLiteral("damaged.bcf"));
        QVERIFY(writeBytes(damaged, bytes));
        open(damaged);

        // Everything but the damaged image is saved; the topic keeps its reference to it.
        const QString target = tempPath(QStringLiteral("saved.bcf"));
        QVERIFY(saveArchiveAs(*window, target, kFilter30));
        QVERIFY(takeErrorMessage(*window).isEmpty());
        bcf::ZipArchive zip;
        zip.load(target.toStdString());
        QVERIFY(!zip.contains(name.toStdString()));
        QVERIFY(zip.read("7ad1a717-bf20-4c12-b511-cbd90370ddba/markup.bcf")->find("Snapshot_f6a0") !=
                std::string::npos);

        // The window and the model go on working.
        press("pbNewIssue");
        QCOMPARE(model().markups.size(), std::size_t(2));
        QCOMPARE(issues()->topLevelItemCount(), 2);
    }

    void impossibleTargetIsReported() {
        open(testcase(kDocuments30));
        const QString notAFolder = tempPath(QStringLiteral("plain-file"));
        QVERIFY(writeBytes(notAFolder, "x"));
        const QString target = notAFolder + QStringLiteral("/out.bcf");
        QVERIFY(saveArchiveAs(*window, target, kFilter30));
        QVERIFY(takeErrorMessage(*window).contains(target));
        QCOMPARE(fileBytes(notAFolder), QByteArray("x"));
        const QString good = tempPath(QStringLiteral("good.bcf"));
        QVERIFY(saveArchiveAs(*window, good, kFilter30));
        QVERIFY(takeErrorMessage(*window).isEmpty());
        QVERIFY(QFile::exists(good));
    }
};

EDITING_TEST_MAIN(TestSave)
#include "test_save.moc"
