#include "ui/window_keyboard.h"

#include "ui/window_actions.h"
#include "ui_mainwindow.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

// The window's widgets in the order Tab visits them.
constexpr const char* kTabOrder[] = {
    "tbOpen",        "tbSave",         "tbClose",         "tbExportReport",    "llink",
    "leIssueSearch", "cbIssueType",    "cbIssueStatus",   "cbIssueAssignedTo", "cbIssuePriority",
    "cbIssueStage",  "twIssues",       "pteDescription",  "cbLabels",          "lLabels",
    "deDueDate",     "tbClearDueDate", "lReferenceLinks", "lRelatedTopics",    "lDocumentReferences",
    "lBimSnippet",   "pbNewIssue",     "tabWidget",       "lwSnapshots",       "twComponents",
    "lwBitmaps",     "pbNewSnapshot",  "twDocuments",     "pbNewDocument",     "twComments",
    "pbNewComment",
};

// The "Delete ..." action of the widget with the focus or of the view it belongs to.
QAction* deleteActionInFocus(QWidget* window) {
    for (QWidget* widget = QApplication::focusWidget(); widget && widget != window;
         widget = widget->parentWidget()) {
        for (QAction* action : widget->actions()) {
            if (action->objectName().startsWith(QLatin1String("actionDelete")) && action->isEnabled())
                return action;
        }
    }
    return nullptr;
}

// The item view with the focus (a cell editor's view included).
QAbstractItemView* viewInFocus(QWidget* window) {
    for (QWidget* widget = QApplication::focusWidget(); widget && widget != window;
         widget = widget->parentWidget()) {
        if (auto* view = qobject_cast<QAbstractItemView*>(widget))
            return view;
    }
    return nullptr;
}

// An empty list has no row to show the focus on, nor anything to do: Tab passes it by until it
// has rows.
void skipWhileEmpty(QAbstractItemView* view) {
    QAbstractItemModel* model = view->model();
    const auto update = [view, model] {
        view->setFocusPolicy(model->rowCount() > 0 ? Qt::StrongFocus : Qt::NoFocus);
    };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, update);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, view, update);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, update);
    update();
}

} // namespace

void setWindowTabOrder(QWidget* window) {
    QWidget* previous = nullptr;
    for (const char* name : kTabOrder) {
        auto* widget = window->findChild<QWidget*>(QString::fromUtf8(name));
        if (!widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    // After the chain is made: Qt leaves widgets without focus out of the chain it makes.
    for (const char* name : kTabOrder) {
        if (auto* view = window->findChild<QAbstractItemView*>(QString::fromUtf8(name)))
            skipWhileEmpty(view);
    }
}

void addFocusCommands(QWidget* window, Ui::MainWindow& ui, QMenu* edit) {
    edit->addSeparator();
    // The button is the command: the issue list adds the issue when it is clicked.
    QPushButton* newIssue = ui.pbNewIssue;
    auto* action = new QAction(QCoreApplication::translate("MainWindow", "&New issue"), window);
    action->setObjectName(QStringLiteral("actionNewIssue"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, newIssue, [newIssue] {
        if (newIssue->isEnabled())
            newIssue->click();
    });
    window->addAction(action);
    edit->addAction(action);
    newIssue->setToolTip(commandToolTip(action->text(), action->shortcut()));
    addCommand(window, edit, "actionSearchIssues",
               QCoreApplication::translate("MainWindow", "&Search issues"),
               QKeySequence(Qt::CTRL | Qt::Key_F), nullptr, [window] {
                   if (auto* search = window->findChild<QLineEdit*>(QStringLiteral("leIssueSearch"))) {
                       search->setFocus(Qt::ShortcutFocusReason);
                       search->selectAll();
                   }
               });
    // The views' own Delete actions give their key to the window's, which finds the view with
    // the focus; a cell editor keeps the key for its text.
    for (QAction* remove : window->findChildren<QAction*>()) {
        if (remove->objectName().startsWith(QLatin1String("actionDelete")) &&
            remove->shortcut() == QKeySequence(QKeySequence::Delete)) {
            remove->setShortcut({});
            remove->setText(remove->text() + QLatin1Char('\t') +
                            QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText));
        }
    }
    addCommand(window, edit, "actionDelete", QCoreApplication::translate("MainWindow", "&Delete"),
               QKeySequence(QKeySequence::Delete), nullptr, [window] {
                   if (QAction* remove = deleteActionInFocus(window))
                       remove->trigger();
               });
    addCommand(window, edit, "actionEditCell",
               QCoreApplication::translate("MainWindow", "&Edit", "edit a cell"), QKeySequence(Qt::Key_F2),
               nullptr, [window] {
                   if (QAbstractItemView* view = viewInFocus(window))
                       view->edit(view->currentIndex());
               });
}
