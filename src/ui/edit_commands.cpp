#include "ui/edit_commands.h"

#include "ui/author_setting.h"
#include "ui/bcf_session.h"
#include "ui/model_lookup.h"
#include "ui/records.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The id of commands that merge (QUndoCommand::id).
constexpr int kTopicTypingId = 1;

const bcf::Markup& markupAt(const BcfSession& session, int topic) {
    return session.data().markups.at(static_cast<std::size_t>(topic));
}

int endOf(std::size_t size) {
    return static_cast<int>(size);
}

// `topic` marked modified now by the author: a record taken from it changes the topic too.
bcf::Topic modifiedNow(bcf::Topic topic) {
    topic.modifiedDate = currentTimestampText();
    topic.modifiedAuthor = authorName().toStdString();
    return topic;
}

} // namespace

EditTopicCommand::EditTopicCommand(BcfSession& session, int topic, bcf::Topic after, const QString& text,
                                   int run)
    : QUndoCommand(text), session_(session), topic_(topic), before_(markupAt(session, topic).topic),
      after_(std::move(after)), run_(run) {}

void EditTopicCommand::redo() {
    session_.setTopic(topic_, after_);
}

void EditTopicCommand::undo() {
    session_.setTopic(topic_, before_);
}

int EditTopicCommand::id() const {
    return run_ < 0 ? -1 : kTopicTypingId;
}

bool EditTopicCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const EditTopicCommand*>(other);
    if (next->topic_ != topic_ || next->run_ != run_ || next->text() != text())
        return false;
    after_ = next->after_;
    // Typed back to what it was: the topic gets its record back, modification included, and the
    // stack drops the command with its unsaved mark.
    bcf::Topic unmarked = after_;
    unmarked.modifiedDate = before_.modifiedDate;
    unmarked.modifiedAuthor = before_.modifiedAuthor;
    if (unmarked == before_) {
        setObsolete(true);
        session_.setTopic(topic_, before_);
    }
    return true;
}

EditCommentCommand::EditCommentCommand(BcfSession& session, int topic, int comment, bcf::Comment after)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "Edit Comment")), session_(session),
      topic_(topic), comment_(comment),
      before_(markupAt(session, topic).comments.at(static_cast<std::size_t>(comment))),
      after_(std::move(after)) {}

void EditCommentCommand::redo() {
    session_.setComment(topic_, comment_, after_);
}

void EditCommentCommand::undo() {
    session_.setComment(topic_, comment_, before_);
}

AddTopicCommand::AddTopicCommand(BcfSession& session, bcf::Markup markup)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "New Issue")), session_(session),
      topic_(endOf(session.data().markups.size())), markup_(std::move(markup)) {}

void AddTopicCommand::redo() {
    session_.insertMarkup(topic_, markup_);
}

void AddTopicCommand::undo() {
    session_.takeMarkup(topic_);
}

DeleteTopicCommand::DeleteTopicCommand(BcfSession& session, int topic)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "Delete Issue")), session_(session),
      topic_(topic), markup_(markupAt(session, topic)) {}

void DeleteTopicCommand::redo() {
    // Topics that relate to this one keep their link, shown as missing; saving drops it.
    session_.noteDeletedTopic(markup_.topic.guid);
    markup_ = session_.takeMarkup(topic_);
}

void DeleteTopicCommand::undo() {
    session_.forgetDeletedTopic();
    session_.insertMarkup(topic_, markup_);
}

AddCommentCommand::AddCommentCommand(BcfSession& session, int topic, bcf::Comment comment)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "New Comment")), session_(session),
      topic_(topic), comment_(endOf(markupAt(session, topic).comments.size())), value_(std::move(comment)) {}

void AddCommentCommand::redo() {
    session_.insertComment(topic_, comment_, value_);
}

void AddCommentCommand::undo() {
    session_.takeComment(topic_, comment_);
}

DeleteCommentCommand::DeleteCommentCommand(BcfSession& session, int topic, int comment)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "Delete Comment")), session_(session),
      topic_(topic), comment_(comment), before_(markupAt(session, topic).topic),
      after_(modifiedNow(before_)) {}

void DeleteCommentCommand::redo() {
    value_ = session_.takeComment(topic_, comment_);
    session_.setTopic(topic_, after_);
}

void DeleteCommentCommand::undo() {
    session_.insertComment(topic_, comment_, value_);
    session_.setTopic(topic_, before_);
}

AddSnapshotCommand::AddSnapshotCommand(BcfSession& session, int topic, bcf::ViewPoint viewPoint)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "New Snapshot")), session_(session),
      topic_(topic), viewPoint_(endOf(markupAt(session, topic).viewPoints.size())),
      value_(std::move(viewPoint)) {}

void AddSnapshotCommand::redo() {
    session_.insertViewPoint(topic_, viewPoint_, value_);
}

void AddSnapshotCommand::undo() {
    // Kept as the model holds it now: a payload fetched meanwhile stays fetched.
    value_ = session_.takeViewPoint(topic_, viewPoint_);
}

DeleteSnapshotCommand::DeleteSnapshotCommand(BcfSession& session, int topic, int viewPoint)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "Delete Snapshot")), session_(session),
      topic_(topic), viewPoint_(viewPoint), before_(markupAt(session, topic).topic),
      after_(modifiedNow(before_)) {
    const bcf::Markup& markup = markupAt(session, topic);
    for (std::size_t i = 0; i < markup.comments.size(); ++i) {
        if (viewPointIndex(markup, markup.comments[i].viewpoint) == viewPoint)
            comments_.emplace_back(static_cast<int>(i), markup.comments[i]);
    }
}

void DeleteSnapshotCommand::redo() {
    for (const auto& [index, comment] : comments_) {
        bcf::Comment about = comment;
        about.viewpoint.clear();
        session_.setComment(topic_, index, std::move(about));
    }
    value_ = session_.takeViewPoint(topic_, viewPoint_);
    session_.setTopic(topic_, after_);
}

void DeleteSnapshotCommand::undo() {
    session_.setTopic(topic_, before_);
    session_.insertViewPoint(topic_, viewPoint_, value_);
    for (const auto& [index, comment] : comments_)
        session_.setComment(topic_, index, comment);
}

AddDocumentCommand::AddDocumentCommand(BcfSession& session, bcf::DocumentInfo document)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "New Document")), session_(session),
      document_(endOf(session.data().documents.size())), value_(std::move(document)) {}

void AddDocumentCommand::redo() {
    session_.insertDocument(document_, value_);
}

void AddDocumentCommand::undo() {
    value_ = session_.takeDocument(document_);
}

DeleteDocumentCommand::DeleteDocumentCommand(BcfSession& session, int document)
    : QUndoCommand(QCoreApplication::translate("EditCommands", "Delete Document")), session_(session),
      document_(document) {
    const bcf::Topic mark = modifiedNow({});
    modifiedDate_ = *mark.modifiedDate;
    modifiedAuthor_ = mark.modifiedAuthor;
    const bcf::BcfData& data = session.data();
    const bcf::DocumentInfo* deleted = &data.documents.at(static_cast<std::size_t>(document));
    for (std::size_t i = 0; i < data.markups.size(); ++i) {
        const bcf::Markup& markup = data.markups[i];
        const auto& references = markup.topic.documentReferences;
        if (std::any_of(references.begin(), references.end(), [&](const bcf::DocumentReference& reference) {
                return referencedDocument(data, markup, reference) == deleted;
            }))
            citing_.emplace_back(static_cast<int>(i), markup.topic);
    }
}

void DeleteDocumentCommand::redo() {
    // References to the document go with it: a topic can't cite what the archive no longer holds.
    for (const auto& [index, topic] : citing_) {
        const bcf::BcfData& data = session_.data();
        const bcf::Markup& markup = data.markups.at(static_cast<std::size_t>(index));
        const bcf::DocumentInfo* deleted = &data.documents.at(static_cast<std::size_t>(document_));
        bcf::Topic without = topic;
        std::erase_if(without.documentReferences, [&](const bcf::DocumentReference& reference) {
            return referencedDocument(data, markup, reference) == deleted;
        });
        without.modifiedDate = modifiedDate_;
        without.modifiedAuthor = modifiedAuthor_;
        session_.setTopic(index, std::move(without));
    }
    value_ = session_.takeDocument(document_);
}

void DeleteDocumentCommand::undo() {
    session_.insertDocument(document_, value_);
    for (const auto& [index, topic] : citing_)
        session_.setTopic(index, topic);
}
