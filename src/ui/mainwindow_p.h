// Private state of MainWindow, shared by the window's source files.
#pragma once

#include "codec/model.h"
#include "ui_mainwindow.h"

#include <QImage>
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
    bcf::BcfData bcfData;
    std::string bcfFilePath; // UTF-8
    // Runs the issue list, its sorting and its filters; owned by the issue tree.
    IssueList* issueList = nullptr;

    // Loads and shows the archive at `path` (UTF-8, not empty). Throws on failure.
    void loadFile(const std::string& path);
    // Resets every view to the empty state and disables the create buttons.
    void clearViews();
    // Rebuilds the issue list from the model (rows, editing connections).
    void showIssues();
    // Connects the cells of the issue list so that edits reach the model.
    void connectIssueEditors();
    // The index of the first selected issue, or -1.
    int selectedTopicIndex() const;
    // Tells the user, in a window-modal message box, that `action` failed on `subject`, and why.
    void reportError(const QString& action, const QString& subject, const std::exception& error);
};

// Appends one row per markup to the issue list; each keeps its markup index in data(0, Qt::UserRole).
void fillIssues(const bcf::BcfData& bcfData, QTreeWidget* twIssues);
// Rebuilds the documents list and its tab title.
void fillDocuments(QTreeWidget* twDocuments, QTabWidget* tabWidget, const bcf::BcfData& bcfData);
// Rebuilds the comments list and its label for one topic.
void fillComments(QTreeWidget* twComments, QLabel* lComments, const bcf::BcfData& bcfData, int topicIndex);
// Rebuilds the snapshot list and its tab title for one topic, fetching images on first use.
void fillSnapshots(QListWidget* lwSnapshots, QTabWidget* tabWidget, bcf::BcfData& bcfData, int topicIndex);
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
