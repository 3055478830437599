// Editing commands of the main window: save, new issue, comment, snapshot and document.
#include "ui/author_setting.h"
#include "ui/issue_list.h"
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"
#include "ui/save_command.h"
#include "ui/slot_guard_p.h"

#include "codec/archive.h"
#include "codec/zip/zip_archive.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>

#include <stdexcept>

namespace {

// The bytes of the local file at `path`. Throws std::runtime_error with the reason when the file
// can't be read, or is larger than an archive entry may be.
std::string readLocalFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    if (static_cast<std::uint64_t>(file.size()) > bcf::kMaxEntryBytes)
        throw std::runtime_error("the file is too large for a BCF archive");
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(file.errorString().toStdString());
    return bytes.toStdString();
}

} // namespace

void MainWindow::onTbSaveClicked(bool) {
    save();
}

bool MainWindowPrivate::saveWithDialog() {
    // The dialog proposes the current file, its folder and name; a fresh window starts in the
    // process's current directory.
    QString selectedFilter;
    const QString path = QFileDialog::getSaveFileName(q, QString(), QString::fromUtf8(bcfFilePath),
                                                      saveFilters(), &selectedFilter);
    // A cancelled dialog keeps the current file.
    if (path.isEmpty())
        return false;
    const bcf::BcfVersion version = saveVersionForFilter(selectedFilter, bcfData.version);
    // The archive is built whole in memory and replaces the file only when complete, so a failure
    // leaves the file, the model and the current file as they were, ready for another try.
    bcf::SaveNotes notes;
    bool saved = false;
    runGuarded(*this, QStringLiteral("Saving the BCF archive"), QDir::toNativeSeparators(path), [&] {
        notes = bcf::saveArchive(path.toStdString(), document, version);
        saved = true;
    });
    if (!saved)
        return false;
    bcfFilePath = path.toStdString();
    setUnsavedChanges(false);
    // What could not be carried (damaged payloads, values the version can't hold) in one message.
    if (!notes.empty())
        showMessage(QMessageBox::Information, saveNotesText(notes), QStringLiteral("bcfSaveNotes"));
    return true;
}

void MainWindow::onPbNewIssueClicked(bool) {
    runGuarded(*d, QStringLiteral("Adding an issue"), QString(), [this] {
        // One row more, not a new list: the rows already there stay as they are. The new row is
        // selected and shown, so that the next command works on it.
        d->bcfData.markups.push_back(newIssue(d->bcfData, authorName().toStdString()));
        d->markModified();
        d->issueList->appendIssue(static_cast<int>(d->bcfData.markups.size() - 1));
    });
}

void MainWindow::onPbNewCommentClicked(bool) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    runGuarded(*d, QStringLiteral("Adding a comment"), QString(), [this, topicIndex] {
        bcf::Markup& markup = d->bcfData.markups.at(static_cast<std::size_t>(topicIndex));
        bcf::Comment comment = newComment(authorName().toStdString());
        // Written while a snapshot is selected, the comment is about that snapshot's viewpoint.
        const int snapshotRow = d->ui->lwSnapshots->currentRow();
        if (snapshotRow >= 0 && static_cast<std::size_t>(snapshotRow) < markup.viewPoints.size() &&
            !d->ui->lwSnapshots->selectedItems().isEmpty())
            comment.viewpoint = markup.viewPoints[static_cast<std::size_t>(snapshotRow)].guid;
        markup.comments.push_back(std::move(comment));
        d->markModified();
        fillComments(d->ui->twComments, d->ui->lComments, d->bcfData, topicIndex);
    });
}

void MainWindow::onPbNewSnapshotClicked(bool) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    runGuarded(*d, QStringLiteral("Adding a snapshot"), QString(), [this, topicIndex] {
        bcf::Markup& markup = d->bcfData.markups.at(static_cast<std::size_t>(topicIndex));
        markup.viewPoints.push_back(newSnapshot());
        d->markModified();
        const std::size_t count = markup.viewPoints.size();
        d->ui->tabWidget->setTabText(0, countText("Snapshot (", count));

        QListWidget* list = d->ui->lwSnapshots;
        if (static_cast<std::size_t>(list->count()) + 1 != count) {
            // The list does not show this topic's snapshots as they were; show them afresh.
            fillSnapshots(list, d->ui->tabWidget, d->document, topicIndex);
            return;
        }
        const QImage thumbnail = snapshotThumbnail(markup.viewPoints.back().snapshotData);
        list->addItem(new QListWidgetItem());
        list->model()->setData(list->model()->index(list->count() - 1, 0), QPixmap::fromImage(thumbnail),
                               Qt::DecorationRole);
    });
}

void MainWindow::onPbNewDocumentClicked(bool) {
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString());
    if (path.isEmpty())
        return;
    runGuarded(*d, QStringLiteral("Adding a document"), QDir::toNativeSeparators(path), [this, &path] {
        // The content is taken now, while the file is at hand; only its name goes into the
        // archive, never the local folders.
        bcf::DocumentInfo document = newDocument(documentFileName(path, d->bcfData), readLocalFile(path));
        const QString name = QString::fromStdString(document.filename);
        d->bcfData.documents.push_back(std::move(document));
        d->markModified();
        d->ui->tabWidget->setTabText(1, countText("Documents (", d->bcfData.documents.size()));
        auto* item = new QTreeWidgetItem();
        item->setText(0, name);
        item->setText(1, QStringLiteral("Project"));
        d->ui->twDocuments->addTopLevelItem(item);
    });
}
