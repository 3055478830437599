// The create buttons and the issue list's editors of the main window, driven through its widgets.
#include "test_editing_support.h"

#include "ui/issue_editing.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"

#include "codec/zip/zip_archive.h"

#include <QComboBox>
#include <QFile>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace editing_test;

namespace {

QString testcase(const char* name) {
    return QStringLiteral(BCF_TESTCASES_DIR "/") + QString::fromUtf8(name);
}

const char* const kUserAssignment30 = "3.0/Markup_User_assignment.bcf";
const char* const kPerspective21 = "2.1/Visualization_PerspectiveCamera.bcf";

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

class TestEditingWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QTemporaryDir temp;

    QTreeWidget* issues() { return child<QTreeWidget>(*window, "twIssues"); }
    QTreeWidget* comments() { return child<QTreeWidget>(*window, "twComments"); }
    QTreeWidget* documents() { return child<QTreeWidget>(*window, "twDocuments"); }
    QListWidget* snapshots() { return child<QListWidget>(*window, "lwSnapshots"); }
    QTabWidget* tabs() { return child<QTabWidget>(*window, "tabWidget"); }
    QString label(const char* name) { return child<QLabel>(*window, name)->text(); }
    void press(const char* name) { child<QPushButton>(*window, name)->click(); }
    const bcf::BcfData& model() { return window->bcfData(); }

    void open(const char* name) {
        openArchive(*window, testcase(name));
        QVERIFY2(takeErrorMessage(*window).isEmpty(), name);
        QVERIFY(!window->bcfFilePath().empty());
    }

    QString writeTempFile(const QString& name, const QByteArray& bytes) {
        const QString path = temp.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void cleanup() { window.reset(); }

    void newIssueInAFreshWindow() {
        press("pbNewIssue");
        QCOMPARE(model().markups.size(), std::size_t(1));
        const bcf::Topic& topic = model().markups[0].topic;
        QCOMPARE(topic.title, std::string("New Issue"));
        QVERIFY(topic.topicType.empty() && topic.topicStatus.empty() && topic.priority.empty());
        QVERIFY(topic.assignedTo.empty() && topic.stage.empty());
        QCOMPARE(label("lIssues"), QStringLiteral("Issues (1)"));
        QCOMPARE(issues()->topLevelItemCount(), 1);
        QTreeWidgetItem* row = issues()->topLevelItem(0);
        QCOMPARE(row->text(IssueTitleColumn), QStringLiteral("New Issue"));
        QCOMPARE(row->text(IssueCreatedByColumn), QStringLiteral("tiv"));
        QCOMPARE(row->text(IssueDateCreatedColumn), text(formatDateTime(topic.creationDate)));
        QVERIFY(row->text(IssueDateModifiedColumn).isEmpty());
        QCOMPARE(issues()->selectedItems(), QList<QTreeWidgetItem*>{row});
        QVERIFY(window->hasUnsavedChanges());
    }

    void newIssueAfterAnOpenTakesTheExtensionValues() {
        open(kUserAssignment30);
        const std::size_t before = model().markups.size();
        selectIssue(*window, 0);
        press("pbNewIssue");
        press("pbNewIssue");
        QCOMPARE(model().markups.size(), before + 2);
        const bcf::Topic& first = model().markups[before].topic;
        const bcf::Topic& second = model().markups[before + 1].topic;
        QCOMPARE(first.topicType, std::string("ERROR"));
        QCOMPARE(first.topicStatus, std::string("OPEN"));
        QCOMPARE(first.priority, std::string("LOW"));
        QCOMPARE(first.assignedTo, std::string("Architect@example.com"));
        QVERIFY(first.stage.empty());
        QCOMPARE(first.creationAuthor, std::string("tiv"));
        QVERIFY(!first.modifiedDate && !first.dueDate);
        QVERIFY(first.guid != second.guid);
        QCOMPARE(first.title, second.title);
        QCOMPARE(label("lIssues"), QStringLiteral("Issues (%1)").arg(before + 2));
        QCOMPARE(issues()->topLevelItemCount(), int(before + 2));
        QCOMPARE(issues()->topLevelItem(int(before + 1))->text(IssueTitleColumn),
                 QStringLiteral("New Issue"));
        // The rows already there stay; the last new issue is selected.
        QCOMPARE(issues()->selectedItems(), QList<QTreeWidgetItem*>{issues()->topLevelItem(int(before + 1))});
        QComboBox* type = clickIssueCombo(issues(), int(before), IssueTypeColumn);
        QVERIFY(type);
        QCOMPARE(type->currentText(), QStringLiteral("ERROR"));
    }

    void newCommentWithoutASelectedIssueChangesNothing() {
        open(kUserAssignment30);
        const bcf::BcfData before = model();
        press("pbNewComment");
        QCOMPARE(model(), before);
        QCOMPARE(comments()->topLevelItemCount(), 0);
        QCOMPARE(label("lComments"), QStringLiteral("Comments (0)"));
    }

    void newCommentOnTheSelectedIssue() {
        open(kUserAssignment30);
        selectIssue(*window, 0);
        const std::size_t before = model().markups[0].comments.size();
        QCOMPARE(comments()->topLevelItemCount(), int(before));
        press("pbNewComment");
        const std::vector<bcf::Comment>& list = model().markups[0].comments;
        QCOMPARE(list.size(), before + 1);
        QCOMPARE(list.back().author, std::string("tiv"));
        QVERIFY(list.back().comment.empty());
        QCOMPARE(label("lComments"), QStringLiteral("Comments (%1)").arg(before + 1));
        QCOMPARE(comments()->topLevelItemCount(), int(before + 1));
        QTreeWidgetItem* last = comments()->topLevelItem(int(before));
        QVERIFY(last->text(0).isEmpty());
        QCOMPARE(last->text(1), QStringLiteral("tiv"));
        QCOMPARE(last->text(2), text(formatDateTime(list.back().date)));

        // Its text is typed into the row afterwards.
        last->setText(0, QStringLiteral("Checked on site"));
        QCOMPARE(model().markups[0].comments.back().comment, std::string("Checked on site"));
        QVERIFY(window->hasUnsavedChanges());
    }

    void newSnapshotOnTheSelectedIssue() {
        open(kUserAssignment30);
        selectIssue(*window, 0);
        const std::size_t before = model().markups[0].viewPoints.size();
        QCOMPARE(snapshots()->count(), int(before));
        snapshots()->setCurrentRow(0);
        press("pbNewSnapshot");

        const std::vector<bcf::ViewPoint>& list = model().markups[0].viewPoints;
        QCOMPARE(list.size(), before + 1);
        const bcf::ViewPoint& added = list.back();
        QCOMPARE(added.viewpoint, added.guid + ".bcfv");
        QCOMPARE(added.snapshot, added.guid + ".png");
        QCOMPARE(added.snapshotData, defaultSnapshotImage());
        QCOMPARE(added.visualizationInfo.guid, added.guid);
        QCOMPARE(tabs()->tabText(0), QStringLiteral("Snapshot (%1)").arg(before + 1));

        QCOMPARE(snapshots()->count(), int(before + 1));
        QCOMPARE(snapshots()->currentRow(), 0);
        QListWidgetItem* item = snapshots()->item(int(before));
        QVERIFY(item->text().isEmpty());
        const QVariant decoration =
            snapshots()->model()->data(snapshots()->model()->index(int(before), 0), Qt::DecorationRole);
        QPixmap pixmap = decoration.value<QPixmap>();
        if (pixmap.isNull())
            pixmap = decoration.value<QIcon>().pixmap(150, 150);
        QCOMPARE(pixmap.size(), QSize(150, 150));
        const QImage image = pixmap.toImage();
        QCOMPARE(image.pixelColor(0, 0), QColor(181, 208, 208));
        QCOMPARE(image.pixelColor(149, 149), QColor(181, 208, 208));
        QVERIFY(window->hasUnsavedChanges());
    }

    void newDocumentKeepsTheFileContentAndName() {
        open(kPerspective21);
        const std::size_t before = model().documents.size();
        const int rows = documents()->topLevelItemCount();
        const QByteArray bytes("%PDF-1.4\n\0binary\xff", 18);
        const QString path = writeTempFile(QStringLiteral("plan.pdf"), bytes);
        QVERIFY(addDocument(*window, path));

        QCOMPARE(model().documents.size(), before + 1);
        const bcf::DocumentInfo& document = model().documents.back();
        QCOMPARE(document.filename, std::string("plan.pdf"));
        QCOMPARE(document.dataLoaded, 1);
        QCOMPARE(QByteArray::fromStdString(document.data), bytes);
        QCOMPARE(document.guid.size(), std::size_t(36));
        QCOMPARE(tabs()->tabText(1), QStringLiteral("Documents (%1)").arg(before + 1));
        QCOMPARE(documents()->topLevelItemCount(), rows + 1);
        QCOMPARE(documents()->topLevelItem(rows)->text(0), QStringLiteral("plan.pdf"));
        QCOMPARE(documents()->topLevelItem(rows)->text(1), QStringLiteral("Project"));
        QVERIFY(!(documents()->topLevelItem(rows)->flags() & Qt::ItemIsEditable));
        QVERIFY(window->hasUnsavedChanges());

        // The same file again is a second document, under a name of its own.
        const std::string firstGuid = document.guid;
        QVERIFY(addDocument(*window, path));
        QCOMPARE(model().documents.back().filename, std::string("plan (2).pdf"));
        QVERIFY(model().documents.back().guid != firstGuid);
    }

    void newDocumentWorksWithoutAnIssue() {
        const QString path = writeTempFile(QStringLiteral("notes.txt"), "notes");
        QVERIFY(addDocument(*window, path));
        QCOMPARE(model().documents.size(), std::size_t(1));
        QCOMPARE(tabs()->tabText(1), QStringLiteral("Documents (1)"));
    }

    void cancelledDocumentDialogChangesNothing() {
        open(kPerspective21);
        const bcf::BcfData before = model();
        const QString title = tabs()->tabText(1);
        QVERIFY(addDocument(*window, QString()));
        QCOMPARE(model(), before);
        QCOMPARE(tabs()->tabText(1), title);
        QVERIFY(takeErrorMessage(*window).isEmpty());
        QVERIFY(!window->hasUnsavedChanges());
    }

    void documentTooLargeForAnArchiveIsReportedAndNotAdded() {
        open(kPerspective21);
        const bcf::BcfData before = model();
        const QString path = temp.filePath(QStringLiteral("huge.bin"));
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(bcf::kMaxEntryBytes) + 1)); // sparse: takes no disk space
        huge.close();
        QVERIFY(addDocument(*window, path));
        QCOMPARE(model(), before);
        QVERIFY(takeErrorMessage(*window).contains(QStringLiteral("huge.bin")));
        // The window goes on working.
        QVERIFY(addDocument(*window, writeTempFile(QStringLiteral("small.txt"), "x")));
        QCOMPARE(model().documents.size(), before.documents.size() + 1);
    }

    // Typed into the list (the title) or the description box: written into the topic and signed. A
    // blank title is refused and the previous one restored.
    void typedTextReachesTheTopic_data() {
        QTest::addColumn<bool>("description");
        QTest::addColumn<QString>("typed");
        QTest::newRow("title") << false << QStringLiteral("Renamed in the list");
        QTest::newRow("blank title, refused") << false << QStringLiteral(" \t ");
        QTest::newRow("description") << true << QStringLiteral("Line one\nline two \u2713");
    }

    void typedTextReachesTheTopic() {
        QFETCH(bool, description);
        QFETCH(QString, typed);
        const bool refused = typed.trimmed().isEmpty();
        open(kUserAssignment30);
        QTreeWidgetItem* row = issues()->topLevelItem(0);
        const bcf::Topic before = model().markups[0].topic;
        selectIssue(*window, 0);
        if (description) {
            child<QPlainTextEdit>(*window, "pteDescription")->setPlainText(typed);
        } else {
            issues()->editItem(row, IssueTitleColumn);
            auto* editor = issues()->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            editor->setText(typed);
            QTest::keyClick(editor, Qt::Key_Return);
            // The delegate commits the editor's text from the event loop.
            QTRY_VERIFY(refused
                            ? window->findChild<QMessageBox*>(QStringLiteral("bcfErrorMessage")) != nullptr
                            : row->text(IssueTitleColumn) == typed);
        }
        const bcf::Topic& topic = model().markups[0].topic;
        QCOMPARE(window->hasUnsavedChanges(), !refused);
        QCOMPARE(takeErrorMessage(*window).isEmpty(), !refused);
        QCOMPARE(text(description ? topic.description : topic.title), refused ? text(before.title) : typed);
        QCOMPARE(row->text(IssueTitleColumn), text(topic.title));
        QCOMPARE(text(topic.modifiedAuthor), refused ? text(before.modifiedAuthor) : QStringLiteral("tiv"));
        QCOMPARE(row->text(IssueModifiedByColumn), text(topic.modifiedAuthor));
        QCOMPARE(row->text(IssueDateModifiedColumn), text(formatDateTime(topic.modifiedDate.value_or(""))));
    }

    // New records and edits are signed with the name set in the File menu, or the login name.
    void authorNameFromTheFileMenu_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("author");
        QTest::newRow("set") << QStringLiteral(" Anna Example ") << QStringLiteral("Anna Example");
        QTest::newRow("blank: the login name") << QStringLiteral("  ") << loginName();
    }

    void authorNameFromTheFileMenu() {
        QFETCH(QString, typed);
        QFETCH(QString, author);
        ModalDriver<QInputDialog> answer([typed](QInputDialog* dialog) {
            dialog->setTextValue(typed);
            dialog->accept();
        });
        child<QMenu>(*window, "menuFile")->actions().value(0)->trigger();
        QVERIFY(answer.fired());
        press("pbNewIssue");
        press("pbNewComment");
        QCOMPARE(text(model().markups[0].topic.creationAuthor), author);
        QCOMPARE(text(model().markups[0].comments[0].author), author);
        setAuthorName(QStringLiteral("tiv"));
    }

    void comboBoxChoicesReachTheTopic_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("choice");
        QTest::newRow("type") << int(IssueTypeColumn) << QStringLiteral("CLASH");
        QTest::newRow("status") << int(IssueStatusColumn) << QStringLiteral("CLOSED");
        QTest::newRow("assigned to") << int(IssueAssignedToColumn) << QStringLiteral("Engineer@example.com");
        QTest::newRow("priority") << int(IssuePriorityColumn) << QStringLiteral("HIGH");
    }

    void comboBoxChoicesReachTheTopic() {
        QFETCH(int, column);
        QFETCH(QString, choice);
        open(kUserAssignment30);
        press("pbNewIssue"); // a row appended later: the rows before must work as well
        QTreeWidgetItem* row = issues()->topLevelItem(0);
        QComboBox* box = clickIssueCombo(issues(), 0, column);
        QVERIFY(box);
        QVERIFY(chooseInCombo(box, choice));

        const bcf::Topic& topic = model().markups[0].topic;
        QCOMPARE(issueColumnValue(topic, column).value_or(""), choice.toStdString());
        QCOMPARE(row->text(column), choice);
        QCOMPARE(topic.modifiedAuthor, std::string("tiv"));
        QCOMPARE(row->text(IssueModifiedByColumn), QStringLiteral("tiv"));
        QCOMPARE(row->text(IssueDateModifiedColumn), text(formatDateTime(topic.modifiedDate.value_or(""))));
        QVERIFY(window->hasUnsavedChanges());
        // Other rows are untouched.
        QCOMPARE(model().markups.back().topic.modifiedAuthor, std::string());
    }

    void stageBoxOfAFreshWindowIsEmpty() {
        press("pbNewIssue");
        // A fresh window has no stages: the box is empty and choosing is not possible.
        QComboBox* box = clickIssueCombo(issues(), 0, IssueStageColumn);
        QVERIFY(box);
        QCOMPARE(box->count(), 0);
        QVERIFY(!model().markups[0].topic.modifiedDate);
    }

    void boxesShowTheTopicsOwnValues() {
        open(kUserAssignment30);
        const bcf::Topic& topic = model().markups[0].topic;
        for (int column : kIssueComboColumns) {
            QComboBox* box = clickIssueCombo(issues(), 0, column);
            QVERIFY(box);
            QCOMPARE(box->currentText(), text(issueColumnValue(topic, column).value_or("")));
        }
    }

    void datesAndAuthorsOpenNoEditor() {
        open(kUserAssignment30);
        QTreeWidgetItem* row = issues()->topLevelItem(0);
        const bcf::Topic before = model().markups[0].topic;
        for (int column :
             {int(IssueDateCreatedColumn), int(IssueCreatedByColumn), int(IssueDateModifiedColumn),
              int(IssueModifiedByColumn), int(IssueDueDateColumn)}) {
            issues()->editItem(row, column);
            QVERIFY2(!issues()->viewport()->findChild<QLineEdit*>(), qPrintable(QString::number(column)));
        }
        QCOMPARE(model().markups[0].topic, before);
    }

    void fillingTheListCountsAsNoEdit() {
        open(kUserAssignment30);
        const bcf::BcfData before = model();
        press("pbNewIssue");
        press("pbNewIssue");
        for (std::size_t i = 0; i < before.markups.size(); ++i)
            QCOMPARE(model().markups[i].topic, before.markups[i].topic);
        QCOMPARE(issues()->findChildren<QObject*>(QStringLiteral("issueEditing")).size(), 1);
    }

    void createButtonsAfterACloseDoNothing() {
        open(kUserAssignment30);
        child<QToolButton>(*window, "tbClose")->click();
        QVERIFY(!child<QPushButton>(*window, "pbNewIssue")->isEnabled());
        press("pbNewIssue");
        press("pbNewComment");
        press("pbNewSnapshot");
        QVERIFY(model().markups.empty());
    }
};

EDITING_TEST_MAIN(TestEditingWindow)
#include "test_editing_window.moc"
