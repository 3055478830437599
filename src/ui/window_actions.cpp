#include "ui/window_actions.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QEvent>
#include <QItemSelectionModel>
#include <QMenu>

namespace {

// Gives an action its button's enabled state whenever that changes.
class EnabledFollower : public QObject {
public:
    EnabledFollower(QAction* action, QAbstractButton* button)
        : QObject(action), action_(action), button_(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_ && event->type() == QEvent::EnabledChange)
            action_->setEnabled(button_->isEnabled());
        return false;
    }

private:
    QAction* action_;
    QAbstractButton* button_;
};

} // namespace

QString commandToolTip(const QString& name, const QKeySequence& shortcut) {
    QString plain = name;
    plain.remove(QLatin1Char('&'));
    if (shortcut.isEmpty())
        return plain;
    return plain + QStringLiteral(" (") + shortcut.toString(QKeySequence::NativeText) + QLatin1Char(')');
}

QAction* addCommand(QWidget* window, QMenu* menu, const char* objectName, const QString& text,
                    const QKeySequence& shortcut, QAbstractButton* button,
                    const std::function<void()>& command) {
    auto* action = new QAction(text, window);
    action->setObjectName(QString::fromUtf8(objectName));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Only while the focus is in this window's widgets: a host's own shortcuts stay its own.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    // A disabled button stands for a command that can't run now: its shortcut does nothing either.
    QObject::connect(action, &QAction::triggered, window, [command, button] {
        if (!button || button->isEnabled())
            command();
    });
    window->addAction(action);
    menu->addAction(action);
    if (button) {
        QString tip = text;
        tip.remove(QChar(0x2026)); // "Open…" names the command "Open"
        tip = tip.trimmed();
        button->setToolTip(commandToolTip(tip, shortcut));
        // The button shows an icon only: screen readers read the command's name.
        button->setAccessibleName(commandToolTip(tip, {}));
        QObject::connect(button, &QAbstractButton::clicked, window, [command] { command(); });
        // The menu greys the command out whenever its button is.
        action->setEnabled(button->isEnabled());
        button->installEventFilter(new EnabledFollower(action, button));
    }
    return action;
}

QAction* addDeleteCommand(QAbstractItemView* view, const char* objectName, const QString& text,
                          const std::function<void()>& command) {
    auto* action = new QAction(text, view);
    action->setObjectName(QString::fromUtf8(objectName));
    action->setShortcut(QKeySequence::Delete);
    action->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(action);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(action, &QAction::triggered, view, [command] { command(); });
    QItemSelectionModel* selection = view->selectionModel();
    const auto update = [action, selection] { action->setEnabled(selection->hasSelection()); };
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, action, update);
    update();
    return action;
}
