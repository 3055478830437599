// The window's keyboard: where Tab goes, what the commands' shortcuts do in the view with the focus,
// and the tooltips and menu entries that show the keys.
#include "scenario.h"

using namespace uitest;

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    // Each row: the widget with the focus, the key, then the issue count and the focus (or the
    // question asked). Tab never types into the description nor marks the topic modified.
    void keysMoveAndRunCommands_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("expected");
        const QKeyCombination tab(Qt::Key_Tab);
        const auto row = [](const char* name, const char* focus, QKeyCombination key, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(focus) << key << QString::fromUtf8(expected);
        };
        row("Tab: list to description", "twIssues", tab, "Issues (2) | pteDescription");
        row("Tab: description to labels", "pteDescription", tab, "Issues (2) | cbLabels");
        row("Ctrl+Tab leaves the description too", "pteDescription", Qt::CTRL | Qt::Key_Tab,
            "Issues (2) | cbLabels");
        row("Shift+Tab: back to the list", "pteDescription", Qt::SHIFT | Qt::Key_Backtab,
            "Issues (2) | twIssues");
        row("Tab: search to first filter", "leIssueSearch", tab, "Issues (2) | cbIssueType");
        row("Tab: last filter to the list", "cbIssueStage", tab, "Issues (2) | twIssues");
        row("Tab: new issue to the tabs", "pbNewIssue", tab, "Issues (2) | qt_tabwidget_tabbar");
        row("Ctrl+N adds an issue", "twComments", Qt::CTRL | Qt::Key_N, "Issues (3) | twComments");
        row("Ctrl+F goes to the search", "twComments", Qt::CTRL | Qt::Key_F, "Issues (2) | leIssueSearch");
        row("F2 edits the list's cell", "twIssues", QKeyCombination(Qt::Key_F2),
            "Issues (2) | editor of twIssues");
        row("F2 edits the comment", "twComments", QKeyCombination(Qt::Key_F2),
            "Issues (2) | editor of twComments");
        row("Delete in the comments", "twComments", QKeyCombination(Qt::Key_Delete),
            "Issues (2) | asked Delete the comment");
        row("Delete in the list", "twIssues", QKeyCombination(Qt::Key_Delete),
            "Issues (1) | asked Delete the issue");
    }
    void keysMoveAndRunCommands() {
        QFETCH(QString, focus);
        QFETCH(QKeyCombination, key);
        QFETCH(QString, expected);
        MainWindow window;
        Scenario(window).run(u"open 2.1/Markup_MaximumInformation.bcf; topic 0; comment 0; show"_s);
        const QString description = child<QPlainTextEdit>(&window, "pteDescription")->toPlainText();
        auto* start = child<QWidget>(&window, focus.toUtf8().constData());
        start->setFocus(Qt::OtherFocusReason);
        QVERIFY(start->hasFocus());
        QString asked;
        ModalDriver<QMessageBox> answer([&asked](QMessageBox* box) {
            asked = u"asked "_s + box->text().section(u' ', 0, 2);
            for (QAbstractButton* button : box->buttons())
                if (button->text() == u"Delete"_s)
                    button->click();
        });
        QTest::keyClick(start, key.key(), key.keyboardModifiers());
        QWidget* now = QApplication::focusWidget();
        QWidget* viewport = now ? now->parentWidget() : nullptr;
        auto* view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
        const QString where = !asked.isEmpty() ? asked
                              : view           ? u"editor of "_s + view->objectName()
                                               : (now ? now->objectName() : u"no focus"_s);
        QCOMPARE(child<QLabel>(&window, "lIssues")->text() + u" | "_s + where, expected);
        QVERIFY(expected.contains(u"Issues (2)"_s) == !window.hasUnsavedChanges() ||
                key.key() == Qt::Key_Delete);
        if (QTest::currentDataTag()[0] == 'T' || key.key() == Qt::Key_Tab) // Tab moves, types nothing
            QCOMPARE(child<QPlainTextEdit>(&window, "pteDescription")->toPlainText(), description);
    }

    // Inside a host's window beside the host's own widgets, the window's keys act only where it has the
    // focus: the Ctrl+N and Ctrl+S of the host's editor stay the host's.
    void hostKeysStayTheHosts_data() {
        QTest::addColumn<bool>("inHost");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Ctrl+N in the host")
            << true << (Qt::CTRL | Qt::Key_N) << u"Issues (2) | host Ctrl+N"_s;
        QTest::newRow("Ctrl+S in the host")
            << true << (Qt::CTRL | Qt::Key_S) << u"Issues (2) | host Ctrl+S"_s;
        QTest::newRow("Ctrl+N in the window") << false << (Qt::CTRL | Qt::Key_N) << u"Issues (3) | "_s;
    }
    void hostKeysStayTheHosts() {
        QFETCH(bool, inHost);
        QFETCH(QKeyCombination, key);
        QFETCH(QString, expected);
        QWidget host;
        auto* hostEdit = new QLineEdit(&host);
        auto* window = new MainWindow;
        auto* layout = new QHBoxLayout(&host);
        layout->addWidget(hostEdit);
        layout->addWidget(window);
        QString hostRan;
        for (const QKeySequence& keys :
             {QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_S)}) {
            auto* action = new QAction(hostEdit);
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            hostEdit->addAction(action);
            connect(action, &QAction::triggered, &host,
                    [&hostRan, keys] { hostRan = u"host "_s + keys.toString(); });
        }
        Scenario(*window).run(u"open 2.1/Markup_MaximumInformation.bcf; topic 0"_s);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QWidget* focus = inHost ? static_cast<QWidget*>(hostEdit) : child<QWidget>(window, "twIssues");
        focus->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        QCOMPARE(child<QLabel>(window, "lIssues")->text() + u" | "_s + hostRan, expected);
    }

    // Tab reaches every part of the window and each shows that it has the focus: its image with the
    // focus differs from its image once Tab moved on. (Tab also walks through the links of a label.)
    void focusIsAlwaysVisible() {
        MainWindow window;
        Scenario(window).run(u"open 2.1/Markup_MaximumInformation.bcf; topic 0; comment 0; show"_s);
        QWidget* first = child<QWidget>(&window, "twIssues");
        first->setFocus(Qt::TabFocusReason);
        QTest::keyClick(first, Qt::Key_Tab); // from now on the window shows keyboard focus
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QSet<QWidget*> seen;
        QStringList unseen;
        for (int step = 0; step < 100 && (step == 0 || QApplication::focusWidget() != first); ++step) {
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused != nullptr);
            const QImage shown = focused->grab().toImage();
            QTest::keyClick(focused, Qt::Key_Tab);
            if (QApplication::focusWidget() != focused && focused->grab().toImage() == shown)
                unseen << focused->objectName() + u'/' + QLatin1String(focused->metaObject()->className());
            seen.insert(focused);
        }
        QCOMPARE(QApplication::focusWidget(), first); // the chain comes round
        QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(u", "_s)));
        QVERIFY(seen.size() > 15);
    }

    // Digits typed into a due date showing "None" edit today's date, which Return commits.
    void typedDueDateStartsFromToday() {
        MainWindow window;
        Scenario(window).run(u"open 2.1/Markup_MinimumInformation.bcf; topic 0; show"_s);
        auto* due = child<QDateEdit>(&window, "deDueDate");
        QCOMPARE(due->date(), due->minimumDate());
        due->setFocus(Qt::TabFocusReason);
        const QDate today = QDate::currentDate();
        QTest::keyClicks(due, u"1"_s);
        QTest::keyClick(due, Qt::Key_Return);
        const std::string typed = window.bcfData().markups[0].topic.dueDate.value_or(std::string());
        QCOMPARE(QString::fromStdString(typed).left(10), today.toString(u"yyyy-MM-01"_s));
    }

    // The commands' buttons name them and their keys, so do the menus; every tool button says what
    // it does.
    void shortcutsAreShown() {
        MainWindow window;
        QStringList shown;
        for (const char* name : {"tbOpen", "tbSave", "tbClose", "tbExportReport", "pbNewIssue"})
            shown << child<QAbstractButton>(&window, name)->toolTip();
        for (const char* name : {"actionSaveAs", "actionSearchIssues", "actionDelete", "actionEditCell"})
            shown << child<QAction>(&window, name)->shortcut().toString();
        QCOMPARE(shown.join(u", "_s),
                 u"Open (Ctrl+O), Save (Ctrl+S), Close (Ctrl+W), Export report (Ctrl+E), "
                 u"New issue (Ctrl+N), Ctrl+Shift+S, Ctrl+F, Del, F2"_s);
        for (QToolButton* button : window.findChildren<QToolButton*>())
            QVERIFY2(button->icon().isNull() || !button->objectName().startsWith(u"tb"_s) ||
                         !button->toolTip().isEmpty(),
                     qPrintable(button->objectName()));
        QVERIFY(child<QAction>(&window, "actionDeleteComment")->text().endsWith(u"\tDel"_s));
    }

    // What the menus offer, in which order and groups, with their keys, and what a screen reader
    // says of every control that has a name of its own.
    void menusAndNames() {
        MainWindow window;
        QString dump;
        const std::function<void(const QMenu*, const QString&)> menu = [&](const QMenu* shown,
                                                                           const QString& indent) {
            for (QAction* action : shown->actions()) {
                if (action->isSeparator())
                    dump += indent + u"---\n"_s;
                else
                    dump += indent + action->text() + u"  "_s +
                            action->shortcut().toString(QKeySequence::PortableText) +
                            (action->isEnabled() ? u""_s : u"  (disabled)"_s) + u'\n';
                if (action->menu())
                    menu(action->menu(), indent + u"  "_s);
            }
        };
        for (QAction* action : window.menuBar()->actions()) {
            dump += action->text() + u'\n';
            menu(action->menu(), u"  "_s);
        }
        QList<QWidget*> widgets = window.findChildren<QWidget*>();
        std::sort(widgets.begin(), widgets.end(),
                  [](QWidget* a, QWidget* b) { return a->objectName() < b->objectName(); });
        for (QWidget* widget : widgets) {
            // Qt's own parts (the tab bar's "ScrollLeftButton") are named by Qt.
            const QString name = widget->objectName();
            if (!name.isEmpty() && name.front().isLower() &&
                (!widget->accessibleName().isEmpty() || !widget->accessibleDescription().isEmpty()))
                dump += name + u": "_s + widget->accessibleName() + u" | "_s +
                        widget->accessibleDescription() + u'\n';
        }
        compareWithGolden(dump);
    }
};

UI_TEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
