#include "ui/mainwindow.h"

#include "codec/archive.h"
#include "ui/bcfopen.h"
#include "ui/components_view.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"
#include "ui/tool_icons_p.h"
#include "ui/topic_details.h"

#include <QDir>
#include <QFileInfo>
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

MainWindowPrivate::MainWindowPrivate(MainWindow* window) : q(window), ui(std::make_unique<MainWindowUi>()) {}

MainWindow::MainWindow() : d(std::make_unique<MainWindowPrivate>(this)) {
    d->ui->setupUi(this);
    applyToolIcons(*d->ui);
    clearComponentsView(*d->ui);

    const MainWindowUi& ui = *d->ui;
    connect(ui.tbOpen, SIGNAL(clicked(bool)), this, SLOT(onTbOpenClicked(bool)));
    connect(ui.tbClose, SIGNAL(clicked(bool)), this, SLOT(onTbCloseClicked(bool)));
    connect(ui.tbSave, SIGNAL(clicked(bool)), this, SLOT(onTbSaveClicked(bool)));
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
    connect(ui.twComments, SIGNAL(itemSelectionChanged()), this, SLOT(onTwCommentsItemSelectionChanged()));
    d->setUpDeleteActions();
    d->connectTopicDetails();
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

const std::string& MainWindow::bcfFilePath() const {
    return d->bcfFilePath;
}

void MainWindow::onTbOpenClicked(bool) {
    std::string path;
    try {
        BcfOpen dialog(this);
        if (dialog.exec() != QDialog::Accepted) {
            d->bcfFilePath.clear();
            return;
        }
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

    const QString subject = QDir::toNativeSeparators(QString::fromUtf8(path));
    auto failed = [&](const std::exception& error) {
        // Nothing of the file is shown: a fresh model, empty views, disabled create buttons, and
        // the previous file path kept.
        d->bcfData = bcf::BcfData();
        d->clearViews();
        d->reportError(QStringLiteral("Opening the BCF archive"), subject, error);
    };
    try {
        d->bcfData = bcf::BcfData();
        d->loadFile(path);
        d->bcfFilePath = path;
    } catch (const std::exception& error) {
        failed(error);
    } catch (...) {
        failed(std::runtime_error("unknown error"));
    }
}

void MainWindow::onTbCloseClicked(bool) {
    runGuarded(*d, QStringLiteral("Closing the BCF archive"), QString(), [this] {
        d->bcfData = bcf::BcfData();
        d->clearViews();
    });
}

void MainWindowPrivate::loadFile(const std::string& path) {
    clearViews();
    ui->llink->setText(fileLinkHtml(path));
    bcfData = bcf::loadArchive(path);
    ui->lProject->setText(QStringLiteral("Project: ") + QString::fromUtf8(bcfData.name));
    showIssues();
    fillDocuments(ui->twDocuments, ui->tabWidget, bcfData);
    ui->pbNewIssue->setEnabled(true);
    ui->pbNewSnapshot->setEnabled(true);
    ui->pbNewDocument->setEnabled(true);
    ui->pbNewComment->setEnabled(true);
}

void MainWindowPrivate::clearViews() {
    ui->lProject->setText(QStringLiteral("Project: "));
    ui->llink->clear();
    ui->lIssues->setText(countText("Issues (", 0));
    ui->tabWidget->setTabText(0, countText("Snapshot (", 0));
    ui->tabWidget->setTabText(1, countText("Documents (", 0));
    ui->lComments->setText(countText("Comments (", 0));
    ui->twIssues->clear();
    ui->pteDescription->clear();
    fillTopicDetails(*ui, bcfData, -1);
    ui->lwSnapshots->clear();
    ui->twDocuments->clear();
    clearComponentsView(*ui);
    ui->twComments->clear();
    ui->pbNewIssue->setEnabled(false);
    ui->pbNewSnapshot->setEnabled(false);
    ui->pbNewDocument->setEnabled(false);
    ui->pbNewComment->setEnabled(false);
}

void MainWindowPrivate::showIssues() {
    ui->twIssues->clear();
    ui->lIssues->setText(countText("Issues (", bcfData.markups.size()));
    fillIssues(bcfData, ui->twIssues);
    connectIssueEditors();
}

int MainWindowPrivate::selectedTopicIndex() const {
    const QList<QTreeWidgetItem*> selected = ui->twIssues->selectedItems();
    if (selected.isEmpty())
        return -1;
    const int index = ui->twIssues->indexOfTopLevelItem(selected.first());
    if (index < 0 || static_cast<std::size_t>(index) >= bcfData.markups.size())
        return -1;
    return index;
}

void MainWindowPrivate::reportError(const QString& action, const QString& subject,
                                    const std::exception& error) {
    try {
        QString text = action + QStringLiteral(" failed");
        if (!subject.isEmpty())
            text += QStringLiteral(": ") + subject;
        text += QStringLiteral("\n\n") + QString::fromUtf8(error.what());
        // Window-modal and opened without a nested event loop: the slot that failed returns at once.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("BCF"), text, QMessageBox::Ok, q);
        box->setObjectName(QStringLiteral("bcfErrorMessage"));
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    } catch (...) {
        // Reporting must never throw out of a slot; there is nothing left to tell the user with.
    }
}
