// Deleting commands of the main window: a topic, a comment, a snapshot with its viewpoint and a
// document, each from its view's context menu or the Delete key, after a confirmation.
#include "ui/components_view.h"
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"
#include "ui/topic_details.h"

#include <QAction>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>

namespace {

// The first selected row of a tree, or -1.
int selectedRow(const QTreeWidget* tree) {
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    return selected.isEmpty() ? -1 : tree->indexOfTopLevelItem(selected.first());
}

template <typename T> bool isIndexOf(const std::vector<T>& list, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

QString quotedText(const std::string& text) {
    return QStringLiteral("\u201c") + fromUtf8(text) + QStringLiteral("\u201d");
}

} // namespace

void MainWindowPrivate::setUpDeleteActions() {
    const struct {
        QWidget* view;
        const char* name;
        const char* text;
        const char* slot;
    } actions[] = {
        {ui->twIssues, "actionDeleteIssue", "Delete issue", SLOT(onActionDeleteIssueTriggered(bool))},
        {ui->twComments, "actionDeleteComment", "Delete comment", SLOT(onActionDeleteCommentTriggered(bool))},
        {ui->lwSnapshots, "actionDeleteSnapshot", "Delete snapshot",
         SLOT(onActionDeleteSnapshotTriggered(bool))},
        {ui->twDocuments, "actionDeleteDocument", "Delete document",
         SLOT(onActionDeleteDocumentTriggered(bool))},
    };
    for (const auto& entry : actions) {
        auto* action = new QAction(QString::fromUtf8(entry.text), entry.view);
        action->setObjectName(QString::fromUtf8(entry.name));
        action->setShortcut(QKeySequence::Delete);
        // Only while the view itself has the focus: the Delete key of a cell editor stays its own.
        action->setShortcutContext(Qt::WidgetShortcut);
        entry.view->addAction(action);
        entry.view->setContextMenuPolicy(Qt::ActionsContextMenu);
        QObject::connect(action, SIGNAL(triggered(bool)), q, entry.slot);
    }
}

bool MainWindowPrivate::confirmDelete(const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("BCF"), question, QMessageBox::NoButton, q);
    box.setObjectName(QStringLiteral("bcfConfirmDelete"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("Delete"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == yes;
}

void MainWindow::onActionDeleteIssueTriggered(bool) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    const bcf::Markup& markup = d->bcfData.markups[static_cast<std::size_t>(topicIndex)];
    const QString question = QStringLiteral("Delete the issue ") + quotedText(markup.topic.title) +
                             QStringLiteral(" with its ") + QString::number(markup.comments.size()) +
                             QStringLiteral(" comments and ") + QString::number(markup.viewPoints.size()) +
                             QStringLiteral(" snapshots?");
    if (!d->confirmDelete(question))
        return;
    runGuarded(*d, QStringLiteral("Deleting the issue"), fromUtf8(markup.topic.title),
               [this, topicIndex] { d->deleteTopic(topicIndex); });
}

void MainWindowPrivate::deleteTopic(int topicIndex) {
    // Topics that relate to this one keep their link, shown as missing; saving drops it.
    bcfData.deletedTopics.push_back(bcfData.markups[static_cast<std::size_t>(topicIndex)].topic.guid);
    bcfData.markups.erase(bcfData.markups.begin() + topicIndex);
    markModified();
    {
        const QSignalBlocker blocker(ui->twIssues);
        showIssues();
    }
    // Nothing is selected now: the views of one topic empty.
    showSelectedTopic();
}

void MainWindow::onActionDeleteCommentTriggered(bool) {
    const int topicIndex = d->selectedTopicIndex();
    const int commentIndex = selectedRow(d->ui->twComments);
    if (topicIndex < 0)
        return;
    std::vector<bcf::Comment>& comments = d->bcfData.markups[static_cast<std::size_t>(topicIndex)].comments;
    if (!isIndexOf(comments, commentIndex))
        return;
    if (!d->confirmDelete(QStringLiteral("Delete the comment ") +
                          quotedText(comments[static_cast<std::size_t>(commentIndex)].comment) +
                          QStringLiteral("?")))
        return;
    runGuarded(*d, QStringLiteral("Deleting the comment"), QString(), [&] {
        comments.erase(comments.begin() + commentIndex);
        d->markModified();
        fillComments(d->ui->twComments, d->ui->lComments, d->bcfData, topicIndex);
    });
}

void MainWindow::onActionDeleteSnapshotTriggered(bool) {
    const int topicIndex = d->selectedTopicIndex();
    const int row = d->ui->lwSnapshots->currentRow();
    if (topicIndex < 0)
        return;
    bcf::Markup& markup = d->bcfData.markups[static_cast<std::size_t>(topicIndex)];
    if (!isIndexOf(markup.viewPoints, row) || d->ui->lwSnapshots->selectedItems().isEmpty())
        return;
    if (!d->confirmDelete(QStringLiteral("Delete the snapshot ") +
                          quotedText(markup.viewPoints[static_cast<std::size_t>(row)].snapshot) +
                          QStringLiteral(" with its viewpoint?")))
        return;
    runGuarded(*d, QStringLiteral("Deleting the snapshot"), QString(), [&] {
        // Comments about this viewpoint stay, now about none.
        for (bcf::Comment& comment : markup.comments) {
            if (viewPointIndex(markup, comment.viewpoint) == row)
                comment.viewpoint.clear();
        }
        markup.viewPoints.erase(markup.viewPoints.begin() + row);
        d->markModified();
        fillComments(d->ui->twComments, d->ui->lComments, d->bcfData, topicIndex);
        clearComponentsView(*d->ui);
        fillSnapshots(d->ui->lwSnapshots, d->ui->tabWidget, d->document, topicIndex);
    });
}

void MainWindow::onActionDeleteDocumentTriggered(bool) {
    const int row = selectedRow(d->ui->twDocuments);
    std::vector<bcf::DocumentInfo>& documents = d->bcfData.documents;
    if (!isIndexOf(documents, row))
        return;
    // References to the document go with it: a topic can't cite what the archive no longer holds.
    const bcf::DocumentInfo& document = documents[static_cast<std::size_t>(row)];
    const auto citesIt = [&](const bcf::Markup& markup, const bcf::DocumentReference& reference) {
        return referencedDocument(d->bcfData, markup, reference) == &document;
    };
    std::size_t citing = 0;
    for (const bcf::Markup& markup : d->bcfData.markups)
        citing += static_cast<std::size_t>(
            std::count_if(markup.topic.documentReferences.begin(), markup.topic.documentReferences.end(),
                          [&](const auto& reference) { return citesIt(markup, reference); }));
    QString question =
        QStringLiteral("Delete the document ") + quotedText(document.filename) + QStringLiteral("?");
    if (citing > 0)
        question += QStringLiteral(" Its ") + QString::number(citing) +
                    QStringLiteral(" references in topics go too.");
    if (!d->confirmDelete(question))
        return;
    runGuarded(*d, QStringLiteral("Deleting the document"), QString(), [&] {
        for (bcf::Markup& markup : d->bcfData.markups)
            std::erase_if(markup.topic.documentReferences, [&](const bcf::DocumentReference& reference) {
                return citesIt(markup, reference);
            });
        documents.erase(documents.begin() + row);
        d->markModified();
        fillTopicDetails(*d->ui, d->bcfData, d->selectedTopicIndex());
        fillDocuments(d->ui->twDocuments, d->ui->tabWidget, d->bcfData);
    });
}
