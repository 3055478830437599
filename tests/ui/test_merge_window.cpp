// "Merge archive…" in the window: one undoable step whose result is what the codec's merge gives,
// a summary whose topics select, and the banner that lists an archive's problems.
#include "codec/merge.h"
#include "codec/payloads.h"
#include "scenario.h"
#include "ui/bcf_session.h"
#include "ui/issue_editing.h"
#include "ui/validation_banner.h"
#include "validate/validation.h"

#include <QTextDocumentFragment>

using namespace uitest;

namespace {

// The topics of `data` as "GUID title (comments/viewpoints)", in order.
QStringList topicLines(const bcf::BcfData& data) {
    QStringList lines;
    for (const bcf::Markup& markup : data.markups)
        lines << QStringLiteral("%1 %2 (%3/%4)")
                     .arg(QString::fromStdString(markup.topic.guid),
                          QString::fromStdString(markup.topic.title))
                     .arg(markup.comments.size())
                     .arg(markup.viewPoints.size());
    return lines;
}

// The summary of the last merge (that of an earlier one is closed).
QDialog* shownSummary(const MainWindow& window) {
    for (auto* dialog : window.findChildren<QDialog*>(u"bcfMergeSummary"_s))
        if (dialog->isVisible())
            return dialog;
    return nullptr;
}

void triggerMerge(MainWindow& window, const QString& path) {
    answerFileDialog(child<QAction>(&window, "actionMergeArchive"), path);
}

} // namespace

class TestMergeWindow : public QObject {
    Q_OBJECT

private slots:
    // Each row: an official archive split in two (the base keeps the first `keep` topics, the
    // other holds all of them with the first topic's title changed later), merged in the window.
    void mergeIsOneUndoableStep_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QString>("otherVersion");
        QTest::newRow("2.1 halves") << u"2.1/Markup_MaximumInformation.bcf"_s << 0 << u"2.1"_s;
        QTest::newRow("3.0 halves") << u"3.0/Markup_Related_topics_with_both_topics_in_the_same_file.bcf"_s
                                    << 1 << u"3.0"_s;
        QTest::newRow("2.1 base, 3.0 other") << u"2.1/Markup_MaximumInformation.bcf"_s << 1 << u"3.0"_s;
    }

    void mergeIsOneUndoableStep() {
        QFETCH(QString, archive);
        QFETCH(int, keep);
        QFETCH(QString, otherVersion);
        QTemporaryDir folder;
        const std::string basePath = folder.filePath(u"base.bcf"_s).toStdString();
        const QString otherPath = folder.filePath(u"other.bcf"_s);

        bcf::BcfDocument source = bcf::loadArchive(testCase(archive.toUtf8().constData()).toStdString());
        bcf::BcfDocument base = bcf::loadArchive(testCase(archive.toUtf8().constData()).toStdString());
        base.data.markups.resize(static_cast<std::size_t>(keep));
        bcf::saveArchive(basePath, base, base.data.version);
        bcf::Topic& edited = source.data.markups[0].topic;
        edited.title = "Merged title";
        edited.modifiedDate = "2099-01-01T00:00:00Z";
        bcf::saveArchive(otherPath.toStdString(), source,
                         otherVersion == u"2.1"_s ? bcf::BcfVersion::V2_1 : bcf::BcfVersion::V3_0);

        MainWindow window;
        Scenario(window).run(u"open "_s + QString::fromStdString(basePath) + u"; show"_s);
        const QStringList before = topicLines(window.bcfData());
        const bcf::MergeResult expected =
            bcf::mergeArchives(bcf::loadArchive(basePath), bcf::loadArchive(otherPath.toStdString()));

        triggerMerge(window, otherPath);
        QVERIFY(!errorBox(window));
        const QStringList merged = topicLines(window.bcfData());
        QCOMPARE(merged, topicLines(expected.data));
        QCOMPARE(merged.size(), static_cast<qsizetype>(source.data.markups.size()));
        QVERIFY(merged.join(u'\n').contains(u"Merged title"_s));
        QVERIFY(window.hasUnsavedChanges());

        // The summary lists each changed topic; choosing one selects it in the issue list.
        QDialog* summary = shownSummary(window);
        QVERIFY(summary && summary->isVisible());
        auto* topics = child<QTreeWidget>(summary, "twMergedTopics");
        QCOMPARE(topics->topLevelItemCount(), static_cast<int>(expected.summary.topics.size()));
        QVERIFY(child<QLabel>(summary, "lMergeSummary")->text().contains(u"topic"_s));
        const int last = topics->topLevelItemCount() - 1;
        topics->setCurrentItem(topics->topLevelItem(last));
        QTreeWidgetItem* selected = child<QTreeWidget>(&window, "twIssues")->currentItem();
        QVERIFY(selected);
        QCOMPARE(selected->text(IssueTitleColumn),
                 QString::fromStdString(expected.summary.topics.back().title));

        // Merging the same archive again changes nothing and adds no step to undo.
        const int steps = window.session().undoStack()->count();
        triggerMerge(window, otherPath);
        QCOMPARE(window.session().undoStack()->count(), steps);
        QDialog* again = shownSummary(window);
        QVERIFY(child<QLabel>(again, "lMergeSummary")->text().contains(u"nothing"_s));
        QVERIFY(!child<QTreeWidget>(again, "twMergeConflicts")->isVisible()); // no conflicts, no table

        // Undo gives the base back; redo the merge; the save holds what the codec's merge holds.
        window.session().undoStack()->undo();
        QCOMPARE(topicLines(window.bcfData()), before);
        QVERIFY(!window.hasUnsavedChanges());
        window.session().undoStack()->redo();
        QCOMPARE(topicLines(window.bcfData()), merged);
        const QString saved = folder.filePath(u"saved.bcf"_s);
        window.session().save(saved.toStdString(), bcf::BcfVersion::V3_0);
        QCOMPARE(topicLines(bcf::loadArchive(saved.toStdString()).data), merged);
    }

    // The summary names what each topic took (comments added and updated, a viewpoint added, an
    // added topic) and every conflict, a comment's marked as such.
    void summaryNamesEveryChange() {
        QTemporaryDir folder;
        const QString basePath = folder.filePath(u"base.bcf"_s), otherPath = folder.filePath(u"other.bcf"_s);
        bcf::BcfDocument base = bcf::loadArchive(testCase("2.1/Markup_MaximumInformation.bcf").toStdString());
        bcf::fetchPayloads(base);
        bcf::BcfDocument other = base;
        bcf::Markup& first = other.data.markups[0];
        bcf::Comment added = first.comments[0];
        added.guid = "0b0b0b0b-0000-4000-8000-000000000001";
        added.date = "2099-01-01T00:00:00Z";
        added.comment = "added in the other";
        first.comments.push_back(added);
        first.comments[1].comment = "edited later";
        first.comments[1].modifiedDate = "2099-01-02T00:00:00Z";
        bcf::ViewPoint viewPoint = first.viewPoints[0];
        viewPoint.guid = viewPoint.visualizationInfo.guid = "0b0b0b0b-0000-4000-8000-000000000002";
        viewPoint.viewpoint = "other.bcfv";
        viewPoint.snapshot = "other.png";
        first.viewPoints.push_back(viewPoint);
        for (bcf::BcfData* data : {&base.data, &other.data}) {
            const bool isBase = data == &base.data;
            data->markups[0].comments[2].comment = isBase ? "kept here" : "said there";
            data->markups[0].comments[2].modifiedDate = "2099-01-03T00:00:00Z";
            data->markups[0].topic.title = isBase ? "Base title" : "Other title";
            data->markups[0].topic.modifiedDate = "2099-01-04T00:00:00Z";
        }
        other.data.name = "Other project";
        bcf::Markup topic = other.data.markups[1];
        topic.topic.guid = "0b0b0b0b-0000-4000-8000-000000000003";
        topic.topic.title = "Added topic";
        topic.sourceFolder.reset();
        other.data.markups.push_back(topic);
        bcf::saveArchive(basePath.toStdString(), base, bcf::BcfVersion::V2_1);
        bcf::saveArchive(otherPath.toStdString(), other, bcf::BcfVersion::V2_1);

        MainWindow window;
        Scenario(window).run(u"open "_s + basePath + u"; show"_s);
        triggerMerge(window, otherPath);
        QDialog* summary = shownSummary(window);
        QVERIFY(summary);
        QStringList lines{child<QLabel>(summary, "lMergeSummary")->text()};
        for (const char* name : {"twMergedTopics", "twMergeConflicts"}) {
            auto* table = child<QTreeWidget>(summary, name);
            for (int i = 0; i < table->topLevelItemCount(); ++i) {
                QStringList cells;
                for (int column = 0; column < table->columnCount(); ++column) {
                    const QTreeWidgetItem* item = table->topLevelItem(i);
                    cells << item->text(column);
                    // Hovering a cell shows its whole text, however narrow its column.
                    QCOMPARE(QTextDocumentFragment::fromHtml(item->toolTip(column)).toPlainText(),
                             item->text(column));
                }
                lines << cells.join(u" | "_s);
            }
        }
        compareWithGolden(lines.join(u'\n') + u'\n');
        QVERIFY(child<QTreeWidget>(summary, "twMergeConflicts")->isVisible());
        // Choosing a row selects its topic in the issue list, the archive's first topic too.
        auto* topics = child<QTreeWidget>(summary, "twMergedTopics");
        for (const int row : {1, 0}) {
            topics->setCurrentItem(topics->topLevelItem(row));
            QCOMPARE(child<QTreeWidget>(&window, "twIssues")->currentItem()->text(IssueTitleColumn),
                     topics->topLevelItem(row)->text(0));
        }
    }

    void unreadableArchiveChangesNothing() {
        QTemporaryDir folder;
        const QString broken = folder.filePath(u"broken.bcf"_s);
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("PK not really") > 0);
        file.close();
        MainWindow window;
        Scenario(window).run(u"open 2.1/Markup_MaximumInformation.bcf; show"_s);
        const QStringList before = topicLines(window.bcfData());
        triggerMerge(window, broken);
        QVERIFY(errorBox(window));
        QCOMPARE(topicLines(window.bcfData()), before);
        QCOMPARE(window.session().undoStack()->count(), 0);
    }

    // Each row: an archive and whether the banner shows its problems; a save of ours clears it.
    void bannerShowsProblems_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("problems");
        QTest::newRow("valid") << u"3.0/Markup_Minimum_information.bcf"_s << false;
        QTest::newRow("related topic missing")
            << u"2.1/Markup_related_topics_with_the_other_topic_missing.bcf"_s << true;
    }

    void bannerShowsProblems() {
        QFETCH(QString, archive);
        QFETCH(bool, problems);
        const QString path = testCase(archive.toUtf8().constData());
        const bcf::ValidationReport expected =
            bcf::validateArchive(path.toStdString(), bcf::findSchemaDirectory());
        QCOMPARE(expected.valid(), !problems);

        MainWindow window;
        auto* banner = child<ValidationBanner>(&window, "validationBanner");
        QSignalSpy checked(banner, &ValidationBanner::checked);
        Scenario(window).run(u"open "_s + archive + u"; show"_s);
        QTRY_COMPARE_WITH_TIMEOUT(checked.count(), 1, 60000);
        QCOMPARE(banner->isVisible(), problems);
        QCOMPARE(banner->report().findings, expected.findings);
        if (!problems)
            return;
        const std::size_t count = expected.findings.size();
        QCOMPARE(child<QLabel>(banner, "lValidation")->text(),
                 u"%1 problem%2 in this archive \u2014 <a href=\"details\">Details</a>"_s.arg(count).arg(
                     count == 1 ? u""_s : u"s"_s));
        // It stands out from the window: most of it is its own pale yellow.
        const QImage shown = window.grab(QRect(banner->mapTo(&window, QPoint()), banner->size())).toImage();
        int yellow = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                yellow += shown.pixelColor(x, y) == QColor(0xff, 0xf4, 0xce);
        QVERIFY2(yellow > shown.width() * shown.height() / 2, qPrintable(QString::number(yellow)));
        emit child<QLabel>(banner, "lValidation")->linkActivated(u"details"_s);
        auto* details = child<QDialog>(&window, "bcfValidationDetails");
        QVERIFY(details);
        auto* findings = child<QTreeWidget>(details, "twValidationFindings");
        QCOMPARE(findings->topLevelItemCount(), static_cast<int>(count));
        const bcf::ValidationFinding& first = expected.findings.front();
        QStringList cells;
        for (int column = 0; column < findings->columnCount(); ++column)
            cells << findings->topLevelItem(0)->text(column);
        QCOMPARE(cells,
                 (QStringList{QString::fromStdString(first.entry), QString::number(first.line),
                              QString::number(first.column), QString::fromUtf8(bcf::ruleName(first.rule)),
                              QString::fromStdString(first.message)}));

        // A save checks the written file: a relation to a missing topic is still one.
        QTemporaryDir folder;
        const std::string saved = folder.filePath(u"saved.bcf"_s).toStdString();
        window.session().save(saved, bcf::BcfVersion::V3_0);
        QTRY_COMPARE_WITH_TIMEOUT(checked.count(), 2, 60000);
        QCOMPARE(banner->report().findings, bcf::validateArchive(saved, bcf::findSchemaDirectory()).findings);
        QCOMPARE(banner->isVisible(), !banner->report().valid());
    }
};

UI_TEST_MAIN(TestMergeWindow)
#include "test_merge_window.moc"
