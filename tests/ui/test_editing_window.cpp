// Editing and saving in the main window: the create buttons, the issue list's editors, the description, the
// author name, the save button (its dialog, the version its filter writes, what lands in the file, checked
// against the official schemas and reopened), "Save changes to ...?" before an open or a close, and the
// records and names the commands make.
#include "test_editing_scenario.h"

#include "codec/guid.h"
#include "codec/version.h"
#include "datetime/local_date_time.h"
#include "ui/records.h"
#include "ui/save_command.h"

#include <QTimeZone>

#include <set>

using namespace editing_test;

class TestEditingWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void cleanup() {
        window.reset();
        setAuthorName(u"tiv"_s);
    }

    // Each row: user steps (see Scenario::run), then what the window shows and holds, compared with
    // tests/data/ui_editing/editsShowInTheWindow/<row>.txt.
    void editsShowInTheWindow_data() {
        QTest::addColumn<QString>("steps");
        const QString users = u"open 3.0/Markup_User_assignment.bcf; "_s;
        const QString camera = u"open 2.1/Visualization_PerspectiveCamera.bcf; "_s;
        QTest::newRow("new issue in a fresh window") << u"press pbNewIssue"_s;
        QTest::newRow("new issues take the first extension values, the rows before stay")
            << users + u"select 0; press pbNewIssue; press pbNewIssue"_s;
        QTest::newRow("a new issue takes the values last chosen for a new one")
            << users + u"press pbNewIssue; choose 1 2 CLOSED; choose 1 9 HIGH; press pbNewIssue"_s;
        QTest::newRow("a value chosen for an older issue is not taken")
            << users + u"choose 0 2 CLOSED; press pbNewIssue"_s;
        QTest::newRow("boxes show the topic's own values") << users + u"boxes 0"_s;
        QTest::newRow("new issue takes the first stage")
            << u"open 3.0/Markup_Milestone.bcf; press pbNewIssue"_s;
        QTest::newRow("new comment needs a selected issue") << users + u"press pbNewComment"_s;
        QTest::newRow("new comment on the selected issue, its text typed")
            << users + u"select 0; press pbNewComment; comment Checked on site"_s;
        QTest::newRow("new comment about the selected snapshot")
            << users + u"select 0; snapshot-row 0; press pbNewComment"_s;
        QTest::newRow("new snapshot, the current one stays")
            << users + u"select 0; snapshot-row 0; press pbNewSnapshot"_s;
        QTest::newRow("the same document twice, under two names")
            << camera + u"write plan.pdf %PDF-1.4; document plan.pdf; document plan.pdf"_s;
        QTest::newRow("document in a fresh window") << u"write notes.txt n; document notes.txt"_s;
        QTest::newRow("cancelled document dialog changes nothing") << camera + u"document -"_s;
        QTest::newRow("document too large is refused, the next one added")
            << camera + u"huge huge.bin; document huge.bin; write small.txt x; document small.txt"_s;
        QTest::newRow("title typed") << users + u"select 0; title 0 Renamed in the list"_s;
        QTest::newRow("blank title refused") << users + u"select 0; title 0 \\s\\t\\s"_s;
        QTest::newRow("description typed") << users + u"select 0; description Line one\\nline two \u2713"_s;
        QTest::newRow("type chosen in a row before a new one")
            << users + u"press pbNewIssue; choose 0 1 CLASH"_s;
        QTest::newRow("status chosen") << users + u"press pbNewIssue; choose 0 2 CLOSED"_s;
        QTest::newRow("assignee chosen") << users + u"choose 0 7 Engineer@example.com"_s;
        QTest::newRow("priority chosen") << users + u"choose 0 9 HIGH"_s;
        QTest::newRow("the value shown chosen again changes nothing") << users + u"choose 0 1 ERROR"_s;
        QTest::newRow("boxes of a fresh window are empty") << u"press pbNewIssue; boxes 0"_s;
        QTest::newRow("dates and authors open no editor") << users + u"editors 0"_s;
        QTest::newRow("author name from the File menu signs new records")
            << u"author \\sAnna Example\\s; press pbNewIssue; press pbNewComment"_s;
        QTest::newRow("blank author name: the login name signs") << u"author \\s; press pbNewIssue"_s;
        QTest::newRow("create buttons after a close do nothing")
            << users + u"select 0; press tbClose; press pbNewIssue; press pbNewComment; "
                       "press pbNewSnapshot; write a.txt a; document a.txt"_s;
    }
    void editsShowInTheWindow() {
        QFETCH(QString, steps);
        Scenario scenario(*window);
        scenario.run(steps);
        compareWithGolden(scenario.outcome());
    }

    // Each row: user steps (see Scenario::run), then what the window shows, what each step logged (dialogs,
    // messages, written entries, schema errors) and the model, compared with
    // tests/data/ui_editing/savesAndQuestions/<row>.txt.
    void savesAndQuestions_data() {
        QTest::addColumn<QString>("steps");
        const QString documents = u"open 3.0/Markup_Document_reference_internal.bcf; "_s;
        const QString edited = documents + u"press pbNewIssue; "_s;
        const QString opened =
            u"copy 3.0/Markup_Document_reference_internal.bcf opened.bcf; open opened.bcf; "_s;
        // One of each record and an edit on the first topic, saved and opened again.
        const QString edits = u"select 0; press pbNewComment; comment Checked on site \u2713; "
                              "press pbNewSnapshot; title 0 Edited; write photo.jpg site photo; "
                              "document photo.jpg; press pbNewIssue; save saved.bcf "_s;
        const QString camera = u"open 2.1/Visualization_PerspectiveCamera.bcf; "_s + edits;

        QTest::newRow("fresh window: 3.0 under the first filter")
            << u"press pbNewIssue; save fresh.bcf first; open fresh.bcf"_s;
        QTest::newRow("after a close, all files: 3.0")
            << opened + u"press tbClose; save closed.bcf all; open closed.bcf"_s;
        QTest::newRow("after a cancelled save dialog, the opened file is proposed")
            << opened + u"save - first; press pbNewIssue; save again.bcf first"_s;
        QTest::newRow("after a cancelled open dialog, the opened file is proposed")
            << opened + u"cancel-open; press pbNewIssue; save again.bcf first"_s;
        QTest::newRow("each save asks again and leaves the opened file")
            << opened + u"press pbNewIssue; save first.bcf 2.1; save second.bcfzip 3.0; "
                        "same opened.bcf 3.0/Markup_Document_reference_internal.bcf"_s;
        QTest::newRow("save writes the opened file in its version, without a dialog")
            << u"copy 2.1/Visualization_PerspectiveCamera.bcf in-place.bcf; open in-place.bcf; "
               "press pbNewIssue; press tbSave; open in-place.bcf"_s;
        QTest::newRow("saving over the opened file keeps its payloads")
            << u"copy 3.0/Markup_User_assignment.bcf in-place.bcf; open in-place.bcf; "
               "press pbNewIssue; save in-place.bcf first; open in-place.bcf"_s;
        QTest::newRow("a damaged payload costs only itself")
            << u"damage damaged.bcf; open damaged.bcf; save saved.bcf 3.0; press pbNewIssue"_s;
        QTest::newRow("an impossible target is reported, the next save works")
            << documents +
                   u"write plain x; write x x; save plain/out.bcf 3.0; same plain x; save good.bcf 3.0"_s;

        QTest::newRow("2.1 saved as 2.1") << camera + u"2.1; open saved.bcf"_s;
        QTest::newRow("2.1 saved as 3.0") << camera + u"3.0; open saved.bcf"_s;
        QTest::newRow("2.1 under the first filter") << camera + u"first; open saved.bcf"_s;
        QTest::newRow("3.0 saved as 2.1") << documents + edits + u"2.1; open saved.bcf"_s;
        QTest::newRow("3.0 saved as 3.0") << documents + edits + u"3.0; open saved.bcf"_s;
        QTest::newRow("3.0 under all files") << documents + edits + u"all; open saved.bcf"_s;
        QTest::newRow("3.0 with users saved as 2.1")
            << u"open 3.0/Markup_User_assignment.bcf; "_s + edits + u"2.1; open saved.bcf"_s;

        QTest::newRow("close, cancelled: everything stays") << edited + u"answer cancel; press tbClose"_s;
        QTest::newRow("close, discarded") << edited + u"answer discard; press tbClose"_s;
        QTest::newRow("close, saved first, in place")
            << opened + u"press pbNewIssue; answer save; press tbClose; open opened.bcf"_s;
        QTest::newRow("close, saved first, a new archive asks for its file")
            << u"press pbNewIssue; answer save guarded 3.0; press tbClose; open guarded.bcf"_s;
        QTest::newRow("close, its save cancelled: everything stays")
            << u"press pbNewIssue; answer save - 3.0; press tbClose"_s;
        QTest::newRow("open, cancelled: everything stays")
            << edited + u"answer cancel; open 3.0/Markup_User_assignment.bcf"_s;
        QTest::newRow("open, discarded") << edited + u"answer discard; open 3.0/Markup_User_assignment.bcf"_s;
        QTest::newRow("open of a text file fails, the edits stay")
            << edited + u"write text.bcf not a ZIP archive; answer discard; open text.bcf"_s;
        QTest::newRow("open of BCF 2.0 fails, the edits stay")
            << edited + u"zip20 2.0.bcf; answer discard; open 2.0.bcf"_s;
        QTest::newRow("no question without edits") << documents + u"answer cancel; press tbClose"_s;
        QTest::newRow("no question after a save")
            << edited + u"save s.bcf 3.0; answer cancel; press tbClose"_s;
        QTest::newRow("the question names a new archive")
            << u"press pbNewIssue; answer cancel; press tbClose"_s;
    }
    void savesAndQuestions() {
        QFETCH(QString, steps);
        Scenario scenario(*window);
        scenario.fetchPayloads = true;
        scenario.run(steps);
        compareWithGolden(scenario.outcome());
    }

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

    void newGuidsAreLowerCaseAndUnique() {
        static const QRegularExpression guid(u"^[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}$"_s);
        std::set<std::string> seen;
        for (int i = 0; i < 100; ++i) {
            const std::string text = bcf::generateGuid();
            QVERIFY2(guid.match(QString::fromStdString(text)).hasMatch() && seen.insert(text).second,
                     text.c_str());
        }
    }
};

EDITING_TEST_MAIN(TestEditingWindow)
#include "test_editing_window.moc"
