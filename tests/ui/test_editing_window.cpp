// Editing and saving in the main window: the create buttons, the issue list's editors, the description, the
// author name, the save button (its dialog, the version its filter writes, what lands in the file, checked
// against the official schemas and reopened), "Save changes to ...?" before an open or a close, and the
// records and names the commands make.
#include "scenario.h"

#include "codec/guid.h"
#include "codec/version.h"
#include "datetime/local_date_time.h"
#include "ui/records.h"
#include "ui/save_command.h"

#include <QTimeZone>

#include <set>

using namespace uitest;

class TestEditingWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    void runScenario(bool fetchPayloads) {
        QFETCH(QString, steps);
        Scenario scenario(*window);
        scenario.withModel = true;
        scenario.fetchPayloads = fetchPayloads;
        scenario.run(steps);
        scenario.compareWithGolden();
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void cleanup() {
        window.reset();
        setAuthorName(u"tiv"_s);
    }

    // The window, the log and the model after each scenario of test_editing_window/<function>.steps: edits
    // and what they show; saves (their dialogs, messages, written entries checked against the official
    // schemas) and the questions before an open or a close.
    void editsShowInTheWindow_data() { scenarioRows(); }
    void editsShowInTheWindow() { runScenario(false); }
    void savesAndQuestions_data() { scenarioRows(); }
    void savesAndQuestions() { runScenario(true); }

    // One row per case: the function, its input (parts joined by " | ") and what it returns.
    void recordsAndNames_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* function, const char* input, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(function) << QString::fromUtf8(input)
                                << QString::fromUtf8(expected);
        };
        // Times are written with their own offset from UTC, in whole seconds.
        row("time one hour east of UTC", "time", "2024-03-07T09:05:41.123+01:00",
            "2024-03-07T09:05:41.000+01:00");
        row("time 5:30 west of UTC", "time", "2023-12-31T23:59:59-05:30", "2023-12-31T23:59:59.000-05:30");
        row("time in UTC", "time", "2024-01-02T03:04:05Z", "2024-01-02T03:04:05.000+00:00");
        row("time of a named zone in summer", "time", "2024-07-01T12:00:00 | Europe/Berlin",
            "2024-07-01T12:00:00.000+02:00");
        // A document keeps its file name without folders, unless another document or a root file of a 2.1
        // archive (here with the extension schema custom.xsd) has it.
        row("document: folders are dropped", "document", "/home/a/plan.pdf", "plan.pdf");
        row("document: relative path", "document", "docs/plan.pdf", "plan.pdf");
        row("document: name of another document", "document", "/t/plan.pdf | plan.pdf", "plan (2).pdf");
        row("document: names of two others", "document", "/t/plan.pdf | plan.pdf, plan (2).pdf",
            "plan (3).pdf");
        row("document: the version file", "document", "/t/bcf.version", "bcf (2).version");
        row("document: the project file, other case", "document", "/t/Project.bcfp", "Project (2).bcfp");
        row("document: the extensions file", "document", "/t/extensions.xml", "extensions (2).xml");
        row("document: the extension schema", "document", "/t/custom.xsd", "custom (2).xsd");
        row("document: a markup file", "document", "/t/markup.bcf", "markup (2).bcf");
        row("document: no extension", "document", "/t/README | README", "README (2)");
        row("document: taken, starting with its dot", "document", "/t/.hidden | .hidden", ".hidden (2)");
        row("document: backslash in a name", "document", "/t/a\\b.txt", "a_b.txt");
        row("document: unicode", "document", "/t/Grundri\u00df \u00c4.pdf", "Grundri\u00df \u00c4.pdf");
        // The save dialog's filters (in their order), and the version each writes for a loaded one.
        row("save filters", "filters", "",
            "BCF Files (*.bcf *.bcfzip);;BCF 2.1 (*.bcf *.bcfzip);;BCF 3.0 (*.bcf *.bcfzip);;All files "
            "(*.*)");
        row("save: first filter keeps 2.1", "save", "BCF Files (*.bcf *.bcfzip) | 2.1", "2.1");
        row("save: first filter keeps 3.0", "save", "BCF Files (*.bcf *.bcfzip) | 3.0", "3.0");
        row("save: 2.1 filter", "save", "BCF 2.1 (*.bcf *.bcfzip) | 3.0", "2.1");
        row("save: 3.0 filter", "save", "BCF 3.0 (*.bcf *.bcfzip) | 2.1", "3.0");
        row("save: all files keeps the loaded version", "save", "All files (*.*) | 2.1", "2.1");
        row("save: other case is another filter", "save", "bcf 3.0 (*.bcf *.bcfzip) | 2.1", "2.1");
        row("save: never loaded, 3.0", "save", "BCF Files (*.bcf *.bcfzip) | 2.0", "3.0");
        row("save: never loaded, all files, 3.0", "save", "All files (*.*) | 2.0", "3.0");
    }
    void recordsAndNames() {
        QFETCH(QString, function);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QStringList part = input.split(u" | "_s);
        std::string actual;
        if (function == u"time"_s) {
            QDateTime time = QDateTime::fromString(part[0], Qt::ISODateWithMs);
            if (part.size() > 1)
                time = QDateTime(time.date(), time.time(), QTimeZone(part[1].toUtf8()));
            actual = bcf::storedDateTimeText(time);
        } else if (function == u"document"_s) {
            bcf::BcfData data;
            data.extensionSchema = "custom.xsd";
            for (const QString& name : part.value(1).split(u", "_s, Qt::SkipEmptyParts))
                data.documents.push_back(newDocument(name.toStdString(), {}));
            actual = documentFileName(part[0], data);
        } else if (function == u"filters"_s) {
            actual = saveFilters().toStdString();
        } else {
            const int loaded = QStringList{u"2.0"_s, u"2.1"_s}.indexOf(part[1]);
            actual =
                bcf::versionText(saveVersionForFilter(part[0], bcf::BcfVersion(loaded < 0 ? 2 : loaded)));
        }
        QCOMPARE(QString::fromStdString(actual), expected);
    }

    // Random GUIDs of RFC 4122: version 4, variant bits 10.
    void newGuidsAreLowerCaseAndUnique() {
        static const QRegularExpression guid(
            u"^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"_s);
        std::set<std::string> seen;
        for (int i = 0; i < 100; ++i) {
            const std::string text = bcf::generateGuid();
            QVERIFY2(guid.match(QString::fromStdString(text)).hasMatch() && seen.insert(text).second,
                     text.c_str());
        }
    }
};

UI_TEST_MAIN(TestEditingWindow)
#include "test_editing_window.moc"
