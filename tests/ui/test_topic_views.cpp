// The views of the selected topic: description, details and their links, snapshots, components, comments, and
// the edits made in them.
#include "scenario.h"

#include "codec/archive.h"
#include "codec/zip/zip_archive.h"
#include "ui/issue_list.h"

using namespace uitest;

class TestTopicViews : public QObject {
    Q_OBJECT

private slots:
    // The whole window after each scenario of test_topic_views/scenarios.steps, against its golden file.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        MainWindow window;
        Scenario scenario(window);
        scenario.run(steps);
        scenario.compareWithGolden();
        // Images are read for the topic shown, viewpoint files only for the snapshot selected; a damaged
        // image is not taken for read, so that saving can't drop it silently.
        const int topic = markupRow(child<QTreeWidget>(&window, "twIssues")->selectedItems().value(0));
        const auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        const int snapshot = snapshots->currentRow();
        for (int row = 0; topic >= 0 && row < int(window.bcfData().markups[topic].viewPoints.size()); ++row) {
            const bcf::ViewPoint& viewPoint = window.bcfData().markups[topic].viewPoints[row];
            QCOMPARE(viewPoint.snapshotLoaded, bcf::PayloadFlag(!viewPoint.snapshot.starts_with("bad")));
            QVERIFY(row == snapshot || !viewPoint.visualizationLoaded);
            // A damaged image's row shows a red cross over grey.
            const QImage thumbnail = snapshots->item(row)->icon().pixmap(150).toImage();
            for (const auto& [x, y, colour] : {std::tuple(30, 30, QColor(200, 0, 0)),
                                               {120, 30, QColor(200, 0, 0)},
                                               {75, 10, QColor(224, 224, 224)}})
                QVERIFY(!viewPoint.snapshot.starts_with("bad") || thumbnail.pixelColor(x, y) == colour);
        }
    }

    // A date-time written with a blank instead of the "T" is shown with its time.
    void dateWithABlankForTheTShowsItsTime() {
        MainWindow window;
        Scenario(window).run(QStringLiteral("open data/damaged.bcf; topic 0"));
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItem(0)->text(3),
                 QStringLiteral("07.03.2024, 09:05"));
        QCOMPARE(child<QTreeWidget>(&window, "twComments")->topLevelItem(0)->text(2),
                 QStringLiteral("07.03.2024, 09:05"));
    }

    // Two windows, two archives: each shows and saves its own archive's payloads, whatever the
    // other opened since, exactly as a fresh load of its file saves.
    void twoWindowsKeepTheirOwnArchives() {
        MainWindow first;
        Scenario(first).run(QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0; snapshot 0"));
        const QString shown = windowDump(first);
        Scenario(first).run(QStringLiteral("topic 1"));
        MainWindow second;
        Scenario(second).run(QStringLiteral("open 2.1/Markup_MinimumInformation.bcf; topic 0"));
        Scenario(first).run(QStringLiteral("topic 0; snapshot 0"));
        QCOMPARE(windowDump(first), shown);

        // Saved in its own version (a conversion gives new document GUIDs on every save).
        QTemporaryDir folder;
        const QString ours = folder.filePath(QStringLiteral("window.bcf"));
        const QString expected = folder.filePath(QStringLiteral("fresh.bcf"));
        for (MainWindow* window : {&first, &second}) {
            bcf::BcfDocument fromWindow = window->document();
            bcf::BcfDocument fresh = bcf::loadArchive(window->bcfFilePath());
            const bcf::BcfVersion version = fresh.data.version;
            const bcf::SaveNotes notes = bcf::saveArchive(ours.toStdString(), fromWindow, version);
            QCOMPARE(notes.all(), bcf::saveArchive(expected.toStdString(), fresh, version).all());
            QVERIFY(bcf::test::zipEntries(ours.toStdString()) ==
                    bcf::test::zipEntries(expected.toStdString()));
        }
    }

    // A double click on a bitmap opens it in the image viewer.
    void bitmapsOpenInTheImageViewer() {
        MainWindow window;
        Scenario(window).run(QStringLiteral("open 2.1/Markup_MaximumInformation.bcf; topic 0; snapshot 0"));
        auto* viewer = openInViewer(window, "lwBitmaps", 1);
        QVERIFY(viewer && viewer->isVisible() && viewer->currentIndex() == 1);
        QVERIFY(!child<QLabel>(viewer, "lImage")->pixmap().isNull());
        // Previous and Next go only where there is an image.
        const auto stepsOffered = [viewer] {
            return std::pair(child<QToolButton>(viewer, "tbPrevious")->isEnabled(),
                             child<QToolButton>(viewer, "tbNext")->isEnabled());
        };
        QCOMPARE(stepsOffered(), std::pair(true, child<QListWidget>(&window, "lwBitmaps")->count() > 2));
        openInViewer(window, "lwBitmaps", 0);
        QCOMPARE(stepsOffered(), std::pair(false, true));
        // Asked to step past either end, the viewer stays where it is.
        viewer->showPrevious();
        QCOMPARE(viewer->currentIndex(), 0);
        const int last = child<QListWidget>(&window, "lwBitmaps")->count() - 1;
        openInViewer(window, "lwBitmaps", last);
        viewer->showNext();
        QCOMPARE(viewer->currentIndex(), last);
        openInViewer(window, "lwBitmaps", 1);

        // Zoomed in, the image shows its own pixels, not blends of them.
        const auto colors = [viewer] {
            const QImage image =
                child<QLabel>(viewer, "lImage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
            QSet<QRgb> found;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    found.insert(image.pixel(x, y));
            return found;
        };
        viewer->showActualSize();
        const QSet<QRgb> actual = colors();
        viewer->zoomIn();
        QVERIFY(viewer->scale() > 1 && actual.contains(colors()));
    }
};

UI_TEST_MAIN(TestTopicViews)
#include "test_topic_views.moc"
