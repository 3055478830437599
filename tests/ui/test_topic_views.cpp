// The views of the selected topic: description, details and their links, snapshots, components, comments, and
// the edits made in them.
#include "ui_test_support.h"

#include "codec/archive.h"
#include "codec/zip/zip_archive.h"
#include "ui/issue_list.h"
#include "ui/snapshot_viewer.h"

#include <QDesktopServices>
#include <QTemporaryDir>

using namespace uitest;

// Records the URLs the window hands to the desktop instead of opening them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

namespace {

// Activates the link `target` of the detail label `label`, as a click on it does.
void clickLink(MainWindow& window, const char* label, const QString& target) {
    QVERIFY(child<QLabel>(&window, label)->text().contains(QStringLiteral("href=\"") + target));
    emit child<QLabel>(&window, label)->linkActivated(target);
}

} // namespace

class TestTopicViews : public QObject {
    Q_OBJECT

    UrlCatcher catcher;

private slots:
    void initTestCase() {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromUtf8(scheme), &catcher, "open");
    }

    // The whole window after each scenario of tests/data/ui/test_topic_views.steps, against its golden file.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        MainWindow window;
        runSteps(window, steps);
        compareWithGolden(windowDump(window));
        // Images are read for the topic shown, viewpoint files only for the snapshot selected; a damaged
        // image is not taken for read, so that saving can't drop it silently.
        const int topic = markupRow(child<QTreeWidget>(&window, "twIssues")->selectedItems().value(0));
        const int snapshot = child<QListWidget>(&window, "lwSnapshots")->currentRow();
        for (int row = 0; topic >= 0 && row < int(window.bcfData().markups[topic].viewPoints.size()); ++row) {
            const bcf::ViewPoint& viewPoint = window.bcfData().markups[topic].viewPoints[row];
            QCOMPARE(viewPoint.snapshotLoaded, bcf::PayloadFlag(!viewPoint.snapshot.starts_with("bad")));
            QVERIFY(row == snapshot || !viewPoint.visualizationLoaded);
        }
    }

    // A date-time written with a blank instead of the "T" is shown with its time.
    void dateWithABlankForTheTShowsItsTime() {
        MainWindow window;
        runSteps(window, QStringLiteral("open data/damaged.bcf; topic 0"));
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItem(0)->text(3),
                 QStringLiteral("07.03.2024, 09:05"));
        QCOMPARE(child<QTreeWidget>(&window, "twComments")->topLevelItem(0)->text(2),
                 QStringLiteral("07.03.2024, 09:05"));
    }

    // Shown again with another archive current, the images and components come from the model.
    void payloadsAreReadOnlyOnce() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0; snapshot 0"));
        const QString shown = windowDump(window);
        runSteps(window, QStringLiteral("topic 1"));
        bcf::currentArchive().load(testCase("2.1/Markup_MinimumInformation.bcf").toStdString());
        runSteps(window, QStringLiteral("topic 0; snapshot 0"));
        QCOMPARE(windowDump(window), shown);
    }

    void editedCommentTextReachesTheModel() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0"));
        QTreeWidgetItem* item = child<QTreeWidget>(&window, "twComments")->topLevelItem(2);
        QVERIFY(item->flags() & Qt::ItemIsEditable);
        item->setText(0, QStringLiteral("Änderung ✓"));
        item->setText(1, QStringLiteral("someone else")); // the author is no text to edit
        const bcf::Comment& comment = window.bcfData().markups[0].comments[2];
        QCOMPARE(QString::fromUtf8(comment.comment), QStringLiteral("Änderung ✓"));
        QCOMPARE(comment.author, std::string("dangl@iabi.eu"));
        QVERIFY(!comment.modifiedDate.empty() && !comment.modifiedAuthor.empty());
        runSteps(window, QStringLiteral("topic 1; topic 0"));
        compareWithGolden(windowDump(window));
    }

    // A double click on a bitmap opens it in the image viewer.
    void bitmapsOpenInTheImageViewer() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0; snapshot 0"));
        auto* bitmaps = child<QListWidget>(&window, "lwBitmaps");
        emit bitmaps->itemDoubleClicked(bitmaps->item(1));
        auto* viewer = window.findChild<SnapshotViewer*>(QStringLiteral("snapshotViewer"));
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1);
        QVERIFY(!child<QLabel>(viewer, "lImage")->pixmap().isNull());
    }

    void labelAndDueDateEditsAreSaved() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 3.0/Markup_Due_Date.bcf; topic 0"));
        auto* due = child<QDateEdit>(&window, "deDueDate");
        QCOMPARE(due->date(), QDate(2021, 3, 15));
        auto* labels = child<QComboBox>(&window, "cbLabels");
        const QString listed = labels->itemText(0);
        QVERIFY(!listed.isEmpty());
        labels->setCurrentIndex(0);
        emit labels->textActivated(listed);
        labels->lineEdit()->setText(QStringLiteral("Fassade ✓"));
        QTest::keyClick(labels->lineEdit(), Qt::Key_Return);
        QCOMPARE(window.bcfData().markups[0].topic.labels,
                 (std::vector<std::string>{listed.toStdString(), "Fassade ✓"}));
        clickLink(window, "lLabels", QStringLiteral("remove-label:0"));
        due->setDate(QDate(2030, 1, 2));
        QVERIFY(window.bcfData().markups[0].topic.dueDate->starts_with("2030-01-02T00:00:00"));
        compareWithGolden(windowDump(window));
        QTemporaryDir folder;
        bcf::BcfData data = window.bcfData();
        const QString dated = folder.filePath(QStringLiteral("dated.bcf"));
        bcf::saveArchive(dated.toStdString(), data, bcf::BcfVersion::V3_0);
        child<QToolButton>(&window, "tbClearDueDate")->click();
        QVERIFY(!window.bcfData().markups[0].topic.dueDate);
        QCOMPARE(due->text(), QStringLiteral("None"));
        QVERIFY(child<QTreeWidget>(&window, "twIssues")->topLevelItem(0)->text(10).isEmpty());
        // Reopened: the labels and the due date as edited.
        MainWindow reopened;
        runSteps(reopened, QStringLiteral("open ") + dated + QStringLiteral("; topic 0"));
        QCOMPARE(reopened.bcfData().markups[0].topic.labels, std::vector<std::string>{"Fassade ✓"});
        QCOMPARE(child<QDateEdit>(&reopened, "deDueDate")->date(), QDate(2030, 1, 2));
    }

    // A related topic's link selects it; an internal document is written to a temporary file with its bytes
    // and opened there.
    void linksOpenTheirTargets() {
        MainWindow window;
        runSteps(
            window,
            QStringLiteral("open 3.0/Markup_Related_topics_with_both_topics_in_the_same_file.bcf; topic 0"));
        const std::string& related = window.bcfData().markups[0].topic.relatedTopics.at(0).guid;
        clickLink(window, "lRelatedTopics", QStringLiteral("topic:") + QString::fromStdString(related));
        const auto selected = child<QTreeWidget>(&window, "twIssues")->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(window.bcfData().markups[std::size_t(markupRow(selected[0]))].topic.guid, related);
        MainWindow documents;
        runSteps(documents, QStringLiteral("open 3.0/Markup_Document_reference_internal.bcf; topic 0"));
        clickLink(documents, "lDocumentReferences", QStringLiteral("document:0"));
        QCOMPARE(catcher.opened.size(), 1);
        QFile written(catcher.opened[0].toLocalFile());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toStdString(), documents.bcfData().documents.at(0).data);
    }
};

QTEST_MAIN(TestTopicViews)
#include "test_topic_views.moc"
