// "Merge archive…": another BCF archive merged into the window's document as one undoable step,
// and a summary of what the merge changed, whose topics can be selected from it.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

class BcfSession;
class QAction;
class QDialog;
class QMainWindow;
class TopicSelection;
class WindowMessages;

namespace bcf {
struct MergeSummary;
}

class ArchiveMerge : public QObject {
    Q_OBJECT

public:
    ArchiveMerge(QMainWindow* window, BcfSession& session, TopicSelection& selection,
                 WindowMessages& messages);

    // "Merge archive…" (actionMergeArchive), enabled while there is a document to merge into.
    QAction* action() const { return action_; }
    // Merges the archive at `path` (UTF-8) into the document and shows the summary; a failure is
    // shown and changes nothing.
    void merge(const std::string& path);

private:
    void chooseAndMerge();
    void showSummary(const bcf::MergeSummary& summary, const QString& fileName);

    QMainWindow* window_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    QAction* action_;
    // The summary of the last merge, replaced by the next one.
    QPointer<QDialog> summary_;
};
