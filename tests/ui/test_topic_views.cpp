// The views of the selected topic: description, snapshots, components, comments and their edits.
#include "ui_test_support.h"

#include "codec/zip/zip_archive.h"
#include "ui/snapshot_viewer.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace uitest;

namespace {

const char kTopicGuid[] = "0f4c3d2e-1b2a-4c5d-8e9f-a0b1c2d3e4f5";

void selectTopic(MainWindow& window, int row) {
    auto* issues = child<QTreeWidget>(&window, "twIssues");
    issues->setCurrentItem(issues->topLevelItem(row));
}

void selectSnapshot(MainWindow& window, int row) {
    child<QListWidget>(&window, "lwSnapshots")->setCurrentRow(row);
}

// A PNG of noise, so that its compressed entry is long enough to be damaged in the middle.
std::string noisePng() {
    QImage image(64, 48, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A BCF 2.1 archive with one topic, one comment and two viewpoints: "good" has a readable image
// and a viewpoint file that doesn't parse; "bad" has an image whose compressed data is damaged.
QString writeDamagedArchive(const QString& folder) {
    const std::string guid = kTopicGuid;
    const std::string markup =
        "<?xml version=\"1.0\"?>\n<Markup><Topic Guid=\"" + guid +
        "\"><Title>Damaged</Title><Description>Has broken payloads</Description>"
        "<CreationDate>2024-03-07</CreationDate></Topic>"
        "<Comment Guid=\"c0\"><Date>2024-03-07T09:05:00Z</Date><Author>me</Author>"
        "<Comment>Look here</Comment></Comment>"
        "<Viewpoints Guid=\"v1\"><Viewpoint>good.bcfv</Viewpoint><Snapshot>good.png</Snapshot>"
        "</Viewpoints>"
        "<Viewpoints Guid=\"v2\"><Viewpoint>bad.bcfv</Viewpoint><Snapshot>bad.png</Snapshot>"
        "</Viewpoints></Markup>\n";
    bcf::ZipArchive archive;
    archive.writeEntry("bcf.version", "<?xml version=\"1.0\"?>\n<Version VersionId=\"2.1\"/>\n");
    archive.writeEntry(guid + "/markup.bcf", markup);
    archive.writeEntry(guid + "/good.png", noisePng());
    archive.writeEntry(guid + "/good.bcfv", "<VisualizationInfo><Components>");
    archive.writeEntry(guid + "/bad.png", noisePng());
    std::string bytes = archive.finish();

    // Damage the middle of the compressed data of bad.png, found after its local header.
    const std::string name = guid + "/bad.png";
    const std::size_t header = bytes.find(name);
    if (header == std::string::npos)
        return {};
    for (std::size_t i = header + name.size() + 200; i < header + name.size() + 260; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);

    const QString path = folder + QStringLiteral("/damaged.bcf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

} // namespace

class TestTopicViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void selectingATopicShowsItsDetails() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);

        QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText(),
                 QStringLiteral("This is a topic with all informations present."));
        QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(0), QStringLiteral("Snapshot (3)"));
        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        QCOMPARE(snapshots->count(), 3);
        for (int row = 0; row < snapshots->count(); ++row) {
            const QIcon icon = snapshots->item(row)->icon();
            QVERIFY(!icon.isNull());
            QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(150, 150)});
            QCOMPARE(snapshots->item(row)->text(), QString());
        }

        QCOMPARE(child<QLabel>(&window, "lComments")->text(), QStringLiteral("Comments (4)"));
        auto* comments = child<QTreeWidget>(&window, "twComments");
        QCOMPARE(comments->topLevelItemCount(), 4);
        QCOMPARE(comments->topLevelItem(0)->text(1), QStringLiteral("dangl@iabi.eu"));
        QCOMPARE(comments->topLevelItem(0)->text(2), QStringLiteral("31.08.2015, 12:40"));
        QCOMPARE(comments->topLevelItem(0)->text(3), QString());
        QCOMPARE(comments->topLevelItem(0)->text(4), QString());
        QCOMPARE(comments->topLevelItem(3)->text(3), QStringLiteral("dangl@iabi.eu"));
        QCOMPARE(comments->topLevelItem(3)->text(4), QStringLiteral("31.08.2015, 16:07"));
        QVERIFY(comments->topLevelItem(1)->text(0).startsWith(QStringLiteral("This comment was a reply")));

        for (const bcf::ViewPoint& viewPoint : window.bcfData().markups[0].viewPoints) {
            QCOMPARE(viewPoint.snapshotLoaded, 1);
            QVERIFY(!viewPoint.snapshotData.empty());
            QCOMPARE(viewPoint.visualizationLoaded, 0);
        }
        QVERIFY(!errorBox(window));
    }

    void topicWithoutCommentsOrViewpointsShowsEmptyViews() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);
        selectTopic(window, 1);
        QCOMPARE(child<QLabel>(&window, "lComments")->text(), QStringLiteral("Comments (0)"));
        QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(0), QStringLiteral("Snapshot (0)"));
        QCOMPARE(child<QListWidget>(&window, "lwSnapshots")->count(), 0);
        QCOMPARE(child<QTreeWidget>(&window, "twComments")->topLevelItemCount(), 0);
    }

    void snapshotImagesAreReadOnlyOnce() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);
        selectTopic(window, 1);
        // Another archive becomes the current one: a second read of the images would find nothing.
        bcf::currentArchive().load(testCase("2.1/Markup_MinimumInformation.bcf").toStdString());
        selectTopic(window, 0);
        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        QCOMPARE(snapshots->count(), 3);
        for (int row = 0; row < snapshots->count(); ++row)
            QVERIFY(!snapshots->item(row)->icon().isNull());
    }

    // The views follow the selection: a new issue is selected and shown, no selection shows nothing.
    void viewsFollowTheSelection_data() {
        QTest::addColumn<bool>("newIssue");
        QTest::newRow("new issue") << true;
        QTest::newRow("deselected") << false;
    }

    void viewsFollowTheSelection() {
        QFETCH(bool, newIssue);
        MainWindow window;
        openThroughDialog(window, testCase("3.0/Visualization_Component_selection.bcf"));
        selectTopic(window, 0);
        selectSnapshot(window, 0);
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        QCOMPARE(child<QTreeWidget>(&window, "twComponents")->topLevelItemCount(), 5);
        newIssue ? child<QPushButton>(&window, "pbNewIssue")->click() : issues->clearSelection();
        QCOMPARE(issues->selectedItems().size() == 1 &&
                     issues->currentItem()->text(0) == QStringLiteral("New Issue"),
                 newIssue);
        for (const char* name : {"twComponents", "twComments"})
            QCOMPARE(child<QTreeWidget>(&window, name)->topLevelItemCount(), 0);
        QCOMPARE(child<QListWidget>(&window, "lwSnapshots")->count(), 0);
        QVERIFY(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText().isEmpty());
        QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->isReadOnly(), !newIssue);
        QCOMPARE(child<QPushButton>(&window, "pbNewComment")->isEnabled(), newIssue);
        QCOMPARE(child<QPushButton>(&window, "pbNewSnapshot")->isEnabled(), newIssue);
    }

    void selectingASnapshotShowsItsComponentsOnce() {
        MainWindow window;
        openThroughDialog(window, testCase("3.0/Visualization_Component_selection.bcf"));
        selectTopic(window, 0);
        selectSnapshot(window, 0);

        auto* components = child<QTreeWidget>(&window, "twComponents");
        const QStringList guids{QStringLiteral("0KkZ20so9BsO1d1hFcfLOl"),
                                QStringLiteral("1XbKhGD91DvhOpYZbhzGTI"),
                                QStringLiteral("3D9pjHJ0HCnggyepvsht8s")};
        QCOMPARE(components->topLevelItemCount(), 5);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(components->topLevelItem(row)->text(0), QStringLiteral("Selected"));
            QCOMPARE(components->topLevelItem(row)->text(1), guids[row]);
        }
        QCOMPARE(window.bcfData().markups[0].viewPoints[0].visualizationLoaded, 1);

        // Selected again with another archive current: the components come from the model.
        bcf::currentArchive().load(testCase("2.1/Markup_MinimumInformation.bcf").toStdString());
        child<QListWidget>(&window, "lwSnapshots")->clearSelection();
        selectSnapshot(window, 0);
        QCOMPARE(components->topLevelItemCount(), 5);
        QVERIFY(!errorBox(window));
    }

    void editedCommentTextReachesTheModel() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);
        auto* comments = child<QTreeWidget>(&window, "twComments");
        QVERIFY(comments->topLevelItem(2)->flags() & Qt::ItemIsEditable);

        comments->topLevelItem(2)->setText(0, QStringLiteral("Änderung ✓"));
        comments->topLevelItem(2)->setText(1, QStringLiteral("someone else"));
        const bcf::Comment& comment = window.bcfData().markups[0].comments[2];
        QCOMPARE(QString::fromUtf8(comment.comment), QStringLiteral("Änderung ✓"));
        QCOMPARE(comment.author, std::string("dangl@iabi.eu"));
        QVERIFY(!comment.modifiedDate.empty() && !comment.modifiedAuthor.empty());
        QCOMPARE(comments->topLevelItem(2)->text(3), QString::fromUtf8(comment.modifiedAuthor));
        QVERIFY(window.hasUnsavedChanges());

        selectTopic(window, 1);
        selectTopic(window, 0);
        QCOMPARE(comments->topLevelItem(2)->text(0), QStringLiteral("Änderung ✓"));
        QCOMPARE(comments->topLevelItem(2)->text(1), QStringLiteral("dangl@iabi.eu"));
    }

    void componentsShowWhatTheViewpointDoes_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("snapshot");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("visibility");
        QTest::addColumn<QString>("camera");
        QTest::newRow("hidden exceptions, orthogonal camera")
            << "3.0/Visualization_Component_selection.bcf" << 0 << "Selected 3, Hidden 2"
            << "Default visibility: all shown; spaces shown, space boundaries hidden, openings hidden"
            << "Orthogonal camera at (9.06152, -39.1314, 37.1832)";
        QTest::newRow("colours, clipping planes, lines and bitmaps")
            << "2.1/Markup_MaximumInformation.bcf" << 0 << "Selected 5, Hidden 5, Coloured 4"
            << "Default visibility: all shown; spaces shown, space boundaries shown, openings shown"
            << ". Clipping planes: 2, lines: 3, bitmaps: 2";
        QTest::newRow("shown as exceptions")
            << "2.1/Markup_MaximumInformation.bcf" << 1 << "Selected 5, Visible 5, Coloured 4"
            << "Default visibility: all hidden"
            << "Perspective camera at";
    }

    void componentsShowWhatTheViewpointDoes() {
        QFETCH(QString, archive);
        QFETCH(int, snapshot);
        QFETCH(QString, rows);
        QFETCH(QString, visibility);
        QFETCH(QString, camera);
        MainWindow window;
        openThroughDialog(window, testCase(archive.toUtf8().constData()));
        selectTopic(window, 0);
        selectSnapshot(window, snapshot);
        auto* components = child<QTreeWidget>(&window, "twComponents");
        QMap<QString, int> roles;
        for (int row = 0; row < components->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = components->topLevelItem(row);
            ++roles[item->text(0)];
            // Only a coloured row has a colour, shown as text and swatch.
            const bool coloured = item->text(0) == QStringLiteral("Coloured");
            QCOMPARE(item->text(4) == QStringLiteral("3498DB"), coloured);
            QCOMPARE(!item->icon(4).isNull(), coloured);
        }
        QStringList counted;
        for (const QString& role : {QStringLiteral("Selected"), QStringLiteral("Visible"),
                                    QStringLiteral("Hidden"), QStringLiteral("Coloured")})
            if (roles.value(role))
                counted << role + QLatin1Char(' ') + QString::number(roles.value(role));
        QCOMPARE(counted.join(QStringLiteral(", ")), rows);
        QVERIFY(child<QLabel>(&window, "lVisibility")->text().startsWith(visibility));
        QVERIFY(child<QLabel>(&window, "lCamera")->text().contains(camera));
        QVERIFY(!errorBox(window));
    }

    void bitmapsOpenInTheImageViewer() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);
        selectSnapshot(window, 0);
        auto* bitmaps = child<QListWidget>(&window, "lwBitmaps");
        QCOMPARE(bitmaps->count(), 2);
        emit bitmaps->itemDoubleClicked(bitmaps->item(1));
        auto* viewer = window.findChild<SnapshotViewer*>(QStringLiteral("snapshotViewer"));
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1);
        QVERIFY(!child<QLabel>(viewer, "lImage")->pixmap().isNull());
    }

    void commentsAndViewpointsMeet() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        selectTopic(window, 0);
        selectSnapshot(window, 2);
        auto* comments = child<QTreeWidget>(&window, "twComments");
        comments->setCurrentItem(comments->topLevelItem(2));
        QCOMPARE(child<QListWidget>(&window, "lwSnapshots")->currentRow(), 0);

        selectSnapshot(window, 1);
        child<QPushButton>(&window, "pbNewComment")->click();
        const bcf::Markup& markup = window.bcfData().markups[0];
        QCOMPARE(markup.comments.back().viewpoint, markup.viewPoints[1].guid);
    }

    void unreadablePayloadsAreReportedAndTheTopicStillShows() {
        QTemporaryDir temporary;
        const QString path = writeDamagedArchive(temporary.path());
        QVERIFY(!path.isEmpty());
        MainWindow window;
        openThroughDialog(window, path);
        QVERIFY(!errorBox(window));
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItem(0)->text(3),
                 QStringLiteral("07.03.2024"));

        // Both rows are there, the readable image with its picture, the damaged one shown as such
        // with the reason; no message interrupts the browsing, and the comments show too.
        selectTopic(window, 0);
        QVERIFY(!errorBox(window));
        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        QCOMPARE(snapshots->count(), 2);
        QVERIFY(!snapshots->item(0)->icon().isNull() && snapshots->item(0)->toolTip().isEmpty());
        QVERIFY(!snapshots->item(1)->icon().isNull());
        QVERIFY(snapshots->item(1)->toolTip().contains(QStringLiteral("bad.png: file couldn't be read")));
        QCOMPARE(child<QLabel>(&window, "lComments")->text(), QStringLiteral("Comments (1)"));
        QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText(),
                 QStringLiteral("Has broken payloads"));
        // The failed image is not taken for read: saving would otherwise drop it silently.
        QCOMPARE(window.bcfData().markups[0].viewPoints[1].snapshotLoaded, 0);

        // A viewpoint file that doesn't parse: reported, and no components shown.
        selectSnapshot(window, 0);
        QMessageBox* box = errorBox(window);
        QVERIFY(box);
        QVERIFY(box->text().contains(QString::fromUtf8(kTopicGuid) + QStringLiteral("/good.bcfv")));
        closeErrorBoxes(window);
        QCOMPARE(child<QTreeWidget>(&window, "twComponents")->topLevelItemCount(), 0);

        // A viewpoint whose file is missing is no error: it has no components.
        selectSnapshot(window, 1);
        QVERIFY(!errorBox(window));
        QCOMPARE(child<QTreeWidget>(&window, "twComponents")->topLevelItemCount(), 0);
        QVERIFY(window.bcfData().markups[0].viewPoints[1].visualizationMissing);
    }
};

QTEST_MAIN(TestTopicViews)
#include "test_topic_views.moc"
