// Deleting a topic, a comment, a snapshot or a document from its view, and the full-size viewer.
#include "scenario.h"

using namespace uitest;

class TestDeleting : public QObject {
    Q_OBJECT

private slots:
    // Each deletion of test_deleting/scenarios.steps asks first; the window after it against its golden
    // file, and the model saved and read back the same.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        MainWindow window;
        Scenario scenario(window);
        scenario.run(steps);
        for (const char* view : {"twIssues", "twComments", "lwSnapshots", "twDocuments"})
            QCOMPARE(child<QWidget>(&window, view)->contextMenuPolicy(), Qt::ActionsContextMenu);
        scenario.compareWithGolden();
    }

    // Relations to a deleted topic go on save, with a note saying so.
    void relationsToADeletedTopicGoOnSave() {
        MainWindow window;
        Scenario(window).run(QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 1; answer Delete; "
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
        Scenario(window).run(QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0"));
        auto* viewer = openInViewer(window, "lwSnapshots", 1);
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1 && viewer->fitsWindow());
        const double fitted = viewer->scale();
        // Zoom, actual size and back to fitted; next stops at the end.
        const std::pair<const char*, double> steps[] = {
            {"tbZoomIn", fitted * 1.25}, {"tbActualSize", 1}, {"tbZoomOut", 0.8}, {"tbFitToWindow", fitted}};
        auto* fit = child<QToolButton>(viewer, "tbFitToWindow");
        QVERIFY(fit->isChecked());
        for (const auto& [button, scale] : steps) {
            child<QToolButton>(viewer, button)->click();
            QVERIFY2(qAbs(viewer->scale() - scale) < 1e-9, button);
            QCOMPARE(fit->isChecked(), button == std::string_view("tbFitToWindow"));
        }
        QVERIFY(viewer->fitsWindow());
        auto* next = child<QToolButton>(viewer, "tbNext");
        next->click();
        QCOMPARE(viewer->currentIndex(), 2);
        QVERIFY(!next->isEnabled());
        QVERIFY(!child<QLabel>(viewer, "lImage")->pixmap().isNull());
        child<QToolButton>(viewer, "tbPrevious")->click();
        QVERIFY(viewer->currentIndex() == 1 && next->isEnabled());
        // The wheel with Ctrl zooms the image, without it scrolls.
        QWidget* area = child<QScrollArea>(viewer, "saImage")->viewport();
        const double before = viewer->scale();
        for (const auto modifiers : {Qt::NoModifier, Qt::ControlModifier}) {
            QWheelEvent wheel(QPointF(10, 10), area->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120),
                              Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area, &wheel);
        }
        QVERIFY(qAbs(viewer->scale() - before * 1.25) < 1e-9 && !fit->isChecked());
        // Zoom stops at 1600 % and at 5 %.
        for (const auto& [button, limit] : {std::pair("tbZoomIn", 16.0), {"tbZoomOut", 0.05}}) {
            for (int i = 0; i < 30; ++i)
                child<QToolButton>(viewer, button)->click();
            QCOMPARE(viewer->scale(), limit);
        }
    }

    // An image that can't be read is said so in the viewer, in its place.
    void viewerTellsAnUnreadableImage() {
        MainWindow window;
        Scenario(window).run(QStringLiteral("open data/damaged.bcf; topic 0"));
        auto* viewer = openInViewer(window, "lwSnapshots", 1);
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(child<QLabel>(viewer, "lPosition")->text(), u"2 / 2  bad.png"_s);
        QCOMPARE(child<QLabel>(viewer, "lImage")->text(), u"The image can't be read."_s);
    }

    // The full-size viewer follows deletions and their undo: the position it shows, or "closed".
    void viewerFollowsDeletions_data() {
        QTest::addColumn<QString>("list"); // the images the viewer shows
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("its topic deleted")
            << u"lwSnapshots"_s << u"answer Delete; trigger actionDeleteIssue"_s << u"closed"_s;
        QTest::newRow("a snapshot deleted")
            << u"lwSnapshots"_s << u"snapshot 0; answer Delete; trigger actionDeleteSnapshot"_s << u"2 / 2"_s;
        QTest::newRow("the deletion undone")
            << u"lwSnapshots"_s
            << u"snapshot 0; answer Delete; trigger actionDeleteSnapshot; trigger actionUndo"_s << u"2 / 3"_s;
        QTest::newRow("bitmaps of a viewpoint deleted")
            << u"lwBitmaps"_s << u"snapshot 0; answer Delete; trigger actionDeleteSnapshot"_s << u"closed"_s;
        QTest::newRow("bitmaps of another viewpoint deleted")
            << u"lwBitmaps"_s << u"snapshot 1; answer Delete; trigger actionDeleteSnapshot"_s << u"2 / 2"_s;
        QTest::newRow("another archive opened")
            << u"lwSnapshots"_s << u"open 3.0/Markup_Labels.bcf"_s << u"closed"_s;
    }
    void viewerFollowsDeletions() {
        QFETCH(QString, list);
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        MainWindow window;
        Scenario(window).run(QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0; snapshot 0"));
        QPointer<SnapshotViewer> viewer = openInViewer(window, qPrintable(list), 1);
        QVERIFY(viewer);
        Scenario(window).run(steps);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(viewer && viewer->isVisible()
                     ? child<QLabel>(viewer, "lPosition")->text().section(u"  "_s, 0, 0)
                     : u"closed"_s,
                 shown);
    }
};

UI_TEST_MAIN(TestDeleting)
#include "test_deleting.moc"
