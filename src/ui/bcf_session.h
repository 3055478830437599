// The document of one main window and everything that changes it: the loaded model with the
// archive its payloads come from, the file, the version it was saved in, and the undo stack whose
// clean state says whether there are unsaved changes. Views read the model here and redraw on
// its signals; they change it only by pushing commands (edit_commands.h) on the undo stack.
#pragma once

#include "codec/document.h"
#include "codec/save_notes.h"

#include <QObject>

#include <string>

class QUndoCommand;
class QUndoStack;

class BcfSession : public QObject {
    Q_OBJECT

public:
    explicit BcfSession(QObject* parent = nullptr);
    ~BcfSession() override;

    // The model; its address stays the same for the session's life, whatever is opened.
    const bcf::BcfData& data() const { return document_.data; }
    // The model with the archive its payloads come from, as saving and the reports take it.
    const bcf::BcfDocument& document() const { return document_; }
    // UTF-8 path of the current archive file; empty when no file is current.
    const std::string& filePath() const { return filePath_; }
    // The BCF version of the document as opened or last saved (2.0 for a new one): what Save and
    // the save dialog's first filter write.
    bcf::BcfVersion version() const { return version_; }
    // Whether there is a document to edit: a new session holds a new, empty one; a close leaves
    // none until the next open.
    bool hasDocument() const { return hasDocument_; }
    // Whether the model differs from what was opened, saved or closed: the undo stack is not clean.
    bool hasUnsavedChanges() const;
    QUndoStack* undoStack() const { return undoStack_; }

    // Loads the archive at `path` (UTF-8) and makes it the document, with an empty undo stack.
    // Throws BcfError on failure, having changed nothing.
    void open(const std::string& path);
    // Drops the document: an empty model, no file, an empty undo stack.
    void close();
    // Starts a new, empty BCF 3.0 archive named `projectName` (UTF-8) with a new project GUID: no
    // file, an empty undo stack, and unsaved until it is saved.
    void newArchive(const std::string& projectName);
    // Writes the model to `path` as `version`; the file becomes the current one, `version` the
    // version of the document and the state saved the clean state. Throws on failure, having changed neither
    // the file, nor the path, nor the unsaved state.
    bcf::SaveNotes save(const std::string& path, bcf::BcfVersion version);
    // Runs `command` and puts it on the undo stack (which owns it).
    void push(QUndoCommand* command);

    // Payloads read from the document's archive on first use and kept in the model. Each throws
    // BcfError when the entry can't be read.
    void fetchSnapshot(int topic, int viewPoint);
    void fetchVisualization(int topic, int viewPoint);
    void fetchBitmap(int topic, int viewPoint, int bitmap);
    void fetchBimSnippet(int topic);
    void fetchDocument(int document);
    // The bytes of the archive entry `name`; empty when there is none.
    std::string readEntry(const std::string& name) const;

    // The changes commands make, each announced by its signal. Indices are those of the model.
    void setTopic(int topic, bcf::Topic value);
    void insertMarkup(int topic, bcf::Markup markup);
    bcf::Markup takeMarkup(int topic);
    // Notes the GUID of a deleted topic, so that saving drops the relations to it; the last noted
    // is taken back by forgetDeletedTopic.
    void noteDeletedTopic(const std::string& guid);
    void forgetDeletedTopic();
    void setComment(int topic, int comment, bcf::Comment value);
    void insertComment(int topic, int comment, bcf::Comment value);
    bcf::Comment takeComment(int topic, int comment);
    void insertViewPoint(int topic, int viewPoint, bcf::ViewPoint value);
    bcf::ViewPoint takeViewPoint(int topic, int viewPoint);
    void insertDocument(int document, bcf::DocumentInfo value);
    bcf::DocumentInfo takeDocument(int document);

signals:
    // Another document was opened, or the document was closed: everything changed.
    void documentReset();
    // The current file is another one (opened, saved under another name, closed).
    void filePathChanged();
    void unsavedChangesChanged(bool unsaved);
    void topicAdded(int topic);
    void topicRemoved(int topic);
    // The topic record changed (not its comments or viewpoints).
    void topicChanged(int topic);
    void commentAdded(int topic, int comment);
    void commentRemoved(int topic, int comment);
    void commentChanged(int topic, int comment);
    void viewPointAdded(int topic, int viewPoint);
    void viewPointRemoved(int topic, int viewPoint);
    void documentAdded(int document);
    void documentRemoved(int document);

private:
    bcf::Markup& markup(int topic);
    void setFilePath(const std::string& path);

    bcf::BcfDocument document_;
    std::string filePath_;
    bcf::BcfVersion version_ = bcf::BcfVersion::V2_0;
    bool hasDocument_ = true;
    QUndoStack* undoStack_;
};
