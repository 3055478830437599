// The issue list at work: sorting by a header click, search and filters, edits in a sorted list, tooltips and
// new issues.
#include "scenario.h"

#include "ui/issue_editing.h"
#include "ui/issue_list.h"

using namespace uitest;

class TestIssueList : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QTreeWidget* issues() { return child<QTreeWidget>(window.get(), "twIssues"); }

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->resize(1200, 700);
        window->show();
    }
    void cleanup() { window.reset(); }

    // The window after each scenario of test_issue_list/scenarios.steps, against its golden file.
    // data/list.bcf has four topics whose creation dates sort otherwise as displayed text (one has a zone of
    // +02:00), and whose titles otherwise by case.
    void scenarios_data() { scenarioRows(); }

    void scenarios() {
        QFETCH(QString, steps);
        Scenario scenario(*window);
        scenario.run(steps);
        scenario.compareWithGolden();
    }

    // Appended to a sorted and filtered list of hundreds, a new issue is shown, selected and in view.
    void newIssueIsShownSelectedAndInView() {
        Scenario(*window).run(QStringLiteral("open data/list.bcf"));
        for (int i = 0; i < 200; ++i)
            child<QPushButton>(window.get(), "pbNewIssue")->click();
        Scenario(*window).run(QStringLiteral("sort 0; search beam; click pbNewIssue"));
        QCOMPARE(child<QLabel>(window.get(), "lIssues")->text(), QStringLiteral("Issues (205)"));
        QTreeWidgetItem* added = issues()->topLevelItem(204);
        QCOMPARE(markupRow(added), 204);
        QCOMPARE(issues()->selectedItems(), QList<QTreeWidgetItem*>{added});
        QVERIFY(issues()->viewport()->rect().contains(issues()->visualItemRect(added)));
        QCOMPARE(shownMarkupRows(issues()).size(), std::size_t(205));
    }

    // Opened with a title far wider than the window, the list still shows the columns after it.
    void longTitleLeavesTheOtherColumnsInView() {
        Scenario(*window).run(u"open data/list.bcf; title 0 "_s + QString(400, u'W') +
                              u"; answer Discard; reopen"_s);
        QCOMPARE(issues()->topLevelItem(0)->text(IssueTitleColumn).size(), 400);
        QVERIFY(issues()->header()->sectionViewportPosition(IssueStatusColumn) <
                issues()->viewport()->width());
    }

    void toolTipsShowWhatACellCuts_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("tip");
        QTest::newRow("narrow title") << 1 << int(IssueTitleColumn) << 30 << QStringLiteral("Missing door");
        QTest::newRow("wide title") << 1 << int(IssueTitleColumn) << 400 << QString();
        QTest::newRow("narrow status box") << 1 << int(IssueStatusColumn) << 30 << QStringLiteral("Closed");
        QTest::newRow("date as stored")
            << 1 << int(IssueDateCreatedColumn) << 400 << u"2024-01-05T11:00:00+02:00"_s;
        QTest::newRow("first topic's date")
            << 0 << int(IssueDateCreatedColumn) << 400 << u"2024-01-05 10:00:00"_s;
    }

    void toolTipsShowWhatACellCuts() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, width);
        QFETCH(QString, tip);
        Scenario(*window).run(QStringLiteral("open data/list.bcf"));
        issues()->setColumnWidth(column, width);
        const QPoint at(issues()->header()->sectionViewportPosition(column) + 3,
                        issues()->visualItemRect(issues()->topLevelItem(row)).center().y());
        QHelpEvent help(QEvent::ToolTip, at, issues()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(issues()->viewport(), &help);
        // Shown as plain text: escaped, never taken for markup.
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(),
                 tip.isEmpty() ? tip : u"<p>"_s + tip.toHtmlEscaped() + u"</p>"_s);
        QToolTip::hideText();
    }
};

UI_TEST_MAIN(TestIssueList)
#include "test_issue_list.moc"
