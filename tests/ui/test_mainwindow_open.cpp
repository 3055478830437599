// Opening archives through the open dialog, closing them, and what the window shows for each.
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

using namespace uitest;

namespace {

QComboBox* issueCombo(const MainWindow& window, int row, int column) {
    return clickIssueCombo(child<QTreeWidget>(&window, "twIssues"), row, column);
}

QString issueCell(const MainWindow& window, int row, int column) {
    return child<QTreeWidget>(&window, "twIssues")->topLevelItem(row)->text(column);
}

// The href and the visible text of the one link that a rich text holds.
std::pair<QString, QString> linkParts(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    QString href;
    for (auto fragment = document.begin().begin(); !fragment.atEnd(); ++fragment) {
        if (fragment.fragment().charFormat().isAnchor())
            href = fragment.fragment().charFormat().anchorHref();
    }
    return {href, document.toPlainText()};
}

void verifyClosedState(const MainWindow& window) {
    QCOMPARE(child<QLabel>(&window, "lProject")->text(), QStringLiteral("Project: "));
    QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (0)"));
    QCOMPARE(child<QLabel>(&window, "lComments")->text(), QStringLiteral("Comments (0)"));
    QCOMPARE(child<QLabel>(&window, "llink")->text(), QString());
    QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(0), QStringLiteral("Snapshot (0)"));
    QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(1), QStringLiteral("Documents (0)"));
    for (const char* name : {"twIssues", "twDocuments", "twComponents", "twComments"})
        QCOMPARE(child<QTreeWidget>(&window, name)->topLevelItemCount(), 0);
    QCOMPARE(child<QListWidget>(&window, "lwSnapshots")->count(), 0);
    QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText(), QString());
    for (const char* name : {"pbNewIssue", "pbNewSnapshot", "pbNewDocument", "pbNewComment"})
        QVERIFY2(!child<QPushButton>(&window, name)->isEnabled(), name);
    QVERIFY(window.bcfData() == bcf::BcfData());
}

} // namespace

class TestMainWindowOpen : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void showsABcf21Archive() {
        MainWindow window;
        const QString path = testCase("2.1/Markup_MaximumInformation.bcf");
        openThroughDialog(window, path);

        QCOMPARE(QFileInfo(QString::fromUtf8(window.bcfFilePath())).canonicalFilePath(),
                 QFileInfo(path).canonicalFilePath());
        QCOMPARE(child<QLabel>(&window, "lProject")->text(),
                 QStringLiteral("Project: BCF API Implementation"));
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (2)"));
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItemCount(), 2);
        QCOMPARE(issueCell(window, 0, 0), QStringLiteral("Maximum Content"));
        QCOMPARE(issueCell(window, 0, 3), QStringLiteral("21.06.2015, 12:00"));
        QCOMPARE(issueCell(window, 0, 4), QStringLiteral("dangl@iabi.eu"));
        QCOMPARE(issueCell(window, 0, 5), QStringLiteral("21.06.2015, 14:22"));
        QCOMPARE(issueCell(window, 0, 10), QStringLiteral("02.10.2016, 14:22"));
        QCOMPARE(issueCell(window, 1, 0), QStringLiteral("Referenced topic"));
        QCOMPARE(issueCell(window, 1, 5), QString());
        QCOMPARE(issueCell(window, 1, 10), QString());
        for (const char* name : {"pbNewIssue", "pbNewSnapshot", "pbNewDocument", "pbNewComment"})
            QCOMPARE(child<QPushButton>(&window, name)->isEnabled(), name[5] == 'I' || name[5] == 'D');

        // Root-level files other than the BCF ones are the documents of a 2.1 archive.
        auto* documents = child<QTreeWidget>(&window, "twDocuments");
        QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(1), QStringLiteral("Documents (2)"));
        QCOMPARE(documents->topLevelItemCount(), 2);
        QCOMPARE(documents->topLevelItem(0)->text(0), QStringLiteral("IfcPile_01.ifc"));
        QCOMPARE(documents->topLevelItem(1)->text(0), QStringLiteral("markup.xsd"));
        QCOMPARE(documents->topLevelItem(1)->text(1), QStringLiteral("Project"));
        // Nothing lazy was read by the open.
        for (const bcf::ViewPoint& viewPoint : window.bcfData().markups[0].viewPoints) {
            QCOMPARE(viewPoint.snapshotLoaded, 0);
            QCOMPARE(viewPoint.visualizationLoaded, 0);
        }
    }

    void comboBoxesShowTheTopicsOwnValues() {
        MainWindow window;
        window.show();
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));

        // "Structural" is the third topic type of the extensions, not the first.
        QComboBox* type = issueCombo(window, 0, 1);
        QVERIFY(type);
        QCOMPARE(type->count(), 3);
        QCOMPARE(type->currentText(), QStringLiteral("Structural"));
        QCOMPARE(issueCombo(window, 0, 2)->currentText(), QStringLiteral("Open"));
        QCOMPARE(issueCombo(window, 0, 7)->currentText(), QStringLiteral("linhard@iabi.eu"));
        QCOMPARE(issueCombo(window, 0, 9)->currentText(), QStringLiteral("High"));
        // The stage list of the extensions is empty: the topic's own stage is added.
        QComboBox* stage = issueCombo(window, 0, 8);
        QCOMPARE(stage->count(), 1);
        QCOMPARE(stage->currentText(), QStringLiteral("Construction Start"));
        // A topic without a type shows none, with the extension values still offered.
        QComboBox* noType = issueCombo(window, 1, 1);
        QCOMPARE(noType->currentText(), QString());
        QCOMPARE(noType->count(), 3);
        for (const int column : {0, 3, 4, 5, 6, 10})
            QVERIFY(!issueCombo(window, 0, column));
    }

    void showsABcf30Archive() {
        MainWindow window;
        window.show();
        openThroughDialog(window, testCase("3.0/Markup_Document_reference_internal.bcf"));

        QCOMPARE(child<QLabel>(&window, "lProject")->text(), QStringLiteral("Project: BCF 3.0 test cases"));
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (1)"));
        QCOMPARE(issueCell(window, 0, 0), QStringLiteral("Document Reference Internal"));
        QCOMPARE(issueCell(window, 0, 3), QStringLiteral("17.02.2021, 09:16"));
        QComboBox* type = issueCombo(window, 0, 1);
        QCOMPARE(type->currentText(), QStringLiteral("ERROR"));
        QCOMPARE(type->count(), 5);
        QComboBox* assignedTo = issueCombo(window, 0, 7);
        QCOMPARE(assignedTo->currentText(), QStringLiteral("OtherUser@doe.com"));
        QCOMPARE(assignedTo->count(), 4);
        auto* documents = child<QTreeWidget>(&window, "twDocuments");
        QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(1), QStringLiteral("Documents (1)"));
        QCOMPARE(documents->topLevelItem(0)->text(0), QStringLiteral("ThisIsADocument.txt"));
        QCOMPARE(documents->topLevelItem(0)->text(1), QStringLiteral("Project"));
    }

    void openingAnotherArchiveReplacesTheFirst() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        const QString second = testCase("3.0/Markup_Related_topics_with_both_topics_in_the_same_file.bcf");
        openThroughDialog(window, second);
        QCOMPARE(window.bcfData().markups.size(), std::size_t(2));
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (2)"));
        QCOMPARE(issueCell(window, 0, 0), QStringLiteral("Related topic B"));
        QCOMPARE(child<QTabWidget>(&window, "tabWidget")->tabText(1), QStringLiteral("Documents (0)"));
        QCOMPARE(QFileInfo(QString::fromUtf8(window.bcfFilePath())).canonicalFilePath(),
                 QFileInfo(second).canonicalFilePath());
    }

    void fileLinkPointsToTheArchivesFolder() {
        MainWindow window;
        const QString path = testCase("2.1/Markup_MinimumInformation.bcf");
        openThroughDialog(window, path);
        const QFileInfo file(QFileInfo(path).canonicalFilePath());
        const auto [href, text] = linkParts(child<QLabel>(&window, "llink")->text());
        QCOMPARE(text, QDir::toNativeSeparators(file.filePath()));
        QCOMPARE(href, QUrl::fromLocalFile(file.absolutePath()).toString());
        QVERIFY(href.startsWith(QStringLiteral("file:///")));
    }

    void fileLinkSurvivesAHostileFileName() {
        QTemporaryDir temporary;
        // Quotes can't be typed into the file dialog's name field, so they sit in the folder name.
        const QString folder = temporary.filePath(QStringLiteral("a \"quoted\" #1 <b>folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/x<i>y #2 & 'z'.bcf");
        QVERIFY(QFile::copy(testCase("2.1/Markup_MinimumInformation.bcf"), path));

        MainWindow window;
        openThroughDialog(window, path);
        QCOMPARE(child<QLabel>(&window, "lIssues")->text(), QStringLiteral("Issues (1)"));
        const QString html = child<QLabel>(&window, "llink")->text();
        QVERIFY(!html.contains(QStringLiteral("<b>")));
        QVERIFY(!html.contains(QStringLiteral("<i>")));
        const auto [href, text] = linkParts(html);
        const QFileInfo file(QFileInfo(path).canonicalFilePath());
        QCOMPARE(text, QDir::toNativeSeparators(file.filePath()));
        QCOMPARE(QUrl(href).toLocalFile(), file.absolutePath());
    }

    void closeEmptiesTheWindowAndThePath() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        child<QToolButton>(&window, "tbClose")->click();
        verifyClosedState(window);
        QVERIFY(window.bcfFilePath().empty());
    }

    void cancellingTheOpenDialogKeepsTheIssuesAndThePath() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        openThroughDialog(window, QString(), OpenChoice::CancelOpenDialog);
        QVERIFY(!window.bcfFilePath().empty());
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItemCount(), 2);
        QCOMPARE(window.bcfData().markups.size(), std::size_t(2));
    }

    void cancellingTheFileDialogChangesNothing() {
        MainWindow window;
        openThroughDialog(window, testCase("2.1/Markup_MaximumInformation.bcf"));
        const std::string path = window.bcfFilePath();
        const QString link = child<QLabel>(&window, "llink")->text();
        openThroughDialog(window, QString(), OpenChoice::CancelFileDialog);
        QCOMPARE(window.bcfFilePath(), path);
        QCOMPARE(child<QLabel>(&window, "llink")->text(), link);
        QCOMPARE(child<QTreeWidget>(&window, "twIssues")->topLevelItemCount(), 2);
    }

    void missingFileIsReported() {
        MainWindow window;
        // The file dialog only offers existing files; a file that vanishes before the load is the
        // same case as one that was never there.
        QTemporaryDir temporary;
        const QString path = temporary.filePath(QStringLiteral("gone.bcf"));
        QVERIFY(QFile::copy(testCase("2.1/Markup_MinimumInformation.bcf"), path));
        whenModal<BcfOpen>([path](BcfOpen* dialog) {
            whenModal<QFileDialog>([path](QFileDialog* fileDialog) {
                if (!chooseFile(fileDialog, path))
                    return false;
                QFile::remove(path);
                return true;
            });
            child<QPushButton>(dialog, "pbOpen")->click();
            return true;
        });
        child<QToolButton>(&window, "tbOpen")->click();
        QMessageBox* box = errorBox(window);
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("gone.bcf")));
        QVERIFY(box->text().contains(QStringLiteral("bad zip")));
        closeErrorBoxes(window);
        QVERIFY(window.bcfFilePath().empty());
    }
};

QTEST_MAIN(TestMainWindowOpen)
#include "test_mainwindow_open.moc"
