// The main window and the open dialog as they come up: widgets, texts and properties of the forms.
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace uitest;

namespace {

QStringList headerTexts(const QTreeWidget* tree) {
    QStringList texts;
    for (int column = 0; column < tree->columnCount(); ++column)
        texts << tree->headerItem()->text(column);
    return texts;
}

} // namespace

class TestMainWindowForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void freshWindowShowsTheFormTexts() {
        MainWindow window;
        QCOMPARE(child<QLabel>(&window, "lProject")->text(), QStringLiteral("Project: "));
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (0)"));
        QCOMPARE(child<QLabel>(&window, "lComments")->text(), QStringLiteral("Comments (0)"));
        QCOMPARE(child<QLabel>(&window, "llink")->text(), QString());
        QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText(),
                 QStringLiteral("(Description)"));
        auto* tabs = child<QTabWidget>(&window, "tabWidget");
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Snapshots (0)"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Documents (0)"));
        QCOMPARE(window.windowTitle(), QStringLiteral("MainWindow"));
        QVERIFY(window.bcfFilePath().empty());
        QVERIFY(window.bcfData().markups.empty());
        // Nothing is selected: only the commands that need no topic are enabled.
        for (const char* name : {"pbNewIssue", "pbNewSnapshot", "pbNewDocument", "pbNewComment"})
            QCOMPARE(child<QPushButton>(&window, name)->isEnabled(), name[5] == 'I' || name[5] == 'D');
    }

    void treesCarryTheirHeaders() {
        MainWindow window;
        const std::pair<const char*, int> trees[] = {
            {"twIssues", 11}, {"twComponents", 5}, {"twDocuments", 2}, {"twComments", 5}};
        for (const auto& [name, columns] : trees) {
            auto* tree = child<QTreeWidget>(&window, name);
            QCOMPARE(tree->columnCount(), columns);
            QCOMPARE(tree->topLevelItemCount(), 0);
        }
        QCOMPARE(headerTexts(child<QTreeWidget>(&window, "twDocuments")),
                 (QStringList{QStringLiteral("Title"), QStringLiteral("Releated to")}));
    }

    void layoutPropertiesHold() {
        MainWindow window;
        window.resize(800, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto* description = child<QPlainTextEdit>(&window, "pteDescription");
        QVERIFY(description->isReadOnly());
        QVERIFY(description->height() <= 80);
        QCOMPARE(description->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

        auto* splitter = child<QSplitter>(&window, "splitter_2");
        QCOMPARE(splitter->orientation(), Qt::Vertical);
        QCOMPARE(splitter->count(), 3);
        QVERIFY(!splitter->childrenCollapsible());
        QCOMPARE(splitter->handleWidth(), 4);
        // Dragging every pane to nothing still leaves each pane visible.
        splitter->setSizes({0, 0, 600});
        for (const int size : splitter->sizes())
            QVERIFY(size > 0);

        auto* snapshots = child<QListWidget>(&window, "lwSnapshots");
        QCOMPARE(snapshots->viewMode(), QListView::IconMode);
        QCOMPARE(snapshots->flow(), QListView::LeftToRight);
        QCOMPARE(child<QSplitter>(&window, "splitter")->orientation(), Qt::Horizontal);
        QVERIFY(child<QLabel>(&window, "llink")->openExternalLinks());
    }

    void toolButtonsHaveImagesWithoutIconFiles() {
        // The working directory has no "../icons", so the built-in images are used.
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("run"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path() + QStringLiteral("/run")));
        MainWindow window;
        QDir::setCurrent(previous);
        for (const char* name : {"tbSave", "tbOpen", "tbClose"}) {
            auto* button = child<QToolButton>(&window, name);
            QVERIFY2(!button->icon().isNull(), name);
            QVERIFY2(!button->icon().pixmap(16, 16).isNull(), name);
            QCOMPARE(button->text(), QString());
        }
    }

    void iconFilesWinWhenPresent() {
        QTemporaryDir dir;
        QDir root(dir.path());
        root.mkdir(QStringLiteral("icons"));
        root.mkdir(QStringLiteral("run"));
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(root.filePath(QStringLiteral("icons/open.png"))));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("run"))));
        MainWindow window;
        QDir::setCurrent(previous);
        const QImage shown = child<QToolButton>(&window, "tbOpen")->icon().pixmap(16, 16).toImage();
        QCOMPARE(shown.pixelColor(8, 8), QColor(Qt::red));
    }

    void openDialogShowsItsForm() {
        BcfOpen dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Open/create project"));
        QCOMPARE(dialog.objectName(), QStringLiteral("BcfOpenDialog"));
        auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Server"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("File"));
        auto* servers = child<QComboBox>(&dialog, "cbServer");
        QCOMPARE(servers->count(), 6);
        QVERIFY(servers->itemText(2).endsWith(QStringLiteral(" Europe-EU (2.1)")));
        QVERIFY(servers->itemText(3).endsWith(QStringLiteral(" Europe-UK (2.1)")));
        QVERIFY(servers->itemText(5).endsWith(QStringLiteral(" (3.0)")));
        QVERIFY(dialog.selectedFilePath().empty());
    }

    void loginAndCreateLeaveTheDialogOpen() {
        BcfOpen dialog;
        dialog.show();
        child<QPushButton>(&dialog, "pbLogin")->click();
        child<QPushButton>(&dialog, "opCreate")->click();
        child<QComboBox>(&dialog, "cbServer")->setCurrentIndex(3);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QVERIFY(dialog.selectedFilePath().empty());
    }

    void openButtonAcceptsWithTheChosenPath() {
        BcfOpen dialog;
        const QString path = testCase("2.1/Markup_MinimumInformation.bcf");
        whenModal<QFileDialog>([path](QFileDialog* fileDialog) { return chooseFile(fileDialog, path); });
        child<QPushButton>(&dialog, "pbOpen")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QFileInfo(QString::fromUtf8(dialog.selectedFilePath())).canonicalFilePath(),
                 QFileInfo(path).canonicalFilePath());
    }

    void cancelledFileDialogAcceptsWithAnEmptyPath() {
        BcfOpen dialog;
        whenModal<QFileDialog>([](QFileDialog* fileDialog) {
            fileDialog->reject();
            return true;
        });
        child<QPushButton>(&dialog, "pbOpen")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.selectedFilePath().empty());
    }
};

QTEST_MAIN(TestMainWindowForm)
#include "test_mainwindow_form.moc"
