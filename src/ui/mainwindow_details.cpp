// Commands of the topic details: label and due date edits, and the links to related topics,
// web pages, documents and the BIM snippet.
#include "ui/author_setting.h"
#include "ui/issue_editing.h"
#include "ui/link_opener.h"
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"
#include "ui/slot_guard_p.h"
#include "ui/topic_details.h"

#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <stdexcept>


void MainWindowPrivate::connectTopicDetails() {
    QObject::connect(ui->lLabels, SIGNAL(linkActivated(QString)), q, SLOT(onLLabelsLinkActivated(QString)));
    QObject::connect(ui->cbLabels, SIGNAL(textActivated(QString)), q, SLOT(onCbLabelsTextActivated(QString)));
    QObject::connect(ui->cbLabels->lineEdit(), &QLineEdit::returnPressed, q,
                     [this] { addLabel(ui->cbLabels->currentText()); });
    QObject::connect(ui->deDueDate, SIGNAL(dateChanged(QDate)), q, SLOT(onDeDueDateDateChanged(QDate)));
    QObject::connect(ui->tbClearDueDate, SIGNAL(clicked(bool)), q, SLOT(onTbClearDueDateClicked(bool)));
    QObject::connect(ui->lReferenceLinks, SIGNAL(linkActivated(QString)), q,
                     SLOT(onLReferenceLinksLinkActivated(QString)));
    QObject::connect(ui->lRelatedTopics, SIGNAL(linkActivated(QString)), q,
                     SLOT(onLRelatedTopicsLinkActivated(QString)));
    QObject::connect(ui->lDocumentReferences, SIGNAL(linkActivated(QString)), q,
                     SLOT(onLDocumentReferencesLinkActivated(QString)));
    QObject::connect(ui->lBimSnippet, SIGNAL(linkActivated(QString)), q,
                     SLOT(onLBimSnippetLinkActivated(QString)));
    fillTopicDetails(*ui, bcfData, -1);
}

void MainWindowPrivate::topicEdited(int topicIndex) {
    bcf::Topic& topic = bcfData.markups[static_cast<std::size_t>(topicIndex)].topic;
    topic.modifiedDate = currentTimestampText();
    topic.modifiedAuthor = authorName().toUtf8().toStdString();
    markModified();
    fillTopicDetails(*ui, bcfData, topicIndex);
    // The row of the topic shows the new modification and due dates.
    if (QTreeWidgetItem* item = issueItem(topicIndex)) {
        const QSignalBlocker blocker(ui->twIssues);
        item->setText(IssueDateModifiedColumn, fromUtf8(formatDateTime(*topic.modifiedDate)));
        item->setText(IssueModifiedByColumn, fromUtf8(topic.modifiedAuthor));
        item->setText(IssueDueDateColumn,
                      topic.dueDate ? fromUtf8(formatDateTime(*topic.dueDate)) : QString());
    }
}

void MainWindow::onLLabelsLinkActivated(const QString& target) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0 || !target.startsWith(QString::fromUtf8(kRemoveLabelLink)))
        return;
    runGuarded(*d, QStringLiteral("Removing the label"), QString(), [&] {
        std::vector<std::string>& labels =
            d->bcfData.markups[static_cast<std::size_t>(topicIndex)].topic.labels;
        bool ok = false;
        const int index = target.mid(static_cast<qsizetype>(std::strlen(kRemoveLabelLink))).toInt(&ok);
        if (!ok || index < 0 || static_cast<std::size_t>(index) >= labels.size())
            return;
        labels.erase(labels.begin() + index);
        d->topicEdited(topicIndex);
    });
}

void MainWindow::onCbLabelsTextActivated(const QString& text) {
    d->addLabel(text);
}

void MainWindowPrivate::addLabel(const QString& text) {
    const int topicIndex = selectedTopicIndex();
    const std::string label = text.trimmed().toUtf8().toStdString();
    if (topicIndex < 0 || label.empty())
        return;
    runGuarded(*this, QStringLiteral("Adding the label"), text, [&] {
        std::vector<std::string>& labels = bcfData.markups[static_cast<std::size_t>(topicIndex)].topic.labels;
        if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
            labels.push_back(label);
            topicEdited(topicIndex);
        } else {
            fillTopicDetails(*ui, bcfData, topicIndex);
        }
    });
}

void MainWindow::onDeDueDateDateChanged(const QDate& date) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    runGuarded(*d, QStringLiteral("Setting the due date"), QString(), [&] {
        std::optional<std::string>& due =
            d->bcfData.markups[static_cast<std::size_t>(topicIndex)].topic.dueDate;
        if (date <= d->ui->deDueDate->minimumDate()) {
            if (!due)
                return;
            due.reset();
        } else {
            // The start of the chosen day where the user is, with the offset from UTC.
            const std::string text = timestampText(QDateTime(date, QTime(0, 0)));
            if (due == text)
                return;
            due = text;
        }
        d->topicEdited(topicIndex);
    });
}

void MainWindow::onTbClearDueDateClicked(bool) {
    d->ui->deDueDate->setDate(d->ui->deDueDate->minimumDate());
}

void MainWindow::onLReferenceLinksLinkActivated(const QString& target) {
    d->openDetailLink(target);
}

void MainWindow::onLRelatedTopicsLinkActivated(const QString& target) {
    d->openDetailLink(target);
}

void MainWindow::onLDocumentReferencesLinkActivated(const QString& target) {
    d->openDetailLink(target);
}

void MainWindow::onLBimSnippetLinkActivated(const QString& target) {
    d->openDetailLink(target);
}

void MainWindowPrivate::openDetailLink(const QString& target) {
    const int topicIndex = selectedTopicIndex();
    if (topicIndex < 0)
        return;
    runGuarded(*this, QStringLiteral("Opening the link"), target, [&] {
        bcf::Markup& markup = bcfData.markups[static_cast<std::size_t>(topicIndex)];
        const auto suffix = [&target](const char* prefix) {
            return target.mid(static_cast<qsizetype>(std::strlen(prefix)));
        };
        if (target.startsWith(QString::fromUtf8(kRelatedTopicLink))) {
            selectTopic(findTopic(bcfData, suffix(kRelatedTopicLink).toUtf8().toStdString()));
        } else if (target.startsWith(QString::fromUtf8(kDocumentReferenceLink))) {
            const std::size_t index = suffix(kDocumentReferenceLink).toULongLong();
            if (index < markup.topic.documentReferences.size())
                openDocumentReference(markup, markup.topic.documentReferences[index]);
        } else if (target.startsWith(QString::fromUtf8(kBimSnippetLink))) {
            if (!markup.topic.bimSnippet)
                return;
            if (markup.topic.bimSnippet->isExternal) {
                openLink(markup.topic.bimSnippet->reference);
            } else {
                bcf::fetchBimSnippet(*document.archive, markup);
                openContent(markup.topic.bimSnippet->reference, markup.topic.bimSnippet->data);
            }
        } else {
            openLink(target.toStdString());
        }
    });
}

void MainWindowPrivate::selectTopic(int topicIndex) {
    if (QTreeWidgetItem* item = issueItem(topicIndex)) {
        ui->twIssues->setCurrentItem(item);
        ui->twIssues->scrollToItem(item);
    }
}

void MainWindowPrivate::openDocumentReference(const bcf::Markup& markup,
                                              const bcf::DocumentReference& reference) {
    if (!reference.url.empty()) {
        openLink(reference.url);
        return;
    }
    if (reference.documentGuid.empty() && reference.isExternal) {
        openLink(reference.referencedDocument);
        return;
    }
    if (const bcf::DocumentInfo* found = referencedDocument(bcfData, markup, reference)) {
        bcf::DocumentInfo& info =
            bcfData.documents[static_cast<std::size_t>(found - bcfData.documents.data())];
        bcf::fetchDocument(*document.archive, info, bcfData.version);
        openContent(info.filename, info.data);
        return;
    }
    // A file of the topic folder that is no document of the archive.
    const auto entry = bcf::resolveEntryPath(bcf::payloadFolder(markup), reference.referencedDocument);
    if (!entry)
        throw std::runtime_error("the document is not in the archive");
    openContent(*entry, document.archive->read(*entry).value_or(std::string()));
}

void MainWindowPrivate::openContent(const std::string& name, const std::string& bytes) {
    linkOpener->openContent(name, bytes);
}

void MainWindowPrivate::openLink(const std::string& text) {
    // Relative paths are relative to the archive's folder; a never-saved archive has none.
    const QString folder = bcfFilePath.empty() ? QString() : QFileInfo(fromUtf8(bcfFilePath)).absolutePath();
    linkOpener->openLink(fromUtf8(text), folder);
}
