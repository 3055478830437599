#include "ui/comments_view.h"

#include "ui/author_setting.h"
#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/model_lookup.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/window_actions.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "datetime/local_date_time.h"

#include <QAction>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

enum Column { TextColumn = 0, AuthorColumn, DateColumn, ModifiedByColumn, ModifiedDateColumn };

void setTexts(QTreeWidgetItem* item, const bcf::Comment& comment) {
    item->setText(TextColumn, fromUtf8(comment.comment));
    item->setText(AuthorColumn, fromUtf8(comment.author));
    item->setText(DateColumn, bcf::formatDateTime(comment.date));
    item->setText(ModifiedByColumn, fromUtf8(comment.modifiedAuthor));
    item->setText(ModifiedDateColumn, bcf::formatDateTime(comment.modifiedDate));
    // Each cell's whole text, for a column too narrow to show it.
    for (int column = TextColumn; column <= ModifiedDateColumn; ++column)
        item->setToolTip(column, plainToolTip(item->text(column)));
}

} // namespace

CommentsView::CommentsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                           WindowMessages& messages)
    : ui_(ui), session_(session), selection_(selection), messages_(messages) {
    connect(ui.twComments, &QTreeWidget::itemChanged, this, &CommentsView::textEdited);
    connect(ui.twComments, &QTreeWidget::itemSelectionChanged, this, &CommentsView::commentSelected);
    connect(ui.pbNewComment, &QAbstractButton::clicked, this, &CommentsView::newComment);
    addDeleteCommand(ui.twComments, "actionDeleteComment", tr("Delete comment"), [this] { deleteComment(); });

    connect(&selection_, &TopicSelection::topicChanged, this, [this] {
        show();
        updateCommands();
    });
    connect(&session_, &BcfSession::documentReset, this, [this] {
        show();
        updateCommands();
    });
    for (auto signal : {&BcfSession::commentAdded, &BcfSession::commentRemoved}) {
        connect(&session_, signal, this, [this](int topic, int) {
            if (topic == selection_.topic())
                show();
        });
    }
    connect(&session_, &BcfSession::commentChanged, this, [this](int topic, int comment) {
        if (topic == selection_.topic())
            showRow(comment);
    });
    updateCommands();
}

CommentsView::~CommentsView() = default;

void CommentsView::show() {
    QTreeWidget* tree = ui_.twComments;
    tree->clear();
    const int topic = selection_.topic();
    const bcf::BcfData& data = session_.data();
    if (topic < 0 || static_cast<std::size_t>(topic) >= data.markups.size()) {
        ui_.lComments->setText(tr("Comments (%1)").arg(0));
        return;
    }
    const std::vector<bcf::Comment>& comments = data.markups[static_cast<std::size_t>(topic)].comments;
    ui_.lComments->setText(tr("Comments (%1)").arg(bcf::localCount(static_cast<qint64>(comments.size()))));
    for (const bcf::Comment& comment : comments) {
        // The texts are set before the item joins the tree, so filling emits no itemChanged.
        auto* item = new QTreeWidgetItem();
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        setTexts(item, comment);
        tree->addTopLevelItem(item);
    }
    // Refilled after a dialog closed (a deleted comment), the view repaints only the rows its
    // header resized, leaving the old rows' pixels below them; every row has changed.
    tree->viewport()->update();
}

void CommentsView::showRow(int comment) {
    QTreeWidgetItem* item = ui_.twComments->topLevelItem(comment);
    const std::vector<bcf::Comment>& comments =
        session_.data().markups.at(static_cast<std::size_t>(selection_.topic())).comments;
    if (!item || comment < 0 || static_cast<std::size_t>(comment) >= comments.size())
        return show();
    const QSignalBlocker blocker(ui_.twComments);
    setTexts(item, comments[static_cast<std::size_t>(comment)]);
}

void CommentsView::textEdited(QTreeWidgetItem* item, int column) {
    if (column != TextColumn || item == nullptr)
        return;
    messages_.run(tr("Editing the comment"), QString(), [&] {
        const int topic = selection_.topic();
        if (topic < 0)
            return;
        const std::vector<bcf::Comment>& comments =
            session_.data().markups.at(static_cast<std::size_t>(topic)).comments;
        const int index = ui_.twComments->indexOfTopLevelItem(item);
        if (index < 0 || static_cast<std::size_t>(index) >= comments.size())
            return;
        bcf::Comment edited = comments[static_cast<std::size_t>(index)];
        const std::string text = toUtf8(item->text(TextColumn));
        if (edited.comment == text)
            return;
        edited.comment = text;
        // Signed like every edit; the row shows who and when.
        edited.modifiedDate = currentTimestampText();
        edited.modifiedAuthor = toUtf8(authorName());
        session_.push(new EditCommentCommand(session_, topic, index, std::move(edited)));
    });
}

void CommentsView::commentSelected() {
    const int topic = selection_.topic();
    const QList<QTreeWidgetItem*> selected = ui_.twComments->selectedItems();
    if (topic < 0 || selected.isEmpty())
        return;
    const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
    const int index = ui_.twComments->indexOfTopLevelItem(selected.first());
    if (index < 0 || static_cast<std::size_t>(index) >= markup.comments.size())
        return;
    // The comment talks about one viewpoint: its snapshot is selected, which shows its components.
    const int viewPoint = viewPointIndex(markup, markup.comments[static_cast<std::size_t>(index)].viewpoint);
    if (viewPoint >= 0)
        selection_.setViewPoint(viewPoint);
}

void CommentsView::newComment() {
    const int topic = selection_.topic();
    if (topic < 0)
        return;
    messages_.run(tr("Adding a comment"), QString(), [&] {
        const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
        bcf::Comment comment = ::newComment(toUtf8(authorName()));
        // Written while a snapshot is selected, the comment is about that snapshot's viewpoint.
        const int viewPoint = selection_.viewPoint();
        if (viewPoint >= 0 && static_cast<std::size_t>(viewPoint) < markup.viewPoints.size())
            comment.viewpoint = markup.viewPoints[static_cast<std::size_t>(viewPoint)].guid;
        session_.push(new AddCommentCommand(session_, topic, std::move(comment)));
    });
}

void CommentsView::deleteComment() {
    const int topic = selection_.topic();
    const QList<QTreeWidgetItem*> selected = ui_.twComments->selectedItems();
    if (topic < 0 || selected.isEmpty())
        return;
    const int index = ui_.twComments->indexOfTopLevelItem(selected.first());
    const std::vector<bcf::Comment>& comments =
        session_.data().markups.at(static_cast<std::size_t>(topic)).comments;
    if (index < 0 || static_cast<std::size_t>(index) >= comments.size())
        return;
    if (!messages_.confirmDelete(tr("Delete the comment \u201c%1\u201d?")
                                     .arg(fromUtf8(comments[static_cast<std::size_t>(index)].comment))))
        return;
    messages_.run(tr("Deleting the comment"), QString(),
                  [&] { session_.push(new DeleteCommentCommand(session_, topic, index)); });
}

void CommentsView::updateCommands() {
    ui_.pbNewComment->setEnabled(session_.hasDocument() && selection_.topic() >= 0);
}
