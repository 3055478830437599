// The issue list at work: sorting by a header click, search and filters, tooltips and new issues.
#include "ui_test_support.h"

#include "codec/archive.h"
#include "ui/issue_editing.h"
#include "ui/issue_list.h"
#include "ui/records.h"

#include <QHelpEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolTip>

using namespace uitest;
using Rows = std::vector<int>;

namespace {

// Four topics whose creation dates sort otherwise as displayed text (one has a zone of +02:00),
// and whose titles otherwise by case; then `fillers` more.
bcf::BcfData sampleModel(int fillers = 0) {
    bcf::BcfData data;
    data.version = bcf::BcfVersion::V3_0;
    data.projectId = newGuidText();
    data.topicTypes = {"Clash", "Remark"};
    data.topicStatuses = {"Open", "Closed"};
    const struct {
        const char *title, *type, *status, *created, *description, *comment, *author;
    } rows[] = {
        {"beam clash", "Clash", "Open", "2024-01-05T10:00:00Z", "", "Lower the duct", "alice@example.com"},
        {"Missing door", "Remark", "Closed", "2024-01-05T11:00:00+02:00", "", "Tür fehlt", "bob@example.com"},
        {"Wall opening", "Remark", "Open", "2024-02-01T08:00:00Z", "Core drilling", "", "carol@example.com"},
        {"Duct route", "Clash", "Open", "2023-11-20T09:00:00Z", "", "Reroute", "alice@example.com"},
    };
    for (int i = 0; i < 4 + fillers; ++i) {
        const auto& row = rows[std::min(i, 3)];
        bcf::Markup markup;
        bcf::Topic& topic = markup.topic;
        topic.guid = newGuidText();
        topic.title = i < 4 ? row.title : "Filler";
        topic.topicType = row.type;
        topic.topicStatus = row.status;
        topic.creationDate = row.created;
        topic.creationAuthor = row.author;
        topic.description = row.description;
        if (i == 3)
            topic.labels = {"Fire safety"};
        if (*row.comment) {
            bcf::Comment comment;
            comment.guid = newGuidText();
            comment.date = row.created;
            comment.author = row.author;
            comment.comment = row.comment;
            markup.comments.push_back(comment);
        }
        data.markups.push_back(std::move(markup));
    }
    return data;
}

} // namespace

class TestIssueList : public QObject {
    Q_OBJECT

    QTemporaryDir temp;
    std::unique_ptr<MainWindow> window;
    QTreeWidget* issues() { return child<QTreeWidget>(window.get(), "twIssues"); }
    QString countLabel() { return child<QLabel>(window.get(), "lIssues")->text(); }

    void open(int fillers = 0) {
        bcf::BcfData data = sampleModel(fillers);
        const QString path = temp.filePath(QStringLiteral("list.bcf"));
        bcf::saveArchive(path.toStdString(), data, bcf::BcfVersion::V3_0);
        openThroughDialog(*window, path);
        QCOMPARE(issues()->topLevelItemCount(), 4 + fillers);
    }

    void clickHeader(int column, int clicks) {
        QHeaderView* header = issues()->header();
        for (int i = 0; i < clicks; ++i) // apart, so that no two clicks make a double click
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(column) + 4 + 10 * i, header->height() / 2));
    }

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
    void init() {
        window = std::make_unique<MainWindow>();
        window->resize(1200, 700);
        window->show();
    }
    void cleanup() { window.reset(); }

    void headerClicksSort_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<Rows>("order");
        QTest::newRow("title, ignoring case") << int(IssueTitleColumn) << 1 << Rows{0, 3, 1, 2};
        QTest::newRow("title reversed") << int(IssueTitleColumn) << 2 << Rows{2, 1, 3, 0};
        QTest::newRow("dates as dates") << int(IssueDateCreatedColumn) << 1 << Rows{3, 1, 0, 2};
        QTest::newRow("dates reversed") << int(IssueDateCreatedColumn) << 2 << Rows{2, 0, 1, 3};
        QTest::newRow("status, equal ones keep their order")
            << int(IssueStatusColumn) << 1 << Rows{1, 0, 2, 3};
    }

    void headerClicksSort() {
        QFETCH(int, column);
        QFETCH(int, clicks);
        QFETCH(Rows, order);
        open();
        issues()->topLevelItem(1)->setSelected(true);
        clickHeader(column, clicks);
        QCOMPARE(shownMarkupRows(issues()), order);
        // The selection and the editors follow the topics, not the row numbers.
        QCOMPARE(markupRow(issues()->selectedItems().value(0)), 1);
        child<QPushButton>(window.get(), "pbNewComment")->click();
        QCOMPARE(window->bcfData().markups[1].comments.size(), std::size_t(2));
        QComboBox* status = clickIssueCombo(issues(), 0, IssueStatusColumn);
        QVERIFY(status && chooseInCombo(status, QStringLiteral("Closed")));
        QCOMPARE(window->bcfData().markups[std::size_t(order[0])].topic.topicStatus, std::string("Closed"));
    }

    void searchAndFiltersHideRows_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("status");
        QTest::addColumn<Rows>("shown");
        QTest::newRow("title in other case") << QStringLiteral("BEAM") << QString() << Rows{0};
        QTest::newRow("comment text beyond ASCII") << QStringLiteral("TÜR") << QString() << Rows{1};
        QTest::newRow("description") << QStringLiteral("drilling") << QString() << Rows{2};
        QTest::newRow("author") << QStringLiteral("alice@") << QString() << Rows{0, 3};
        QTest::newRow("label") << QStringLiteral("fire") << QString() << Rows{3};
        QTest::newRow("status only") << QString() << QStringLiteral("Open") << Rows{0, 2, 3};
        QTest::newRow("search and status") << QStringLiteral("duct") << QStringLiteral("Open") << Rows{0, 3};
        QTest::newRow("nothing matches") << QStringLiteral("zzz") << QString() << Rows{};
    }

    void searchAndFiltersHideRows() {
        QFETCH(QString, search);
        QFETCH(QString, status);
        QFETCH(Rows, shown);
        open();
        issues()->topLevelItem(0)->setSelected(true);
        QTest::keyClicks(child<QLineEdit>(window.get(), "leIssueSearch"), search);
        auto* statusFilter = child<QComboBox>(window.get(), "cbIssueStatus");
        if (!status.isEmpty())
            statusFilter->setCurrentIndex(statusFilter->findText(status));
        QCOMPARE(shownMarkupRows(issues()), shown);
        QCOMPARE(countLabel(), QStringLiteral("Issues (%1 of 4)").arg(shown.size()));
        // A hidden topic is not left selected.
        QCOMPARE(issues()->selectedItems().size(), std::count(shown.begin(), shown.end(), 0));

        child<QLineEdit>(window.get(), "leIssueSearch")->clear();
        statusFilter->setCurrentIndex(0);
        QCOMPARE(shownMarkupRows(issues()), (Rows{0, 1, 2, 3}));
        QCOMPARE(countLabel(), QStringLiteral("Issues (4)"));
    }

    void newIssueIsShownSelectedAndInView() {
        open(200);
        clickHeader(IssueTitleColumn, 1);
        QTest::keyClicks(child<QLineEdit>(window.get(), "leIssueSearch"), QStringLiteral("beam"));
        child<QPushButton>(window.get(), "pbNewIssue")->click();
        QCOMPARE(countLabel(), QStringLiteral("Issues (205)"));
        QTreeWidgetItem* added = issues()->topLevelItem(204);
        QCOMPARE(markupRow(added), 204);
        QCOMPARE(issues()->selectedItems(), QList<QTreeWidgetItem*>{added});
        QVERIFY(issues()->viewport()->rect().contains(issues()->visualItemRect(added)));
        QCOMPARE(shownMarkupRows(issues()).size(), std::size_t(205));
    }

    void toolTipsShowWhatACellCuts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("tip");
        QTest::newRow("narrow title") << int(IssueTitleColumn) << 30 << QStringLiteral("Missing door");
        QTest::newRow("wide title") << int(IssueTitleColumn) << 400 << QString();
        QTest::newRow("narrow status box") << int(IssueStatusColumn) << 30 << QStringLiteral("Closed");
        QTest::newRow("date as stored")
            << int(IssueDateCreatedColumn) << 400 << QStringLiteral("2024-01-05T11:00:00+02:00");
    }

    void toolTipsShowWhatACellCuts() {
        QFETCH(int, column);
        QFETCH(int, width);
        QFETCH(QString, tip);
        open();
        issues()->setColumnWidth(column, width);
        QTreeWidgetItem* item = issues()->topLevelItem(1);
        const QPoint at(issues()->header()->sectionViewportPosition(column) + 3,
                        issues()->visualItemRect(item).center().y());
        QHelpEvent help(QEvent::ToolTip, at, issues()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(issues()->viewport(), &help);
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestIssueList)
#include "test_issue_list.moc"
