#include "ui/archive_merge.h"

#include "codec/archive.h"
#include "codec/merge.h"
#include "datetime/local_date_time.h"
#include "ui/bcf_session.h"
#include "ui/model_lookup.h"
#include "ui/save_command.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/window_messages.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QStringList>
#include <QTreeWidget>
#include <QUndoCommand>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// The merge as one step of the undo stack: the merged model and the one it replaced change places.
class MergeCommand : public QUndoCommand {
public:
    MergeCommand(BcfSession& session, bcf::BcfData merged)
        : QUndoCommand(QCoreApplication::translate("EditCommands", "Merge Archive")), session_(session),
          other_(std::move(merged)) {}
    void redo() override { session_.swapData(other_); }
    void undo() override { session_.swapData(other_); }

private:
    BcfSession& session_;
    bcf::BcfData other_; // the model that is not the session's now
};

int n(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

// A count text of tr() with its number grouped as the language groups digits.
QString counted(const QString& text, std::size_t count) {
    return bcf::withLocalCount(text, static_cast<qint64>(n(count)));
}

// "2 topics added, 1 updated, 4 comments added, ..., 1 conflict": the counts that are not zero.
QString countsText(const bcf::MergeSummary& summary) {
    QStringList parts;
    const auto add = [&parts](std::size_t count, const QString& text) {
        if (count > 0)
            parts << text;
    };
    add(summary.topicsAdded(),
        counted(ArchiveMerge::tr("%n topic(s) added", nullptr, n(summary.topicsAdded())),
                summary.topicsAdded()));
    add(summary.topicsUpdated(),
        counted(ArchiveMerge::tr("%n topic(s) updated", nullptr, n(summary.topicsUpdated())),
                summary.topicsUpdated()));
    add(summary.commentsAdded,
        counted(ArchiveMerge::tr("%n comment(s) added", nullptr, n(summary.commentsAdded)),
                summary.commentsAdded));
    add(summary.viewpointsAdded,
        counted(ArchiveMerge::tr("%n viewpoint(s) added", nullptr, n(summary.viewpointsAdded)),
                summary.viewpointsAdded));
    add(summary.documentsAdded,
        counted(ArchiveMerge::tr("%n document(s) added", nullptr, n(summary.documentsAdded)),
                summary.documentsAdded));
    add(summary.extensionValuesAdded,
        counted(ArchiveMerge::tr("%n extension value(s) added", nullptr, n(summary.extensionValuesAdded)),
                summary.extensionValuesAdded));
    if (!summary.projectFields.empty())
        parts << ArchiveMerge::tr("project updated");
    add(summary.conflicts.size(),
        counted(ArchiveMerge::tr("%n conflict(s)", nullptr, n(summary.conflicts.size())),
                summary.conflicts.size()));
    return parts.join(QStringLiteral(", "));
}

// What happened to one topic: "Added" or the fields and records taken from the other archive.
QString changeText(const bcf::TopicMergeChange& change) {
    if (change.added)
        return ArchiveMerge::tr("Added", "topic added by the merge");
    QStringList parts;
    for (const std::string& field : change.fields)
        parts << QString::fromStdString(field);
    if (change.commentsAdded > 0)
        parts << counted(ArchiveMerge::tr("%n comment(s) added", nullptr, n(change.commentsAdded)),
                         change.commentsAdded);
    if (change.commentsUpdated > 0)
        parts << counted(ArchiveMerge::tr("%n comment(s) updated", nullptr, n(change.commentsUpdated)),
                         change.commentsUpdated);
    if (change.viewpointsAdded > 0)
        parts << counted(ArchiveMerge::tr("%n viewpoint(s) added", nullptr, n(change.viewpointsAdded)),
                         change.viewpointsAdded);
    return ArchiveMerge::tr("Updated: %1").arg(parts.join(QStringLiteral(", ")));
}

QTreeWidget* summaryTable(QWidget* parent, const char* objectName, const QStringList& headers) {
    auto* table = new QTreeWidget(parent);
    table->setObjectName(QString::fromUtf8(objectName));
    table->setRootIsDecorated(false);
    table->setHeaderLabels(headers);
    table->header()->setSectionResizeMode(QHeaderView::Interactive);
    table->header()->setStretchLastSection(true);
    return table;
}

QTreeWidgetItem* row(QTreeWidget* table, const QStringList& cells, const std::string& topicGuid) {
    auto* item = new QTreeWidgetItem(table, cells);
    item->setData(0, Qt::UserRole, QString::fromStdString(topicGuid));
    for (int column = 0; column < cells.size(); ++column)
        item->setToolTip(column, plainToolTip(cells[column]));
    return item;
}

} // namespace

ArchiveMerge::ArchiveMerge(QMainWindow* window, BcfSession& session, TopicSelection& selection,
                           WindowMessages& messages)
    : QObject(window), window_(window), session_(session), selection_(selection), messages_(messages),
      action_(new QAction(tr("Merge archive\u2026"), window)) {
    action_->setObjectName(QStringLiteral("actionMergeArchive"));
    action_->setToolTip(tr("Merge the topics, comments and viewpoints of another BCF archive into this one"));
    connect(action_, &QAction::triggered, this, &ArchiveMerge::chooseAndMerge);
    const auto update = [this] { action_->setEnabled(session_.hasDocument()); };
    connect(&session_, &BcfSession::documentReset, this, update);
    update();
}

void ArchiveMerge::chooseAndMerge() {
    QString path;
    messages_.run(tr("Choosing the archive to merge"), QString(), [this, &path] {
        path = QFileDialog::getOpenFileName(window_, tr("Merge archive"), QString(),
                                            tr("BCF Files (*.bcf *.bcfzip);;All files (*.*)"));
    });
    if (!path.isEmpty())
        merge(path.toStdString());
}

void ArchiveMerge::merge(const std::string& path) {
    const QString fileName = QFileInfo(QString::fromStdString(path)).fileName();
    // Loaded and merged whole before the document changes: a failure leaves it as it was.
    messages_.run(tr("Merging the BCF archive"), QDir::toNativeSeparators(QString::fromStdString(path)), [&] {
        if (!session_.hasDocument())
            throw std::runtime_error(tr("there is no archive to merge into").toStdString());
        const bcf::BcfDocument other = bcf::loadArchive(path);
        bcf::MergeResult result = bcf::mergeArchives(session_.document(), other);
        // Merging what is already here changes nothing and leaves no step to undo.
        if (result.summary.changed())
            session_.push(new MergeCommand(session_, std::move(result.data)));
        showSummary(result.summary, fileName);
    });
}

void ArchiveMerge::showSummary(const bcf::MergeSummary& summary, const QString& fileName) {
    if (summary_)
        summary_->close();
    // Not modal: the user selects listed topics in the window while the summary stays open.
    auto* dialog = new QDialog(window_);
    summary_ = dialog;
    dialog->setObjectName(QStringLiteral("bcfMergeSummary"));
    dialog->setWindowTitle(tr("Merged %1").arg(fileName));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);

    const QString counts = countsText(summary);
    auto* heading =
        new QLabel(counts.isEmpty() ? tr("%1 holds nothing that this archive lacks.").arg(fileName)
                                    : tr("Merged %1: %2.").arg(fileName, counts),
                   dialog);
    heading->setObjectName(QStringLiteral("lMergeSummary"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    QTreeWidget* topics = summaryTable(dialog, "twMergedTopics", {tr("Topic"), tr("Change", "what changed")});
    for (const bcf::TopicMergeChange& change : summary.topics)
        row(topics, {QString::fromStdString(change.title), changeText(change)}, change.guid);
    topics->setVisible(!summary.topics.empty());
    layout->addWidget(topics);

    QTreeWidget* conflicts =
        summaryTable(dialog, "twMergeConflicts",
                     {tr("Topic"), tr("Field"), tr("Kept (this archive)"), tr("Other archive")});
    for (const bcf::MergeConflict& conflict : summary.conflicts) {
        const int topic = findTopic(session_.data(), conflict.topicGuid);
        QString where = topic >= 0 ? QString::fromStdString(session_.data().markups[topic].topic.title)
                        : conflict.document.empty() ? tr("Project")
                                                    : QString::fromStdString(conflict.document);
        if (!conflict.commentGuid.empty())
            where += QLatin1Char(' ') + tr("(comment)");
        row(conflicts,
            {where, QString::fromStdString(conflict.field), QString::fromStdString(conflict.baseValue),
             QString::fromStdString(conflict.otherValue)},
            conflict.topicGuid);
    }
    conflicts->setVisible(!summary.conflicts.empty());
    layout->addWidget(conflicts);

    auto* notes = new QLabel(dialog);
    notes->setObjectName(QStringLiteral("lMergeNotes"));
    notes->setTextFormat(Qt::PlainText);
    notes->setWordWrap(true);
    notes->setText(notesList(tr("Not everything of %1 could be merged:").arg(fileName), summary.notes));
    notes->setVisible(!notes->text().isEmpty());
    layout->addWidget(notes);

    // Selecting a listed topic selects it in the window.
    for (QTreeWidget* table : {topics, conflicts})
        connect(table, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
            if (!item)
                return;
            const int topic =
                findTopic(session_.data(), item->data(0, Qt::UserRole).toString().toStdString());
            if (topic >= 0)
                selection_.setTopic(topic);
        });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->resize(720, 420);
    dialog->show();
}
