// Deleting a topic, a comment, a snapshot or a document from its view, and the full-size viewer.
#include "ui_test_support.h"

#include "codec/archive.h"
#include "ui/snapshot_viewer.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace uitest;

namespace {

// Answers the next delete confirmation with "Delete" or "Cancel"; `asked` tells whether it came.
void answerConfirmation(bool confirm, std::shared_ptr<bool> asked) {
    whenModal<QMessageBox>([confirm, asked](QMessageBox* box) {
        *asked = box->objectName() == QStringLiteral("bcfConfirmDelete");
        for (QAbstractButton* button : box->buttons()) {
            if ((button->text() == QStringLiteral("Delete")) == confirm) {
                button->click();
                return true;
            }
        }
        return false;
    });
}

// Topics, comments and snapshots of the first topic, documents.
QList<int> counts(const bcf::BcfData& data) {
    const auto first = [&](auto member) {
        return data.markups.empty() ? 0 : int((data.markups[0].*member).size());
    };
    return {int(data.markups.size()), first(&bcf::Markup::comments), first(&bcf::Markup::viewPoints),
            int(data.documents.size())};
}

} // namespace

class TestDeleting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void deletingAsksAndIsSaved_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QList<int>>("expected"); // topics, comments and snapshots of the first, documents
        QTest::newRow("topic from the menu")
            << "twIssues"
            << "actionDeleteIssue" << 1 << false << true << QList<int>{1, 4, 3, 2};
        QTest::newRow("topic cancelled")
            << "twIssues"
            << "actionDeleteIssue" << 0 << false << false << QList<int>{2, 4, 3, 2};
        QTest::newRow("comment by the Delete key")
            << "twComments"
            << "actionDeleteComment" << 2 << true << true << QList<int>{2, 3, 3, 2};
        QTest::newRow("snapshot with its viewpoint")
            << "lwSnapshots"
            << "actionDeleteSnapshot" << 0 << true << true << QList<int>{2, 4, 2, 2};
        QTest::newRow("document") << "twDocuments"
                                  << "actionDeleteDocument" << 1 << false << true << QList<int>{2, 4, 3, 1};
    }

    void deletingAsksAndIsSaved() {
        QFETCH(QString, view);
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(bool, byKey);
        QFETCH(bool, confirm);
        QFETCH(QList<int>, expected);
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(issues->topLevelItem(view == QStringLiteral("twIssues") ? row : 0));
        auto* target = child<QAbstractItemView>(&window, view.toUtf8().constData());
        target->setCurrentIndex(target->model()->index(row, 0));
        QCOMPARE(target->contextMenuPolicy(), Qt::ActionsContextMenu);

        auto asked = std::make_shared<bool>(false);
        answerConfirmation(confirm, asked);
        if (byKey) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Delete);
        } else {
            child<QAction>(&window, action.toUtf8().constData())->trigger();
        }
        QVERIFY(*asked);
        QCOMPARE(window.hasUnsavedChanges(), confirm);
        QCOMPARE(counts(window.bcfData()), expected);
        QVERIFY(!errorBox(window));

        // The documents view follows the model, and a saved archive reads back the same.
        QCOMPARE(child<QTreeWidget>(&window, "twDocuments")->topLevelItemCount(), expected[3]);
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("saved.bcf")).toStdString();
        bcf::BcfData data = window.bcfData();
        bcf::saveArchive(path, data, bcf::BcfVersion::V3_0);
        QCOMPARE(counts(bcf::loadArchive(path)), expected);
    }

    void relationsToADeletedTopicShowMissingAndGoOnSave() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(issues->topLevelItem(1));
        auto asked = std::make_shared<bool>(false);
        answerConfirmation(true, asked);
        child<QAction>(&window, "actionDeleteIssue")->trigger();
        QVERIFY(*asked);
        issues->setCurrentItem(issues->topLevelItem(0));
        QVERIFY(child<QLabel>(&window, "lRelatedTopics")
                    ->text()
                    .contains(QStringLiteral("d1068c81-af04-4546-b63c-348810f6c716 (missing)")));

        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("saved.bcf")).toStdString();
        bcf::BcfData data = window.bcfData();
        const bcf::SaveNotes notes = bcf::saveArchive(path, data, bcf::BcfVersion::V2_1);
        QVERIFY(std::find(notes.all().begin(), notes.all().end(),
                          bcf::SaveNote{"relations to deleted topics removed", 1}) != notes.all().end());
        QVERIFY(bcf::loadArchive(path).markups.at(0).topic.relatedTopics.empty());

        // A relation to a topic that was never in this archive is no deletion of ours: it stays.
        data = bcf::loadArchive(
            testCase("2.1/Markup_related_topics_with_the_other_topic_missing.bcf").toStdString());
        bcf::saveArchive(path, data, bcf::BcfVersion::V3_0);
        QCOMPARE(bcf::loadArchive(path).markups.at(0).topic.relatedTopics.size(), std::size_t(1));
    }

    void viewerShowsTheTopicsSnapshots() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(issues->topLevelItem(0));
        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        emit snapshots->itemDoubleClicked(snapshots->item(1));

        auto* viewer = window.findChild<SnapshotViewer*>(QStringLiteral("snapshotViewer"));
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1 && viewer->fitsWindow());
        const double fitted = viewer->scale();

        // Zoom, actual size and back to fitted; next and previous stop at the ends.
        const std::pair<const char*, double> steps[] = {
            {"tbZoomIn", fitted * 1.25}, {"tbActualSize", 1}, {"tbZoomOut", 0.8}, {"tbFitToWindow", fitted}};
        for (const auto& [button, scale] : steps) {
            child<QToolButton>(viewer, button)->click();
            QVERIFY2(qAbs(viewer->scale() - scale) < 1e-9, button);
        }
        QVERIFY(viewer->fitsWindow());
        auto* next = child<QToolButton>(viewer, "tbNext");
        next->click();
        QCOMPARE(viewer->currentIndex(), 2);
        QVERIFY(!next->isEnabled());
        QVERIFY(!child<QLabel>(viewer, "lImage")->pixmap().isNull());
    }
};

QTEST_MAIN(TestDeleting)
#include "test_deleting.moc"
