// The main window and its open dialog: the forms as they come up, opening, cancelling and closing archives,
// and what the window then shows.
#include "scenario.h"

using namespace uitest;

namespace {

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    // The whole window after each scenario of test_mainwindow/scenarios.steps, against its golden file.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        MainWindow window;
        window.show();
        Scenario scenario(window);
        scenario.run(steps);
        scenario.compareWithGolden();
        const QString opened = steps.section(u"open "_s, -1).section(u';', 0, 0);
        const bool closed = !steps.contains(u"open "_s) || steps.contains(u"tbClose"_s);
        QCOMPARE(canonical(QString::fromUtf8(window.bcfFilePath())),
                 closed ? QString() : canonical(testCase(opened.toUtf8())));
        // Nothing lazy was read by the open.
        for (const bcf::Markup& markup : window.bcfData().markups) {
            if (!child<QTreeWidget>(&window, "twIssues")->selectedItems().isEmpty())
                break;
            for (const bcf::ViewPoint& viewPoint : markup.viewPoints)
                QVERIFY(!viewPoint.snapshotLoaded && !viewPoint.visualizationLoaded);
        }
    }

    // The link under the list names the archive and opens its folder, whatever markup the name holds.
    // Quotes can't be typed into the file dialog's name field, so they sit in the folder name.
    void fileLinkSurvivesAHostileName() {
        const QString folder = QStringLiteral("a \"quoted\" #1 <b>folder"),
                      name = QStringLiteral("x<i>y #2 & 'z'.bcf");
        QTemporaryDir temporary;
        QVERIFY(QDir(temporary.path()).mkpath(folder));
        const QString path = temporary.filePath(folder + u'/' + name);
        QVERIFY(QFile::copy(testCase("2.1/Markup_MinimumInformation.bcf"), path));
        MainWindow window;
        openArchive(window, path);
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (1)"));
        QTextDocument link;
        link.setHtml(child<QLabel>(&window, "llink")->text());
        const QTextFragment fragment = link.begin().begin().fragment();
        const QFileInfo file(canonical(path));
        QCOMPARE(link.toPlainText(), QDir::toNativeSeparators(file.filePath()));
        QCOMPARE(fragment.text(), link.toPlainText()); // one fragment: the name made no markup
        QVERIFY(fragment.charFormat().anchorHref().startsWith(QStringLiteral("file:///")));
        QCOMPARE(QUrl(fragment.charFormat().anchorHref()).toLocalFile(), file.absolutePath());
    }

    void missingFileIsReported() {
        MainWindow window;
        // The file dialog only offers existing files; a file that vanishes before the load is the same case
        // as one that was never there.
        QTemporaryDir temporary;
        const QString path = temporary.filePath(QStringLiteral("gone.bcf"));
        QVERIFY(QFile::copy(testCase("2.1/Markup_MinimumInformation.bcf"), path));
        openArchive(window, path, [path] { QFile::remove(path); });
        const QString message = errorBox(window) ? errorBox(window)->text() : QString();
        QVERIFY2(message.contains(QStringLiteral("gone.bcf")) && message.contains(QStringLiteral("bad zip")),
                 qPrintable(message));
        QVERIFY(window.bcfFilePath().empty());
    }

    // At each window size the list shows its rows, the description keeps a third of the width beside
    // the details, and no pane can be collapsed to nothing.
    void panesShareTheWindow_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("rows");
        QTest::newRow("1024x768") << QSize(1024, 768) << 7;
        QTest::newRow("1400x900") << QSize(1400, 900) << 10;
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 10;
    }
    void panesShareTheWindow() {
        QFETCH(QSize, size);
        QFETCH(int, rows);
        MainWindow window;
        Scenario(window).run(
            QStringLiteral("open 3.0/Markup_Labels.bcf; topic 0; label Fassade; label Dach; "
                           "label Tragwerk Nord; label Brandschutz; label Haustechnik Lüftung Ost; "
                           "label Elektro Südflügel; label Statik Kern; label Akustik Büros; "
                           "label Fluchtweg Treppenhaus 2; label Abstimmung Fachplaner"));
        window.resize(size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* issues = child<QTreeWidget>(&window, "twIssues");
        const double shown = double(issues->viewport()->height()) / issues->sizeHintForRow(0);
        qInfo("%dx%d: %.1f rows of the issue list shown", size.width(), size.height(), shown);
        QVERIFY2(shown >= rows, qPrintable(QString::number(shown)));
        // The list takes what about ten rows need, however tall the window: the rest goes to the details,
        // which get an eighth of the height at least, and to the comments.
        QVERIFY2(shown < 12, qPrintable(QString::number(shown)));
        auto* mainSplitter = child<QSplitter>(&window, "splitter_2");
        QVERIFY(mainSplitter->sizes().at(1) >= mainSplitter->height() / 8);
        // A handle the user moves stays where it was put when the window grows, and the list grows too.
        QSplitterHandle* handle = mainSplitter->handle(1);
        const int listHeight = mainSplitter->sizes().at(0), splitHeight = mainSplitter->height();
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        QTest::mouseMove(handle, grip + QPoint(0, 40));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, 40));
        QCOMPARE(mainSplitter->sizes().at(0), listHeight + 40);
        window.resize(size + QSize(0, 100));
        QTRY_VERIFY(mainSplitter->height() > splitHeight);
        QVERIFY(mainSplitter->sizes().at(0) > listHeight + 40);
        QVERIFY(child<QPlainTextEdit>(&window, "pteDescription")->width() > size.width() / 3);
        auto* labels = child<QLabel>(&window, "lLabels");
        auto* details = child<QWidget>(&window, "wTopicDetails");
        QVERIFY(labels->geometry().right() < details->width());
        // Each detail shows its whole text: on one line, or wrapped onto every line it needs; the grid
        // scrolls rather than cut a row off.
        for (QLabel* label : details->findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width() ||
                         (label->wordWrap() && label->height() >= label->heightForWidth(label->width())),
                     qPrintable(label->objectName()));
        // Each detail's title stands at the left of its value, on its line; no title or value lies over
        // another.
        QList<QRect> taken;
        for (const char* name : {"lLabels", "lIfcFiles", "lRelatedTopics", "lReferenceLinks",
                                 "lDocumentReferences", "lBimSnippet"}) {
            auto* value = child<QLabel>(details, name);
            auto* title = child<QLabel>(details, (std::string(name) + "Title").c_str());
            const QRect at = title->geometry();
            QVERIFY2(title->isVisible() && at.right() < value->x() && at.top() < value->geometry().bottom() &&
                         value->y() <= at.bottom(),
                     name);
            for (const QRect& other : taken)
                QVERIFY2(!other.intersects(at) && !other.intersects(value->geometry()), name);
            taken << at << value->geometry();
        }
        // The list, details and comments; the snapshots beside the documents.
        for (const auto& [name, panes] : {std::pair("splitter_2", 3), {"splitterLower", 2}}) {
            auto* splitter = child<QSplitter>(&window, name);
            QCOMPARE(splitter->count(), panes);
            QList<int> sizes(panes, 0);
            sizes.back() = 600;
            splitter->setSizes(sizes);
            for (const int pane : splitter->sizes())
                QVERIFY2(pane > 0, name);
        }
        QCOMPARE(child<QListWidget>(&window, "lwSnapshots")->viewMode(), QListView::IconMode);
        QVERIFY(child<QLabel>(&window, "llink")->openExternalLinks());
        // The menus a host finds by name, each once.
        QStringList menus;
        for (QAction* action : window.menuBar()->actions())
            menus << action->menu()->objectName() + u' ' + action->text();
        QCOMPARE(menus, QStringList({QStringLiteral("menuFile &File"), QStringLiteral("menuEdit &Edit")}));
    }

    // Images from "../icons" win; without them the tool buttons draw their own.
    void toolButtonsHaveImages_data() {
        QTest::addColumn<bool>("iconFile");
        QTest::newRow("built-in images") << false;
        QTest::newRow("icon file wins") << true;
    }

    void toolButtonsHaveImages() {
        QFETCH(bool, iconFile);
        QTemporaryDir dir;
        QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("icons")) && root.mkpath(QStringLiteral("run")));
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(!iconFile || red.save(root.filePath(QStringLiteral("icons/open.png"))));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("run"))));
        MainWindow window;
        QDir::setCurrent(previous);
        for (const char* name : {"tbSave", "tbOpen", "tbClose"}) {
            const QImage image = child<QToolButton>(&window, name)->icon().pixmap(16, 16).toImage();
            QVERIFY2(!image.isNull(), name);
            QCOMPARE(image.pixelColor(8, 8) == QColor(Qt::red), iconFile && name[2] == 'O');
        }
        if (iconFile)
            return;
        // The drawn images at every size they come in, a row per button, pixel for pixel against
        // the golden image (one step of rounding allowed in each channel): a floppy disk, an open
        // folder, a red disc with a white cross. BCF_UPDATE_GOLDEN=1 rewrites the golden image.
        QImage strip(16 + 24 + 32 + 48, 3 * 48, QImage::Format_ARGB32);
        strip.fill(Qt::transparent);
        QPainter painter(&strip);
        int y = 0;
        for (const char* name : {"tbSave", "tbOpen", "tbClose"}) {
            int x = 0;
            for (const int size : {16, 24, 32, 48}) {
                painter.drawPixmap(x, y, child<QToolButton>(&window, name)->icon().pixmap(size, size));
                x += size;
            }
            y += 48;
        }
        painter.end();
        const QString golden = goldenFolder() + u"toolButtonsHaveImages.png"_s;
        if (qEnvironmentVariableIntValue("BCF_UPDATE_GOLDEN") == 1)
            QVERIFY(strip.save(golden));
        const QImage expected = QImage(golden).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(expected.size(), strip.size());
        QString difference; // the first pixel off by more than one step
        for (int py = 0; py < strip.height() && difference.isEmpty(); ++py)
            for (int px = 0; px < strip.width() && difference.isEmpty(); ++px) {
                const QRgb a = strip.pixel(px, py), b = expected.pixel(px, py);
                if (std::abs(qRed(a) - qRed(b)) > 1 || std::abs(qGreen(a) - qGreen(b)) > 1 ||
                    std::abs(qBlue(a) - qBlue(b)) > 1 || std::abs(qAlpha(a) - qAlpha(b)) > 1)
                    difference = u"%1,%2: %3 instead of %4"_s.arg(px).arg(py).arg(a, 8, 16).arg(b, 8, 16);
            }
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

UI_TEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
