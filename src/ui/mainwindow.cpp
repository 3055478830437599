#include "ui/mainwindow.h"

#include "ui/archive_drop.h"
#include "ui/archive_merge.h"
#include "ui/author_setting.h"
#include "ui/bcf_session.h"
#include "ui/bcfopen.h"
#include "ui/comments_view.h"
#include "ui/components_view.h"
#include "ui/documents_view.h"
#include "ui/issue_list.h"
#include "ui/project_labels.h"
#include "ui/report_export.h"
#include "ui/save_command.h"
#include "ui/snapshot_import.h"
#include "ui/snapshots_view.h"
#include "ui/target_file_dialog.h"
#include "ui/tool_icons_p.h"
#include "ui/topic_details.h"
#include "ui/topic_selection.h"
#include "ui/validation_banner.h"
#include "ui/viewpoint_link.h"
#include "ui/window_actions.h"
#include "ui/window_keyboard.h"
#include "ui/window_layout.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "i18n/language.h"

#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

struct MainWindowPrivate {
    explicit MainWindowPrivate(MainWindow* window)
        : q(window), ui(std::make_unique<Ui::MainWindow>()), messages(window), selection(session),
          viewpointLink(session, selection, messages) {}

    // The window's commands.
    void open();
    // Opens `path` (UTF-8) unless the user keeps the unsaved changes; true when it was opened.
    bool openPath(const std::string& path);
    // Opens `path` (UTF-8), whatever the model holds; true when it was opened (a failure is shown).
    bool openArchive(const std::string& path);
    bool close();
    // Asks for a project name and starts a new, empty archive with it.
    void newArchive();
    void exportReport();
    void setAuthor();
    // Runs the save dialog and saves; false when cancelled or failed (the failure is shown).
    bool saveWithDialog();
    // Saves to the current file in the current version, or runs the save dialog without a file.
    bool saveInPlace();
    // Saves to `path` as `version` and shows what could not be carried; false when it failed
    // (the failure is shown).
    bool saveTo(const QString& path, bcf::BcfVersion version);
    // With unsaved changes, asks "Save changes to ...?": true when the model may be replaced (saved
    // or discarded), false when the user cancelled or the save did not happen.
    bool confirmDiscard();
    // The Undo (or Redo) action of the undo stack, named after its command; a failure while the
    // views follow the change is shown like that of any command.
    QAction* stackAction(QMenu* menu, const char* objectName, bool undo);
    // A menu of the menu bar, made when the form has none of that name.
    QMenu* menu(const char* objectName, const QString& title);

    MainWindow* q;
    std::unique_ptr<Ui::MainWindow> ui;
    WindowMessages messages;
    BcfSession session;
    // Made before the views: it follows the session first, so that they see it up to date.
    TopicSelection selection;
    ViewpointLink viewpointLink;
    std::unique_ptr<ProjectLabels> projectLabels;
    std::unique_ptr<IssueList> issueList;
    std::unique_ptr<TopicDetails> topicDetails;
    std::unique_ptr<CommentsView> comments;
    std::unique_ptr<SnapshotsView> snapshots;
    std::unique_ptr<ComponentsView> components;
    std::unique_ptr<DocumentsView> documents;
    ArchiveMerge* merge = nullptr;
    std::unique_ptr<SnapshotImport> snapshotImport;
};

MainWindow::MainWindow() : d(std::make_unique<MainWindowPrivate>(this)) {
    // The translations of the language chosen for the window, before the first text is set.
    bcf::ensureLanguage();
    // The date field and its calendar in that language too; the window's children inherit it.
    setLocale(bcf::language());
    Ui::MainWindow& ui = *d->ui;
    ui.setupUi(this);
    applyToolIcons(ui);
    arrangeWindowPanes(ui);
    d->projectLabels = std::make_unique<ProjectLabels>(ui.lProject, ui.llink, d->session);
    d->issueList = std::make_unique<IssueList>(ui, d->session, d->selection, d->messages);
    d->topicDetails = std::make_unique<TopicDetails>(ui, d->session, d->selection, d->messages);
    d->comments = std::make_unique<CommentsView>(ui, d->session, d->selection, d->messages);
    d->snapshots =
        std::make_unique<SnapshotsView>(ui, d->session, d->selection, d->messages, d->viewpointLink);
    d->components =
        std::make_unique<ComponentsView>(ui, d->session, d->selection, d->messages, d->viewpointLink);
    d->documents = std::make_unique<DocumentsView>(ui, d->session, d->messages);
    d->snapshotImport = std::make_unique<SnapshotImport>(ui.lwSnapshots, this, d->session, d->selection,
                                                         d->messages, d->viewpointLink);
    new ArchiveDrop(this, [this](const QString& path) { open(path); });

    // The File menu: each command with its shortcut, and on its tool button.
    QMenu* file = d->menu("menuFile", tr("&File"));
    addCommand(this, file, "actionNewArchive", tr("&New archive\u2026"), {}, nullptr,
               [this] { d->newArchive(); });
    addCommand(this, file, "actionOpen", tr("&Open\u2026"), QKeySequence(Qt::CTRL | Qt::Key_O), ui.tbOpen,
               [this] { d->open(); });
    addCommand(this, file, "actionSave", tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), ui.tbSave,
               [this] { save(); });
    addCommand(this, file, "actionSaveAs", tr("Save &As\u2026"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), nullptr, [this] { saveAs(); });
    addCommand(this, file, "actionClose", tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), ui.tbClose,
               [this] { d->close(); });
    file->addSeparator();
    addCommand(this, file, "actionExportReport", tr("&Export report\u2026"),
               QKeySequence(Qt::CTRL | Qt::Key_E), ui.tbExportReport, [this] { d->exportReport(); });
    const auto updateExport = [this] { d->ui->tbExportReport->setEnabled(d->session.hasDocument()); };
    connect(&d->session, &BcfSession::documentReset, this, updateExport);
    updateExport();

    // Problems of the archive file just opened or saved, above everything else.
    auto* banner = new ValidationBanner(ui.centralwidget, d->session);
    qobject_cast<QBoxLayout*>(ui.centralwidget->layout())->insertWidget(0, banner);

    d->merge = new ArchiveMerge(this, d->session, d->selection, d->messages);
    file->insertAction(findChild<QAction*>(QStringLiteral("actionClose")), d->merge->action());
    file->addSeparator();
    addCommand(this, file, "actionAuthorName", tr("Author name\u2026"), {}, nullptr,
               [this] { d->setAuthor(); });

    // Undo and Redo named after the command they take back or do again ("Undo Delete Comment").
    QMenu* edit = d->menu("menuEdit", tr("&Edit", "menu"));
    QAction* undo = d->stackAction(edit, "actionUndo", true);
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = d->stackAction(edit, "actionRedo", false);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addActions({undo, redo});
    // Also while the menu bar is hidden, as a host may keep it.
    addActions({undo, redo});
    addFocusCommands(this, ui, edit);
    setWindowTabOrder(this);
}

MainWindow::~MainWindow() {
    // The views and the session go first, while every widget they know is still there.
    d.reset();
}

BcfSession& MainWindow::session() const {
    return d->session;
}

const bcf::BcfData& MainWindow::bcfData() const {
    return d->session.data();
}

const bcf::BcfDocument& MainWindow::document() const {
    return d->session.document();
}

const std::string& MainWindow::bcfFilePath() const {
    return d->session.filePath();
}

bool MainWindow::hasUnsavedChanges() const {
    return d->session.hasUnsavedChanges();
}

bool MainWindow::save() {
    bool saved = false;
    d->messages.run(tr("Saving the BCF archive"), QString(), [this, &saved] { saved = d->saveInPlace(); });
    return saved;
}

bool MainWindow::saveAs() {
    bool saved = false;
    d->messages.run(tr("Saving the BCF archive"), QString(), [this, &saved] { saved = d->saveWithDialog(); });
    return saved;
}

bool MainWindow::open(const QString& path) {
    return d->openPath(path.toStdString());
}

bool MainWindow::saveAs(const QString& path, bcf::BcfVersion version) {
    return d->saveTo(path, version);
}

bool MainWindow::closeArchive() {
    return d->close();
}

TopicSelection& MainWindow::selection() const {
    return d->selection;
}

ViewpointLink& MainWindow::viewpointLink() const {
    return d->viewpointLink;
}

QAction* MainWindowPrivate::stackAction(QMenu* menu, const char* objectName, bool undo) {
    auto* action = new QAction(menu);
    action->setObjectName(QString::fromUtf8(objectName));
    QUndoStack* stack = session.undoStack();
    const QString verb = undo ? MainWindow::tr("Undo") : MainWindow::tr("Redo");
    const auto update = [action, stack, verb, undo] {
        const QString command = undo ? stack->undoText() : stack->redoText();
        // "Undo Delete Comment", "Redo Delete Comment"
        const QString named =
            undo ? MainWindow::tr("Undo %1").arg(command) : MainWindow::tr("Redo %1").arg(command);
        action->setText(command.isEmpty() ? verb : named);
        action->setEnabled(undo ? stack->canUndo() : stack->canRedo());
    };
    QObject::connect(stack, &QUndoStack::indexChanged, action, update);
    QObject::connect(stack, &QUndoStack::cleanChanged, action, update);
    update();
    QObject::connect(action, &QAction::triggered, q, [this, stack, verb, undo] {
        messages.run(verb, QString(), [stack, undo] { undo ? stack->undo() : stack->redo(); });
    });
    return action;
}

QMenu* MainWindowPrivate::menu(const char* objectName, const QString& title) {
    QMenu* found = q->menuBar()->findChild<QMenu*>(QString::fromUtf8(objectName));
    if (!found) {
        found = q->menuBar()->addMenu(title);
        found->setObjectName(QString::fromUtf8(objectName));
    }
    return found;
}

void MainWindowPrivate::open() {
    std::string path;
    bool chosen = false;
    messages.run(MainWindow::tr("Choosing the BCF archive"), QString(), [&] {
        // Asked first, so that the edits are saved or given up before another archive is chosen.
        if (!confirmDiscard())
            return;
        BcfOpen dialog(q);
        // A cancelled dialog keeps the current file: the archive on screen is still the one saved.
        if (dialog.exec() != QDialog::Accepted)
            return;
        path = dialog.selectedFilePath();
        chosen = true;
    });
    if (!chosen || path.empty())
        return;
    openArchive(path);
}

bool MainWindowPrivate::openPath(const std::string& path) {
    bool confirmed = false;
    messages.run(MainWindow::tr("Choosing the BCF archive"), QString(),
                 [&] { confirmed = confirmDiscard(); });
    return confirmed && openArchive(path);
}

bool MainWindowPrivate::openArchive(const std::string& path) {
    // A failed load changes nothing, so the archive on screen stays with its unsaved edits.
    bool opened = false;
    messages.run(MainWindow::tr("Opening the BCF archive"), QDir::toNativeSeparators(QString::fromUtf8(path)),
                 [&] {
                     session.open(path);
                     opened = true;
                 });
    return opened;
}

bool MainWindowPrivate::close() {
    bool closed = false;
    messages.run(MainWindow::tr("Closing the BCF archive"), QString(), [&] {
        if (confirmDiscard()) {
            session.close();
            closed = true;
        }
    });
    return closed;
}

void MainWindowPrivate::newArchive() {
    messages.run(MainWindow::tr("Starting a new archive"), QString(), [this] {
        if (!confirmDiscard())
            return;
        bool accepted = false;
        const QString name =
            QInputDialog::getText(q, MainWindow::tr("New archive"), MainWindow::tr("Project name:"),
                                  QLineEdit::Normal, QString(), &accepted);
        if (accepted)
            session.newArchive(name.trimmed().toStdString());
    });
}

void MainWindowPrivate::exportReport() {
    ::exportReport(session, shownMarkupRows(ui->twIssues), messages);
}

void MainWindowPrivate::setAuthor() {
    messages.run(MainWindow::tr("Setting the author name"), QString(), [this] {
        bool accepted = false;
        const QString name = QInputDialog::getText(
            q, MainWindow::tr("Author name"),
            MainWindow::tr("New records and edits are signed with this name (empty: the login name %1):")
                .arg(loginName()),
            QLineEdit::Normal, authorName(), &accepted);
        if (accepted)
            setAuthorName(name);
    });
}

bool MainWindowPrivate::saveWithDialog() {
    // The dialog proposes the current file, its folder and name; a fresh window starts in the
    // process's current directory. The name gets its ".bcf" before an existing file is asked about.
    const std::optional<TargetFile> target =
        chooseTargetFile(q, QString(), QString::fromUtf8(session.filePath()),
                         saveFilters().split(QStringLiteral(";;")), bcfArchivePath);
    // A cancelled dialog keeps the current file.
    if (!target)
        return false;
    return saveTo(target->path, saveVersionForFilter(target->filter, session.version()));
}

bool MainWindowPrivate::saveInPlace() {
    if (session.filePath().empty())
        return saveWithDialog();
    return saveTo(QString::fromUtf8(session.filePath()), saveVersionForFilter(QString(), session.version()));
}

bool MainWindowPrivate::saveTo(const QString& path, bcf::BcfVersion version) {
    // The archive is built whole in memory and replaces the file only when complete, so a failure
    // leaves the file, the model and the current file as they were, ready for another try.
    bcf::SaveNotes notes;
    bool saved = false;
    messages.run(MainWindow::tr("Saving the BCF archive"), QDir::toNativeSeparators(path), [&] {
        notes = session.save(path.toStdString(), version);
        saved = true;
    });
    if (!saved)
        return false;
    // What could not be carried (damaged payloads, values the version can't hold) in one message.
    if (!notes.empty())
        messages.showMessage(QMessageBox::Information, saveNotesText(notes), QStringLiteral("bcfSaveNotes"));
    return true;
}

bool MainWindowPrivate::confirmDiscard() {
    if (!session.hasUnsavedChanges())
        return true;
    const QString name = session.filePath().empty()
                             ? MainWindow::tr("the new archive")
                             : QFileInfo(QString::fromUtf8(session.filePath())).fileName();
    QMessageBox box(QMessageBox::Question, MainWindow::tr("BCF"),
                    MainWindow::tr("Save changes to %1?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, q);
    box.setObjectName(QStringLiteral("bcfSaveChangesQuestion"));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return saveInPlace();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}
