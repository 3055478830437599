// Deleting a topic, a comment, a snapshot or a document from its view, and the full-size viewer.
#include "ui_test_support.h"

#include "ui/snapshot_viewer.h"

using namespace uitest;

class TestDeleting : public QObject {
    Q_OBJECT

private slots:
    // Each deletion of tests/data/ui/test_deleting.steps asks first; the window after it against its golden
    // file, and the model saved and read back the same.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        MainWindow window;
        runSteps(window, steps);
        for (const char* view : {"twIssues", "twComments", "lwSnapshots", "twDocuments"})
            QCOMPARE(child<QWidget>(&window, view)->contextMenuPolicy(), Qt::ActionsContextMenu);
        compareWithGolden(windowDump(window));
    }

    // Relations to a deleted topic go on save, with a note saying so.
    void relationsToADeletedTopicGoOnSave() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 1; answer Delete; "
                                        "trigger actionDeleteIssue"));
        QTemporaryDir folder;
        bcf::BcfDocument document = window.document();
        const bcf::SaveNotes notes = bcf::saveArchive(
            folder.filePath(QStringLiteral("saved.bcf")).toStdString(), document, bcf::BcfVersion::V2_1);
        QVERIFY(std::find(notes.all().begin(), notes.all().end(),
                          bcf::SaveNote{"relations to deleted topics removed", 1}) != notes.all().end());
    }

    void viewerShowsTheTopicsSnapshots() {
        MainWindow window;
        runSteps(window, QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0"));
        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        emit snapshots->itemDoubleClicked(snapshots->item(1));
        auto* viewer = window.findChild<SnapshotViewer*>(QStringLiteral("snapshotViewer"));
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1 && viewer->fitsWindow());
        const double fitted = viewer->scale();
        // Zoom, actual size and back to fitted; next stops at the end.
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

UI_TEST_MAIN(TestDeleting)
#include "test_deleting.moc"
