// Every change a user makes to the model, as a command on the session's undo stack. A command
// runs once when pushed (redo); undo puts back exactly what was there, modification dates,
// authors and the references a deletion removed included.
#pragma once

#include "codec/model.h"

#include <QUndoCommand>

#include <utility>
#include <vector>

class BcfSession;

// Replaces a topic record: a field typed or chosen, labels, due date, description.
class EditTopicCommand : public QUndoCommand {
public:
    // Edits of one `run` of typing in one field (run >= 0, the same topic) merge into one command;
    // run -1 merges with nothing.
    EditTopicCommand(BcfSession& session, int topic, bcf::Topic after, const QString& text, int run = -1);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    BcfSession& session_;
    int topic_;
    bcf::Topic before_;
    bcf::Topic after_;
    int run_;
};

// Replaces a comment record: its text, with its modification date and author.
class EditCommentCommand : public QUndoCommand {
public:
    EditCommentCommand(BcfSession& session, int topic, int comment, bcf::Comment after);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    int comment_;
    bcf::Comment before_;
    bcf::Comment after_;
};

// Appends a new topic ("New Issue").
class AddTopicCommand : public QUndoCommand {
public:
    AddTopicCommand(BcfSession& session, bcf::Markup markup);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    bcf::Markup markup_;
};

// Removes a topic with its comments and viewpoints; saving drops the relations to it.
class DeleteTopicCommand : public QUndoCommand {
public:
    DeleteTopicCommand(BcfSession& session, int topic);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    bcf::Markup markup_;
};

// Appends a comment to a topic.
class AddCommentCommand : public QUndoCommand {
public:
    AddCommentCommand(BcfSession& session, int topic, bcf::Comment comment);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    int comment_;
    bcf::Comment value_;
};

// Removes a comment; the topic is marked modified now by the author.
class DeleteCommentCommand : public QUndoCommand {
public:
    DeleteCommentCommand(BcfSession& session, int topic, int comment);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    int comment_;
    bcf::Comment value_;
    bcf::Topic before_, after_; // the topic record, before and after its modification mark
};

// Appends a snapshot (a viewpoint reference with its payloads) to a topic.
class AddSnapshotCommand : public QUndoCommand {
public:
    AddSnapshotCommand(BcfSession& session, int topic, bcf::ViewPoint viewPoint);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    int viewPoint_;
    bcf::ViewPoint value_;
};

// Removes a snapshot with its viewpoint; the comments about it stay, about none. The topic is
// marked modified now by the author.
class DeleteSnapshotCommand : public QUndoCommand {
public:
    DeleteSnapshotCommand(BcfSession& session, int topic, int viewPoint);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int topic_;
    int viewPoint_;
    bcf::ViewPoint value_;
    std::vector<std::pair<int, bcf::Comment>> comments_; // the comments about it, as they were
    bcf::Topic before_, after_; // the topic record, before and after its modification mark
};

class AddDocumentCommand : public QUndoCommand {
public:
    AddDocumentCommand(BcfSession& session, bcf::DocumentInfo document);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int document_;
    bcf::DocumentInfo value_;
};

// Removes a document with the references topics hold to it; those topics are marked modified
// now by the author.
class DeleteDocumentCommand : public QUndoCommand {
public:
    DeleteDocumentCommand(BcfSession& session, int document);
    void redo() override;
    void undo() override;

private:
    BcfSession& session_;
    int document_;
    bcf::DocumentInfo value_;
    std::vector<std::pair<int, bcf::Topic>> citing_; // the topics that cite it, as they were
    std::string modifiedDate_, modifiedAuthor_;      // the mark the citing topics get
};
