#include "ui/mainwindow.h"

#include "codec/archive.h"
#include "ui/author_setting.h"
#include "ui/bcfopen.h"
#include "ui/components_view.h"
#include "ui/issue_list.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"
#include "ui/tool_icons_p.h"
#include "ui/topic_details.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

#include <stdexcept>

namespace {

// The rich text of the file link: the archive's canonical path, linking to its folder. Both parts
// are escaped, so no character of a file name can end the attribute or add markup.
QString fileLinkHtml(const std::string& path) {
    const QString canonical = QFileInfo(QString::fromUtf8(path)).canonicalFilePath();
    QString folderUrl;
    if (!canonical.isEmpty())
        folderUrl = QUrl::fromLocalFile(QFileInfo(canonical).absolutePath()).toString();
    return QStringLiteral("<a href=\"") + folderUrl.toHtmlEscaped() + QStringLiteral("\">") +
           QDir::toNativeSeparators(canonical).toHtmlEscaped() + QStringLiteral("</a>");
}

} // namespace

QString countText(const char* label, std::size_t count) {
    return QString::fromUtf8(label) + QString::number(count) + QStringLiteral(")");
}

MainWindowPrivate::MainWindowPrivate(MainWindow* window)
    : q(window), ui(std::make_unique<MainWindowUi>()), linkOpener(std::make_unique<LinkOpener>(window)) {}

MainWindow::MainWindow() : d(std::make_unique<MainWindowPrivate>(this)) {
    d->ui->setupUi(this);
    applyToolIcons(*d->ui);
    clearComponentsView(*d->ui);
    d->issueList = new IssueList(d->ui->twIssues, d->ui->lIssues, d->bcfData);
    d->connectIssueEditors();

    const MainWindowUi& ui = *d->ui;
    connect(ui.tbOpen, SIGNAL(clicked(bool)), this, SLOT(onTbOpenClicked(bool)));
    connect(ui.tbClose, SIGNAL(clicked(bool)), this, SLOT(onTbCloseClicked(bool)));
    connect(ui.tbSave, SIGNAL(clicked(bool)), this, SLOT(onTbSaveClicked(bool)));
    connect(ui.tbExportReport, SIGNAL(clicked(bool)), this, SLOT(onTbExportReportClicked(bool)));
    connect(ui.pbNewIssue, SIGNAL(clicked(bool)), this, SLOT(onPbNewIssueClicked(bool)));
    connect(ui.twIssues, SIGNAL(itemSelectionChanged()), this, SLOT(onTwIssuesItemSelectionChanged()));
    connect(ui.pbNewComment, SIGNAL(clicked(bool)), this, SLOT(onPbNewCommentClicked(bool)));
    connect(ui.pbNewSnapshot, SIGNAL(clicked(bool)), this, SLOT(onPbNewSnapshotClicked(bool)));
    connect(ui.pbNewDocument, SIGNAL(clicked(bool)), this, SLOT(onPbNewDocumentClicked(bool)));
    connect(ui.twComments, SIGNAL(itemChanged(QTreeWidgetItem*, int)), this,
            SLOT(onTwCommentItemChanged(QTreeWidgetItem*, int)));
    connect(ui.lwSnapshots, SIGNAL(itemSelectionChanged()), this, SLOT(onLwSnapshotsItemSelectionChanged()));
    connect(ui.lwSnapshots, SIGNAL(itemDoubleClicked(QListWidgetItem*)), this,
            SLOT(onLwSnapshotsItemDoubleClicked(QListWidgetItem*)));
    connect(ui.lwBitmaps, SIGNAL(itemDoubleClicked(QListWidgetItem*)), this,
            SLOT(onLwBitmapsItemDoubleClicked(QListWidgetItem*)));
    connect(ui.twComments, SIGNAL(itemSelectionChanged()), this, SLOT(onTwCommentsItemSelectionChanged()));
    d->setUpDeleteActions();
    d->connectTopicDetails();
    connect(ui.pteDescription, SIGNAL(textChanged()), this, SLOT(onPteDescriptionTextChanged()));

    QMenu* file = menuBar()->findChild<QMenu*>(QStringLiteral("menuFile"));
    if (!file) {
        file = menuBar()->addMenu(QStringLiteral("&File"));
        file->setObjectName(QStringLiteral("menuFile"));
    }
    QAction* author = file->addAction(QStringLiteral("Author name\u2026"));
    author->setObjectName(QStringLiteral("actionAuthorName"));
    connect(author, SIGNAL(triggered(bool)), this, SLOT(onActionAuthorNameTriggered(bool)));
    // Nothing is selected yet: the commands that need a topic start disabled.
    d->updateTopicCommands();
}

MainWindow::~MainWindow() {
    // The children outlive this object's own part; none of their signals may reach a slot now.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        QObject::disconnect(child, nullptr, this, nullptr);
    // The form object goes first; its widgets stay until QMainWindow deletes its children.
    d->ui.reset();
}

const bcf::BcfData& MainWindow::bcfData() const {
    return d->bcfData;
}

const bcf::BcfDocument& MainWindow::document() const {
    return d->document;
}

const std::string& MainWindow::bcfFilePath() const {
    return d->bcfFilePath;
}

bool MainWindow::hasUnsavedChanges() const {
    return d->unsavedChanges;
}

bool MainWindow::save() {
    try {
        return d->saveWithDialog();
    } catch (const std::exception& error) {
        d->reportError(QStringLiteral("Saving the BCF archive"), QString(), error);
    } catch (...) {
        d->reportError(QStringLiteral("Saving the BCF archive"), QString(),
                       std::runtime_error("unknown error"));
    }
    return false;
}

void MainWindow::onActionAuthorNameTriggered(bool) {
    runGuarded(*d, QStringLiteral("Setting the author name"), QString(), [this] {
        bool accepted = false;
        const QString name = QInputDialog::getText(
            this, QStringLiteral("Author name"),
            QStringLiteral("New records and edits are signed with this name (empty: the login name %1):")
                .arg(loginName()),
            QLineEdit::Normal, authorName(), &accepted);
        if (accepted)
            setAuthorName(name);
    });
}

void MainWindow::onTbOpenClicked(bool) {
    std::string path;
    try {
        // Asked first, so that the edits are saved or given up before another archive is chosen.
        if (!d->confirmDiscard())
            return;
        BcfOpen dialog(this);
        // A cancelled dialog keeps the current file: the archive on screen is still the one saved.
        if (dialog.exec() != QDialog::Accepted)
            return;
        path = dialog.selectedFilePath();
    } catch (const std::exception& error) {
        d->reportError(QStringLiteral("Choosing the BCF archive"), QString(), error);
        return;
    } catch (...) {
        d->reportError(QStringLiteral("Choosing the BCF archive"), QString(),
                       std::runtime_error("unknown error"));
        return;
    }
    if (path.empty())
        return;
    // A failed load changes nothing, so the archive on screen stays with its unsaved edits.
    runGuarded(*d, QStringLiteral("Opening the BCF archive"),
               QDir::toNativeSeparators(QString::fromUtf8(path)), [&] { d->loadFile(path); });
}

void MainWindow::onTbCloseClicked(bool) {
    runGuarded(*d, QStringLiteral("Closing the BCF archive"), QString(), [this] {
        if (!d->confirmDiscard())
            return;
        d->document = bcf::BcfDocument();
        d->bcfFilePath.clear();
        d->clearViews();
        d->setUnsavedChanges(false);
    });
}

void MainWindowPrivate::loadFile(const std::string& path) {
    // Read whole before anything on screen changes: a file that can't be loaded replaces nothing.
    bcf::BcfDocument loaded = bcf::loadArchive(path);
    clearViews();
    ui->llink->setText(fileLinkHtml(path));
    document = std::move(loaded);
    bcfFilePath = path;
    unsavedChanges = false;
    updateProjectLabel();
    showIssues();
    fillDocuments(ui->twDocuments, ui->tabWidget, bcfData);
    createEnabled = true;
    updateTopicCommands();
}

void MainWindowPrivate::clearViews() {
    updateProjectLabel();
    ui->llink->clear();
    ui->tabWidget->setTabText(0, countText("Snapshot (", 0));
    ui->tabWidget->setTabText(1, countText("Documents (", 0));
    ui->lComments->setText(countText("Comments (", 0));
    issueList->clear();
    ui->pteDescription->clear();
    fillTopicDetails(*ui, bcfData, -1);
    ui->lwSnapshots->clear();
    ui->twDocuments->clear();
    clearComponentsView(*ui);
    ui->twComments->clear();
    createEnabled = false;
    updateTopicCommands();
}

void MainWindowPrivate::updateTopicCommands() {
    const bool topic = selectedTopicIndex() >= 0;
    ui->pbNewIssue->setEnabled(createEnabled);
    ui->pbNewDocument->setEnabled(createEnabled);
    ui->tbExportReport->setEnabled(createEnabled);
    ui->pbNewComment->setEnabled(createEnabled && topic);
    ui->pbNewSnapshot->setEnabled(createEnabled && topic);
    ui->pteDescription->setReadOnly(!topic);
}

void MainWindowPrivate::markModified() {
    setUnsavedChanges(true);
}

void MainWindowPrivate::setUnsavedChanges(bool unsaved) {
    unsavedChanges = unsaved;
    updateProjectLabel();
}

void MainWindowPrivate::updateProjectLabel() {
    QString text = QStringLiteral("Project: ") + fromUtf8(bcfData.name);
    if (unsavedChanges)
        text += bcfData.name.empty() ? QStringLiteral("*") : QStringLiteral(" *");
    ui->lProject->setText(text);
}

bool MainWindowPrivate::confirmDiscard() {
    if (!unsavedChanges)
        return true;
    const QString name = bcfFilePath.empty() ? QStringLiteral("the new archive")
                                             : QFileInfo(QString::fromUtf8(bcfFilePath)).fileName();
    QMessageBox box(QMessageBox::Question, QStringLiteral("BCF"),
                    QStringLiteral("Save changes to %1?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, q);
    box.setObjectName(QStringLiteral("bcfSaveChangesQuestion"));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return saveWithDialog();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindowPrivate::showIssues() {
    issueList->showAll();
    connectIssueEditors();
}

int MainWindowPrivate::selectedTopicIndex() const {
    const QList<QTreeWidgetItem*> selected = ui->twIssues->selectedItems();
    if (selected.isEmpty())
        return -1;
    const int index = markupRow(selected.first());
    if (index < 0 || static_cast<std::size_t>(index) >= bcfData.markups.size())
        return -1;
    return index;
}

QTreeWidgetItem* MainWindowPrivate::issueItem(int topicIndex) const {
    for (int row = 0; row < ui->twIssues->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ui->twIssues->topLevelItem(row);
        if (markupRow(item) == topicIndex)
            return item;
    }
    return nullptr;
}

void MainWindowPrivate::reportError(const QString& action, const QString& subject,
                                    const std::exception& error) {
    try {
        QString text = action + QStringLiteral(" failed");
        if (!subject.isEmpty())
            text += QStringLiteral(": ") + subject;
        text += QStringLiteral("\n\n") + QString::fromUtf8(error.what());
        showMessage(QMessageBox::Warning, text, QStringLiteral("bcfErrorMessage"));
    } catch (...) {
        // Reporting must never throw out of a slot; there is nothing left to tell the user with.
    }
}

void MainWindowPrivate::showMessage(QMessageBox::Icon icon, const QString& text, const QString& objectName) {
    // Window-modal and opened without a nested event loop: the slot that shows it returns at once.
    auto* box = new QMessageBox(icon, QStringLiteral("BCF"), text, QMessageBox::Ok, q);
    box->setObjectName(objectName);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}
