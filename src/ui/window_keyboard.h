// The window's keyboard: a tab order through every part of the window, and the Edit menu's
// commands that act on the view with the focus (Delete, F2), on the issue list (Ctrl+N) and its
// search field (Ctrl+F).
#pragma once

class QMenu;
class QWidget;

namespace Ui {
class MainWindow;
}

// Chains the window's widgets in reading order, top to bottom and left to right: tool buttons,
// search and filters, issue list, description and details, the snapshot and document tabs, the
// comments. Widgets of that list that are missing are skipped.
void setWindowTabOrder(QWidget* window);

// Adds to `edit` "New issue" (Ctrl+N), "Search issues" (Ctrl+F), "Delete" (Del) and "Edit" (F2).
// Delete runs the "Delete ..." action of the view with the focus, F2 edits that view's current
// cell; the views' own actions keep their place in the context menus, showing the key.
void addFocusCommands(QWidget* window, Ui::MainWindow& ui, QMenu* edit);
