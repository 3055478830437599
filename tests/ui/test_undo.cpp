// Undo and redo of every kind of edit in the real window: the model and the archive a save writes
// are as before the edit after an undo and as after it after a redo, the Edit menu names the
// command, and the unsaved mark is the undo stack's clean state.
#include "scenario.h"

#include "ui/bcf_session.h"

#include <QUndoStack>

using namespace uitest;

namespace {

// The model with every payload read.
QString model(const MainWindow& window) {
    bcf::BcfDocument copy = window.document();
    bcf::test::fetchAllPayloads(copy);
    return QString::fromStdString(bcf::test::dump(copy.data));
}

// The entries of an archive saved from the window's model. Saving syncs a file: only the states
// opened, edited and finally reached are saved.
QString saved(const MainWindow& window, const QString& folder) {
    bcf::BcfDocument copy = window.document();
    const std::string path = (folder + u"/state.bcf"_s).toStdString();
    bcf::saveArchive(path, copy, copy.data.version);
    QString text;
    for (const auto& [name, bytes] : bcf::test::zipEntries(path))
        text += QString::fromStdString(name) + u' ' +
                QString::fromLatin1(
                    QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1)
                        .toHex()) +
                u'\n';
    return text;
}

// Presses `key` where the focus is, as the user does; the description keeps it, other text
// fields would take Undo for themselves, so the list gets it.
void press(MainWindow& window, QKeyCombination key) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->objectName() != u"pteDescription"_s) {
        focus = child<QWidget>(&window, "twIssues");
        focus->setFocus();
    }
    QTest::keyClick(focus, key.key(), key.keyboardModifiers());
}

// The first line where `actual` differs from `expected`, for the failure message.
QByteArray difference(const QString& actual, const QString& expected) {
    return bcf::test::firstDifference(actual.toStdString(), expected.toStdString()).toUtf8();
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    // Each row: steps on the first topic of an archive with everything (labels, due date,
    // comments about snapshots, documents cited), the edit, and the name of its command.
    void everyEditUndoes_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("command");
        const auto row = [](const char* setup, const char* edit, const char* command) {
            QTest::newRow(command) << QString::fromUtf8(setup) << QString::fromUtf8(edit)
                                   << QString::fromUtf8(command);
        };
        row("", "title 0 Renamed in the list", "Edit Title");
        row("", "combo 0 2; choose Closed", "Edit Status");
        row("", "combo 0 9; choose Low", "Edit Priority");
        row("", "type  and more", "Edit Description");
        row("", "label Fassade", "Add Label");
        row("", "link lLabels remove-label:0", "Remove Label");
        row("", "due 2030-01-02", "Set Due Date");
        row("", "click tbClearDueDate", "Clear Due Date");
        row("", "comment-text 1 Changed on site", "Edit Comment");
        row("", "click pbNewIssue", "New Issue");
        row("snapshot 1", "click pbNewComment", "New Comment");
        row("", "click pbNewSnapshot", "New Snapshot");
        row("", "file plan.pdf %PDF-1.4; add-document plan.pdf", "New Document");
        row("topic 1", "answer Delete; trigger actionDeleteIssue", "Delete Issue");
        row("comment 2", "answer Delete; delete twComments", "Delete Comment");
        row("comment 2", "answer Delete; delete lwSnapshots", "Delete Snapshot");
        row("document 1", "answer Delete; trigger actionDeleteDocument", "Delete Document");
    }

    void everyEditUndoes() {
        QFETCH(QString, setup);
        QFETCH(QString, edit);
        QFETCH(QString, command);
        QTemporaryDir folder;
        MainWindow window;
        Scenario scenario(window);
        scenario.run(u"open 2.1/Markup_MaximumInformation.bcf; show; topic 0; "_s + setup);
        QUndoStack* stack = window.session().undoStack();
        const QString before = model(window), beforeSaved = saved(window, folder.path());
        const QString name = child<QLabel>(&window, "lProject")->text();
        QVERIFY(!window.hasUnsavedChanges() && !name.endsWith(u'*'));

        scenario.run(edit);
        // The dialogs of the edit are gone: the window takes the keys again.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // One command, however many keys were typed, named in the Edit menu.
        QTRY_COMPARE_WITH_TIMEOUT(stack->count(), 1, 2000);
        QCOMPARE(child<QAction>(&window, "actionUndo")->text(), u"Undo "_s + command);
        const QString after = model(window);
        QVERIFY(after != before && saved(window, folder.path()) != beforeSaved);
        QVERIFY(window.hasUnsavedChanges() && child<QLabel>(&window, "lProject")->text() == name + u" *"_s);

        // Undo and redo by every key and by the menu, back to the state that was opened.
        const std::pair<QKeyCombination, bool> keys[] = {{Qt::CTRL | Qt::Key_Z, false},
                                                         {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, true},
                                                         {Qt::CTRL | Qt::Key_Y, true}};
        for (const auto& [key, redone] : keys) {
            press(window, key);
            const QString now = model(window);
            QVERIFY2(now == (redone ? after : before), difference(now, redone ? after : before));
            if (redone) {
                child<QAction>(&window, "actionUndo")->trigger();
                const QString undone = model(window);
                QVERIFY2(undone == before, difference(undone, before));
            }
            QCOMPARE(child<QAction>(&window, "actionRedo")->text(), u"Redo "_s + command);
        }
        const QString last = saved(window, folder.path());
        QVERIFY2(last == beforeSaved, difference(last, beforeSaved));
        QVERIFY(!window.hasUnsavedChanges());
        QCOMPARE(child<QLabel>(&window, "lProject")->text(), name);
    }

    // Two edits in a row of the same field, not typed in one run, are two steps: undo takes back the
    // last only.
    void editsAreStepsOfTheirOwn() {
        MainWindow window;
        Scenario(window).run(
            u"open 2.1/Markup_MaximumInformation.bcf; show; title 0 First; title 0 Second"_s);
        QCOMPARE(window.session().undoStack()->count(), 2);
        child<QAction>(&window, "actionUndo")->trigger();
        QCOMPARE(window.bcfData().markups.at(0).topic.title, std::string("First"));
    }

    // A run of typing is one step whatever the number of keys; typed back to what was stored,
    // nothing is left to undo and nothing is unsaved.
    void typingBackLeavesNothing() {
        MainWindow window;
        Scenario scenario(window);
        scenario.run(u"open 2.1/Markup_MaximumInformation.bcf; show; topic 0"_s);
        const QString before = model(window);
        scenario.run(u"type ab"_s);
        QUndoStack* stack = window.session().undoStack();
        QCOMPARE(stack->count(), 1);
        QVERIFY(window.session().data().markups[0].topic.description.ends_with("ab"));
        press(window, Qt::Key_Backspace);
        press(window, Qt::Key_Backspace);
        QCOMPARE(stack->count(), 0);
        QVERIFY(!window.hasUnsavedChanges());
        const QString after = model(window);
        QVERIFY2(after == before, difference(after, before));
    }
};

UI_TEST_MAIN(TestUndo)
#include "test_undo.moc"
