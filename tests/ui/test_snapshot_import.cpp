// Images from the desktop become snapshots (pasted or dropped, large ones scaled down, stored as PNG,
// a viewpoint without camera, one undoable step each); an archive dropped onto the window opens.
#include "ui/bcf_session.h"
#include "ui_test_support.h"

using namespace uitest;

namespace {

enum class Way { Paste, PasteText, PasteUnselected, DropImageData, DropImageFile, DropTextFile, DropArchive };

QImage picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    return image;
}

// Sends a drag of `mime` over `target` and drops it there, as the window system does.
void drop(QWidget* target, QMimeData* mime) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, mime, Qt::LeftButton, {});
    if (enter.isAccepted())
        QApplication::sendEvent(target, &dropped);
}

} // namespace

class TestSnapshotImport : public QObject {
    Q_OBJECT

private slots:
    void addImage_data() {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("stored"); // empty: no snapshot added
        QTest::newRow("pasted") << Way::Paste << QSize(640, 480) << QSize(640, 480);
        QTest::newRow("pasted, too wide") << Way::Paste << QSize(4000, 1000) << QSize(1920, 480);
        QTest::newRow("text pasted") << Way::PasteText << QSize(10, 10) << QSize();
        QTest::newRow("pasted with no topic selected") << Way::PasteUnselected << QSize(10, 10) << QSize();
        QTest::newRow("dropped as data") << Way::DropImageData << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("dropped as a file, too high")
            << Way::DropImageFile << QSize(500, 3840) << QSize(250, 1920);
        QTest::newRow("a text file dropped") << Way::DropTextFile << QSize(10, 10) << QSize();
        QTest::newRow("an archive dropped") << Way::DropArchive << QSize(10, 10) << QSize();
    }
    void addImage() {
        QFETCH(Way, way);
        QFETCH(QSize, size);
        QFETCH(QSize, stored);
        QTemporaryDir dir;
        MainWindow window;
        QVERIFY(window.open(testCase("2.1/Visualization_Component_Selection.bcf")));
        auto* list = child<QListWidget>(&window, "lwSnapshots");
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        issues->setCurrentItem(way == Way::PasteUnselected ? nullptr : issues->topLevelItem(0));
        const auto& viewPoints = window.bcfData().markups.at(0).viewPoints;
        const std::size_t before = viewPoints.size();

        auto* mime = new QMimeData; // the clipboard takes it over
        const QString file = dir.filePath(way == Way::DropTextFile ? u"notes.txt"_s : u"picture.dat"_s);
        if (way == Way::DropTextFile)
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        else
            QVERIFY(picture(size).save(file, "JPEG")); // known by its contents, whatever its name
        if (way == Way::DropImageFile || way == Way::DropTextFile)
            mime->setUrls({QUrl::fromLocalFile(file)});
        else if (way == Way::DropArchive)
            mime->setUrls({QUrl::fromLocalFile(testCase("3.0/Markup_Labels.bcf"))});
        else if (way == Way::PasteText)
            mime->setText(u"no image"_s);
        else
            mime->setImageData(picture(size));
        if (way == Way::Paste || way == Way::PasteText || way == Way::PasteUnselected) {
            QGuiApplication::clipboard()->setMimeData(mime);
            child<QAction>(&window, "actionPasteSnapshot")->trigger();
        } else {
            drop(list->viewport(), mime); // an archive goes past the snapshots to the window
            delete mime;
        }
        if (way == Way::DropArchive) {
            QTRY_VERIFY(window.bcfFilePath().ends_with("Markup_Labels.bcf"));
            return;
        }
        // Only a paste of no image says so; nothing is pasted, and nothing said, while no topic is
        // selected, and a drop the snapshots take goes no further.
        QCOMPARE(takeMessages(window),
                 way == Way::PasteText
                     ? QStringList{u"bcfNoImageToPaste (window-modal): The clipboard holds no image."_s}
                     : QStringList());
        if (stored.isEmpty()) {
            QCOMPARE(viewPoints.size(), before);
            return;
        }
        QCOMPARE(viewPoints.size(), before + 1);
        QCOMPARE(list->count(), int(before + 1));
        const bcf::ViewPoint& added = viewPoints.back();
        QVERIFY(!added.visualizationInfo.hasPerspectiveCamera() && !added.visualizationInfo.orthogonalCamera);
        QCOMPARE(added.snapshot, added.guid + ".png");
        const QByteArray png(added.snapshotData.data(), qsizetype(added.snapshotData.size()));
        QVERIFY(png.startsWith("\x89PNG"));
        QCOMPARE(QImage::fromData(png).size(), stored);
        QVERIFY(window.hasUnsavedChanges());
        window.session().undoStack()->undo();
        QCOMPARE(viewPoints.size(), before);
    }
};

UI_TEST_MAIN(TestSnapshotImport)
#include "test_snapshot_import.moc"
