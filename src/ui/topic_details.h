// The selected topic's description ("pteDescription") and the details beside it
// ("wTopicDetails"): labels, due date, reference links, related topics, document references, BIM
// snippet and the header's model files. Edits become commands; links open what they name.
#pragma once

#include "ui/link_opener.h"

#include <QObject>

class BcfSession;
class TopicSelection;
class WindowMessages;

namespace bcf {
struct DocumentReference;
struct Topic;
} // namespace bcf

namespace Ui {
class MainWindow;
}

// Link targets of the detail labels: what a click on each link stands for.
inline constexpr char kRemoveLabelLink[] = "remove-label:";   // + index into Topic::labels
inline constexpr char kRelatedTopicLink[] = "topic:";         // + GUID of the related topic
inline constexpr char kDocumentReferenceLink[] = "document:"; // + index into documentReferences
inline constexpr char kBimSnippetLink[] = "bim-snippet:";

class TopicDetails : public QObject {
    Q_OBJECT

public:
    TopicDetails(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                 WindowMessages& messages);
    ~TopicDetails() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the selected topic, or empties and disables the widgets for none.
    void show();
    // Shows the details of the selected topic beside its description.
    void showDetails();
    void descriptionTyped();
    void removeLabel(const QString& target);
    void addLabel(const QString& text);
    void dueDateChosen(const QDate& date);
    void openLink(const QString& target);
    // What a link of the detail labels names, as a message about it shows: the document's or the
    // snippet's file name, the related topic's GUID, or the link itself.
    QString linkSubject(const QString& target) const;
    // Opens a document reference of the topic: internal ones as a temporary copy, external by URL.
    void openDocumentReference(int topicIndex, const bcf::DocumentReference& reference);
    // Opens a web link or a local path that the archive names; relative paths are relative to the
    // archive's folder.
    void openArchiveLink(const std::string& text);
    // Pushes the selected topic changed to `edited`, marked modified now by the author.
    void pushEdit(bcf::Topic edited, const QString& text);
    // Names the fields of links and labels for screen readers and describes what they show.
    void describeFields();

    Ui::MainWindow& ui_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    // Opens links and documents of the archive with the desktop, after asking.
    LinkOpener linkOpener_;
    // Keystrokes of one run of typing in the description merge into one command; a run ends when
    // the description loses the focus or shows another topic.
    int descriptionRun_ = 0;
};
