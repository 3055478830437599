// Private state of MainWindow, shared by the window's source files.
#pragma once

#include "codec/document.h"
#include "ui/link_opener.h"
#include "ui/snapshot_viewer.h"
#include "ui_mainwindow.h"

#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <exception>
#include <memory>
#include <string>

class IssueList;
class MainWindow;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QLabel;

// The generated form object of the main window.
using MainWindowUi = Ui::MainWindow;

struct MainWindowPrivate {
    explicit MainWindowPrivate(MainWindow* window);

    MainWindow* q;
    std::unique_ptr<MainWindowUi> ui;
    // The open archive: the model and the archive its payloads come from.
    bcf::BcfDocument document;
    bcf::BcfData& bcfData = document.data;
    std::string bcfFilePath; // UTF-8
    QPointer<SnapshotViewer> snapshotViewer;
    // Opens links and documents of the archive with the desktop, after asking.
    std::unique_ptr<LinkOpener> linkOpener;
    // Runs the issue list, its sorting and its filters; owned by the issue tree.
    IssueList* issueList = nullptr;
    // The model changed since it was opened, saved or closed.
    bool unsavedChanges = false;
    // The create commands work: in a new window and after an open, not after a close.
    bool createEnabled = true;

    // Loads and shows the archive at `path` (UTF-8, not empty). Throws on failure, having changed
    // nothing: the model, the views, the file link and the path stay as they were.
    void loadFile(const std::string& path);
    // Resets every view to the empty state and disables the create buttons.
    void clearViews();
    // Shows the topic selected in the issue list in the views of one topic, or empties them.
    void showSelectedTopic();
    // Enables the commands that need a selected topic only while there is one.
    void updateTopicCommands();
    // Notes a change of the model that a save has not written yet, and shows it.
    void markModified();
    void setUnsavedChanges(bool unsaved);
    // "Project: " and the project's name, with a "*" while there are unsaved changes.
    void updateProjectLabel();
    // Runs the save dialog and saves; false when cancelled or failed (the failure is shown).
    bool saveWithDialog();
    // With unsaved changes, asks "Save changes to ...?": true when the model may be replaced (saved
    // or discarded), false when the user cancelled or the save did not happen.
    bool confirmDiscard();
    // The issue list's row of the topic at `topicIndex`, or null.
    QTreeWidgetItem* issueItem(int topicIndex) const;
    // Rebuilds the issue list from the model (rows, editing connections).
    void showIssues();
    // Connects the cells of the issue list so that edits reach the model.
    void connectIssueEditors();
    // The index of the first selected issue, or -1.
    int selectedTopicIndex() const;
    // Gives the issue, comment, snapshot and document views their "Delete" action (context menu and
    // Delete key).
    void setUpDeleteActions();
    // Asks `question` with "Delete" and "Cancel"; true when the user chose "Delete".
    bool confirmDelete(const QString& question);
    // Removes the topic at `topicIndex` and shows the list without it, nothing selected.
    void deleteTopic(int topicIndex);
    // Connects the topic detail widgets to their commands and empties them.
    void connectTopicDetails();
    // After an edit of the topic at `topicIndex`: marks it modified and shows it so.
    void topicEdited(int topicIndex);
    // Selects the issue list's row of the topic at `topicIndex`, if it has one.
    void selectTopic(int topicIndex);
    // Adds `text` (trimmed, not empty) to the selected topic's labels unless it has it already.
    void addLabel(const QString& text);
    // Follows a link of the topic details: a related topic, a web page, a document, the BIM snippet.
    void openDetailLink(const QString& target);
    // Opens a document reference of `markup`: internal ones as a temporary copy, external by URL.
    void openDocumentReference(const bcf::Markup& markup, const bcf::DocumentReference& reference);
    // Writes `bytes` to a temporary file named after `name` and opens it with the desktop.
    void openContent(const std::string& name, const std::string& bytes);
    // Opens a web link or a local path that the archive names.
    void openLink(const std::string& text);
    // Shows `images` at full size in the window's image viewer, starting at `current`.
    void showImages(std::vector<ViewerImage> images, int current);
    // Tells the user, in a window-modal message box, that `action` failed on `subject`, and why.
    void reportError(const QString& action, const QString& subject, const std::exception& error);
    // Shows `text` in a window-modal message box named `objectName`, without a nested event loop.
    void showMessage(QMessageBox::Icon icon, const QString& text, const QString& objectName);
};

// Appends one row per markup to the issue list; each keeps its markup index in data(0, Qt::UserRole).
void fillIssues(const bcf::BcfData& bcfData, QTreeWidget* twIssues);
// Rebuilds the documents list and its tab title.
void fillDocuments(QTreeWidget* twDocuments, QTabWidget* tabWidget, const bcf::BcfData& bcfData);
// Rebuilds the comments list and its label for one topic.
void fillComments(QTreeWidget* twComments, QLabel* lComments, const bcf::BcfData& bcfData, int topicIndex);
// Rebuilds the snapshot list and its tab title for one topic, fetching images on first use. An image
// that can't be read or decoded is shown as damaged, with the reason as its tool tip.
void fillSnapshots(QListWidget* lwSnapshots, QTabWidget* tabWidget, bcf::BcfDocument& document,
                   int topicIndex);
// A model text (UTF-8) as a Qt string.
inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
// A snapshot image scaled to its 150 by 150 thumbnail; a null image when the bytes don't decode.
QImage snapshotThumbnail(const std::string& imageBytes);
// A count as labels and tab titles show it: "Issues (" + count + ")".
QString countText(const char* label, std::size_t count);
// The display form of a stored date-time: 2024-03-07T09:05:00Z gives "07.03.2024, 09:05".
std::string formatDateTime(const std::string& text);
