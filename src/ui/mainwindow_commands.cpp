// Editing commands of the main window: save, new issue, comment, snapshot and document.
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"

void MainWindow::onTbSaveClicked(bool) {}

void MainWindow::onPbNewIssueClicked(bool) {}

void MainWindow::onPbNewCommentClicked(bool) {}

void MainWindow::onPbNewSnapshotClicked(bool) {}

void MainWindow::onPbNewDocumentClicked(bool) {}

void MainWindowPrivate::connectIssueEditors() {}
