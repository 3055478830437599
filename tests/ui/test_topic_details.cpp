// The topic details beside the description: what they show for official archives, label and due
// date edits saved and reopened, and the links they open.
#include "ui_test_support.h"

#include "codec/archive.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace uitest;

// Records the URLs the window hands to the desktop instead of opening them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

namespace {

void selectTopic(MainWindow& window, int row) {
    auto* issues = child<QTreeWidget>(&window, "twIssues");
    issues->setCurrentItem(issues->topLevelItem(row));
}

QString labelText(MainWindow& window, const char* name) {
    return child<QLabel>(&window, name)->text();
}

// Activates the link `target` of the detail label `label`, as a click on it does.
void clickLink(MainWindow& window, const char* label, const QString& target) {
    QVERIFY(labelText(window, label).contains(QStringLiteral("href=\"") + target));
    emit child<QLabel>(&window, label)->linkActivated(target);
}

} // namespace

class TestTopicDetails : public QObject {
    Q_OBJECT

    UrlCatcher catcher;

private slots:
    void initTestCase() {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromUtf8(scheme), &catcher, "open");
    }
    void init() { catcher.opened.clear(); }

    void detailsShowWhatTheTopicCarries_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("topic");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("labels as tags") << "3.0/Markup_Labels.bcf" << 0 << "lLabels"
                                        << "Architects";
        QTest::newRow("header files") << "3.0/Markup_Labels.bcf" << 0 << "lIfcFiles"
                                      << "), BCF-MEP (";
        QTest::newRow("related topic by title")
            << "3.0/Markup_Related_topics_with_both_topics_in_the_same_file.bcf" << 0 << "lRelatedTopics"
            << "Related topic";
        QTest::newRow("missing related topic")
            << "2.1/Markup_related_topics_with_the_other_topic_missing.bcf" << 0 << "lRelatedTopics"
            << "c357e96a-cb90-4ed2-888f-44a7c53e8b75 (missing)";
        QTest::newRow("external document")
            << "3.0/Markup_Document_Reference_External.bcf" << 0 << "lDocumentReferences"
            << "markup.xsd/at_download/file";
        QTest::newRow("BIM snippet") << "2.1/Markup_InternalBIMSnippet.bcf" << 0 << "lBimSnippet"
                                     << "JSON: <a href=\"bim-snippet:\">JsonElement.json</a>";
    }

    void detailsShowWhatTheTopicCarries() {
        QFETCH(QString, archive);
        QFETCH(int, topic);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        MainWindow window;
        openThroughDialog(window, testCase(archive.toUtf8().constData()));
        selectTopic(window, topic);
        QVERIFY(labelText(window, label.toUtf8().constData()).contains(shown));
    }

    void labelAndDueDateEditsAreSaved() {
        MainWindow window;
        openThroughDialog(window, testCase("3.0/Markup_Due_Date.bcf"));
        selectTopic(window, 0);
        auto* due = child<QDateEdit>(&window, "deDueDate");
        QCOMPARE(due->date(), QDate(2021, 3, 15));
        QVERIFY(!window.hasUnsavedChanges());
        auto* labels = child<QComboBox>(&window, "cbLabels");
        QVERIFY(labels->count() > 0);
        const QString listed = labels->itemText(0);
        labels->setCurrentIndex(0);
        emit labels->textActivated(listed);
        labels->lineEdit()->setText(QStringLiteral("Fassade ✓"));
        QTest::keyClick(labels->lineEdit(), Qt::Key_Return);
        QCOMPARE(window.bcfData().markups[0].topic.labels,
                 (std::vector<std::string>{listed.toStdString(), "Fassade ✓"}));
        QVERIFY(labelText(window, "lLabels").contains(QStringLiteral("Fassade ✓")));
        QVERIFY(window.hasUnsavedChanges());
        clickLink(window, "lLabels", QStringLiteral("remove-label:0"));
        QCOMPARE(window.bcfData().markups[0].topic.labels, std::vector<std::string>{"Fassade ✓"});
        due->setDate(QDate(2030, 1, 2));
        QVERIFY(window.bcfData().markups[0].topic.dueDate->starts_with("2030-01-02T00:00:00"));
        QTemporaryDir folder;
        bcf::BcfData data = window.bcfData();
        const std::string dated = folder.filePath(QStringLiteral("dated.bcf")).toStdString();
        bcf::saveArchive(dated, data, bcf::BcfVersion::V3_0);
        child<QToolButton>(&window, "tbClearDueDate")->click();
        QVERIFY(!window.bcfData().markups[0].topic.dueDate);
        QCOMPARE(due->text(), QStringLiteral("None"));
        QVERIFY(child<QTreeWidget>(&window, "twIssues")->topLevelItem(0)->text(10).isEmpty());

        // Reopened: the labels and the due date as edited; cleared, the due date is gone.
        MainWindow reopened;
        openThroughDialog(reopened, QString::fromStdString(dated));
        selectTopic(reopened, 0);
        QCOMPARE(reopened.bcfData().markups[0].topic.labels, std::vector<std::string>{"Fassade ✓"});
        QCOMPARE(child<QDateEdit>(&reopened, "deDueDate")->date(), QDate(2030, 1, 2));
    }

    void linksOpenTheirTargets() {
        MainWindow window;
        openThroughDialog(window,
                          testCase("3.0/Markup_Related_topics_with_both_topics_in_the_same_file.bcf"));
        selectTopic(window, 0);
        const std::string& related = window.bcfData().markups[0].topic.relatedTopics.at(0).guid;
        clickLink(window, "lRelatedTopics", QStringLiteral("topic:") + QString::fromStdString(related));
        const auto selected = child<QTreeWidget>(&window, "twIssues")->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(window.bcfData()
                     .markups[child<QTreeWidget>(&window, "twIssues")->indexOfTopLevelItem(selected[0])]
                     .topic.guid,
                 related);
        // An internal document is written to a temporary file with its bytes and opened there.
        MainWindow documents;
        openThroughDialog(documents, testCase("3.0/Markup_Document_reference_internal.bcf"));
        selectTopic(documents, 0);
        clickLink(documents, "lDocumentReferences", QStringLiteral("document:0"));
        QCOMPARE(catcher.opened.size(), 1);
        QFile written(catcher.opened[0].toLocalFile());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toStdString(), documents.bcfData().documents.at(0).data);
    }
};

QTEST_MAIN(TestTopicDetails)
#include "test_topic_details.moc"
