// The window's commands as actions: a menu entry with its shortcut, the same command on the tool or
// push button that shows it, and the button's tooltip naming the command and its shortcut.
#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>

class QAbstractButton;
class QAbstractItemView;
class QAction;
class QMenu;
class QWidget;

// The tooltip of a command: "Save (Ctrl+S)", or just the name without a shortcut.
QString commandToolTip(const QString& name, const QKeySequence& shortcut);

// Adds to `menu` the action `objectName` named `text`, with `shortcut` (none when empty) active
// in `window` and its children, running `command`; `button`, when given, runs it too and shows the
// command in its tooltip; while the button is disabled the action does nothing. The action belongs to
// `window`, so its shortcut works while the menu bar is hidden.
QAction* addCommand(QWidget* window, QMenu* menu, const char* objectName, const QString& text,
                    const QKeySequence& shortcut, QAbstractButton* button,
                    const std::function<void()>& command);

// Adds to `view`'s context menu the action `objectName` named `text`, running `command` on the
// selected row, also on the Delete key while the view itself has the focus (the Delete key of a
// cell editor stays its own). The action is greyed out while nothing in the view is selected.
QAction* addDeleteCommand(QAbstractItemView* view, const char* objectName, const QString& text,
                          const std::function<void()>& command);
