#include "ui/documents_view.h"

#include "datetime/local_date_time.h"
#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/model_lookup.h"
#include "ui/records.h"
#include "ui/utf8_text.h"
#include "ui/window_actions.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "codec/zip/zip_archive.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTreeWidget>

#include <algorithm>
#include <stdexcept>

namespace {

// The bytes of the local file at `path`. Throws std::runtime_error with the reason when the file
// can't be read, or is larger than an archive entry may be.
std::string readLocalFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    if (static_cast<std::uint64_t>(file.size()) > bcf::kMaxEntryBytes)
        throw std::runtime_error(DocumentsView::tr("the file is too large for a BCF archive").toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(file.errorString().toStdString());
    return bytes.toStdString();
}

QTreeWidgetItem* documentItem(const bcf::DocumentInfo& document) {
    auto* item = new QTreeWidgetItem();
    item->setText(0, fromUtf8(document.filename));
    // The document list's scope column: the document belongs to the project.
    item->setText(1, QCoreApplication::translate("DocumentsView", "Project", "document scope"));
    // The whole name, for a column too narrow to show it.
    item->setToolTip(0, plainToolTip(item->text(0)));
    return item;
}

} // namespace

DocumentsView::DocumentsView(Ui::MainWindow& ui, BcfSession& session, WindowMessages& messages)
    : ui_(ui), session_(session), messages_(messages) {
    connect(ui.pbNewDocument, &QAbstractButton::clicked, this, &DocumentsView::newDocument);
    addDeleteCommand(ui.twDocuments, "actionDeleteDocument", tr("Delete document"),
                     [this] { deleteDocument(); });

    connect(&session_, &BcfSession::documentReset, this, [this] {
        show();
        ui_.pbNewDocument->setEnabled(session_.hasDocument());
    });
    connect(&session_, &BcfSession::documentAdded, this, &DocumentsView::documentAdded);
    connect(&session_, &BcfSession::documentRemoved, this, &DocumentsView::show);
}

DocumentsView::~DocumentsView() = default;

void DocumentsView::show() {
    const std::vector<bcf::DocumentInfo>& documents = session_.data().documents;
    ui_.twDocuments->clear();
    ui_.tabWidget->setTabText(
        1, tr("Documents (%1)").arg(bcf::localCount(static_cast<qint64>(documents.size()))));
    for (const bcf::DocumentInfo& document : documents)
        ui_.twDocuments->addTopLevelItem(documentItem(document));
    // Refilled after a dialog closed, the view repaints only the rows its header resized; every
    // row has changed.
    ui_.twDocuments->viewport()->update();
}

void DocumentsView::documentAdded(int document) {
    const std::vector<bcf::DocumentInfo>& documents = session_.data().documents;
    if (document != ui_.twDocuments->topLevelItemCount())
        return show();
    // One row more at the end: the rows there stay as they are.
    ui_.tabWidget->setTabText(
        1, tr("Documents (%1)").arg(bcf::localCount(static_cast<qint64>(documents.size()))));
    ui_.twDocuments->addTopLevelItem(documentItem(documents.at(static_cast<std::size_t>(document))));
}

void DocumentsView::newDocument() {
    const QString path = QFileDialog::getOpenFileName(messages_.window(), QString(), QString());
    if (path.isEmpty())
        return;
    messages_.run(tr("Adding a document"), QDir::toNativeSeparators(path), [&] {
        // The content is taken now, while the file is at hand; only its name goes into the
        // archive, never the local folders.
        session_.push(new AddDocumentCommand(
            session_, ::newDocument(documentFileName(path, session_.data()), readLocalFile(path))));
    });
}

void DocumentsView::deleteDocument() {
    const QList<QTreeWidgetItem*> selected = ui_.twDocuments->selectedItems();
    const int row = selected.isEmpty() ? -1 : ui_.twDocuments->indexOfTopLevelItem(selected.first());
    const bcf::BcfData& data = session_.data();
    if (row < 0 || static_cast<std::size_t>(row) >= data.documents.size())
        return;
    const bcf::DocumentInfo& document = data.documents[static_cast<std::size_t>(row)];
    std::size_t citing = 0;
    for (const bcf::Markup& markup : data.markups)
        citing += static_cast<std::size_t>(std::count_if(
            markup.topic.documentReferences.begin(), markup.topic.documentReferences.end(),
            [&](const auto& reference) { return referencedDocument(data, markup, reference) == &document; }));
    QString question = tr("Delete the document \u201c%1\u201d?").arg(fromUtf8(document.filename));
    if (citing > 0)
        question += QLatin1Char(' ') + bcf::withLocalCount(tr("Its %n reference(s) in topics go too.",
                                                              nullptr, static_cast<int>(citing)),
                                                           static_cast<qint64>(citing));
    if (!messages_.confirmDelete(question))
        return;
    messages_.run(tr("Deleting the document"), QString(),
                  [&] { session_.push(new DeleteDocumentCommand(session_, row)); });
}
