// The panes of the main window: the issue list on top, the selected topic's description and
// details below it, and the lower views (snapshots and documents beside the comments) at the
// bottom, each pair apart by a splitter handle.
#pragma once

namespace Ui {
class MainWindow;
}

// Rows the issue list shows at least while the window is tall enough, until the user moves a
// splitter handle.
inline constexpr int kIssueRowsShown = 10;

// Moves the description and details into a pane of their own between the list and the lower
// views, puts the lower views side by side, and shares the height out: the list gets room for
// kIssueRowsShown rows (at most half the height), the details what they need, the lower views the
// rest. Once the user moves a handle, the split is theirs: it is no longer shared out again.
// Labels wrap, columns of the comments and documents fit their content.
void arrangeWindowPanes(Ui::MainWindow& ui);
