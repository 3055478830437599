#include "ui/bcf_session.h"

#include "codec/archive.h"
#include "codec/guid.h"
#include "codec/payloads.h"

#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

template <typename T> T& at(std::vector<T>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        throw std::out_of_range("no such record");
    return list[static_cast<std::size_t>(index)];
}

template <typename T> void insertAt(std::vector<T>& list, int index, T value) {
    if (index < 0 || static_cast<std::size_t>(index) > list.size())
        throw std::out_of_range("no such record");
    list.insert(list.begin() + index, std::move(value));
}

template <typename T> T takeAt(std::vector<T>& list, int index) {
    T value = std::move(at(list, index));
    list.erase(list.begin() + index);
    return value;
}

} // namespace

BcfSession::BcfSession(QObject* parent) : QObject(parent), undoStack_(new QUndoStack(this)) {
    connect(undoStack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit unsavedChangesChanged(!clean); });
}

BcfSession::~BcfSession() = default;

bool BcfSession::hasUnsavedChanges() const {
    return !undoStack_->isClean();
}

void BcfSession::open(const std::string& path) {
    // Read whole before anything changes: a file that can't be loaded replaces nothing.
    bcf::BcfDocument loaded = bcf::loadArchive(path);
    undoStack_->clear();
    document_ = std::move(loaded);
    version_ = document_.data.version;
    hasDocument_ = true;
    setFilePath(path);
    emit documentReset();
}

void BcfSession::close() {
    undoStack_->clear();
    document_ = bcf::BcfDocument();
    version_ = document_.data.version;
    hasDocument_ = false;
    setFilePath(std::string());
    emit documentReset();
}

void BcfSession::newArchive(const std::string& projectName) {
    undoStack_->clear();
    document_ = bcf::BcfDocument();
    document_.data.version = bcf::BcfVersion::V3_0;
    document_.data.name = projectName;
    document_.data.projectId = bcf::generateGuid();
    version_ = document_.data.version;
    hasDocument_ = true;
    setFilePath(std::string());
    // Nothing of it is in a file yet: the stack has no clean state until the first save.
    undoStack_->resetClean();
    emit documentReset();
}

bcf::SaveNotes BcfSession::save(const std::string& path, bcf::BcfVersion version) {
    bcf::SaveNotes notes = bcf::saveArchive(path, document_, version);
    version_ = version;
    setFilePath(path);
    undoStack_->setClean();
    return notes;
}

void BcfSession::push(QUndoCommand* command) {
    // The stack owns the command once it ran; one whose first run failed is gone.
    std::unique_ptr<QUndoCommand> owned(command);
    undoStack_->push(command);
    owned.release();
}

void BcfSession::setFilePath(const std::string& path) {
    if (path == filePath_)
        return;
    filePath_ = path;
    emit filePathChanged();
}

bcf::Markup& BcfSession::markup(int topic) {
    return at(document_.data.markups, topic);
}

void BcfSession::fetchSnapshot(int topic, int viewPoint) {
    bcf::Markup& owner = markup(topic);
    bcf::fetchSnapshot(*document_.archive, owner, at(owner.viewPoints, viewPoint));
}

void BcfSession::fetchVisualization(int topic, int viewPoint) {
    bcf::Markup& owner = markup(topic);
    bcf::fetchVisualization(*document_.archive, owner, at(owner.viewPoints, viewPoint));
}

void BcfSession::fetchBitmap(int topic, int viewPoint, int bitmap) {
    bcf::Markup& owner = markup(topic);
    auto& bitmaps = at(owner.viewPoints, viewPoint).visualizationInfo.bitmaps;
    if (!bitmaps)
        throw std::out_of_range("no such record");
    bcf::fetchBitmap(*document_.archive, owner, at(*bitmaps, bitmap));
}

void BcfSession::fetchBimSnippet(int topic) {
    bcf::fetchBimSnippet(*document_.archive, markup(topic));
}

void BcfSession::fetchDocument(int document) {
    bcf::fetchDocument(*document_.archive, at(document_.data.documents, document), document_.data.version);
}

std::string BcfSession::readEntry(const std::string& name) const {
    return document_.archive->read(name).value_or(std::string());
}

void BcfSession::setTopic(int topic, bcf::Topic value) {
    markup(topic).topic = std::move(value);
    emit topicChanged(topic);
}

void BcfSession::insertMarkup(int topic, bcf::Markup value) {
    insertAt(document_.data.markups, topic, std::move(value));
    emit topicAdded(topic);
}

bcf::Markup BcfSession::takeMarkup(int topic) {
    bcf::Markup taken = takeAt(document_.data.markups, topic);
    emit topicRemoved(topic);
    return taken;
}

void BcfSession::noteDeletedTopic(const std::string& guid) {
    document_.data.deletedTopics.push_back(guid);
}

void BcfSession::forgetDeletedTopic() {
    if (!document_.data.deletedTopics.empty())
        document_.data.deletedTopics.pop_back();
}

void BcfSession::setComment(int topic, int comment, bcf::Comment value) {
    at(markup(topic).comments, comment) = std::move(value);
    emit commentChanged(topic, comment);
}

void BcfSession::insertComment(int topic, int comment, bcf::Comment value) {
    insertAt(markup(topic).comments, comment, std::move(value));
    emit commentAdded(topic, comment);
}

bcf::Comment BcfSession::takeComment(int topic, int comment) {
    bcf::Comment taken = takeAt(markup(topic).comments, comment);
    emit commentRemoved(topic, comment);
    return taken;
}

void BcfSession::insertViewPoint(int topic, int viewPoint, bcf::ViewPoint value) {
    insertAt(markup(topic).viewPoints, viewPoint, std::move(value));
    emit viewPointAdded(topic, viewPoint);
}

bcf::ViewPoint BcfSession::takeViewPoint(int topic, int viewPoint) {
    bcf::ViewPoint taken = takeAt(markup(topic).viewPoints, viewPoint);
    emit viewPointRemoved(topic, viewPoint);
    return taken;
}

void BcfSession::insertDocument(int document, bcf::DocumentInfo value) {
    insertAt(document_.data.documents, document, std::move(value));
    emit documentAdded(document);
}

bcf::DocumentInfo BcfSession::takeDocument(int document) {
    bcf::DocumentInfo taken = takeAt(document_.data.documents, document);
    emit documentRemoved(document);
    return taken;
}
