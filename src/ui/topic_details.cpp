#include "ui/topic_details.h"

#include "ui/author_setting.h"
#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/issue_editing.h"
#include "ui/model_lookup.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "codec/payloads.h"
#include "datetime/local_date_time.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

QString link(const QString& target, const QString& text) {
    return QStringLiteral("<a href=\"") + target.toHtmlEscaped() + QStringLiteral("\">") +
           text.toHtmlEscaped() + QStringLiteral("</a>");
}

QString joined(const QStringList& parts) {
    return parts.join(QStringLiteral(", "));
}

// Each label as a tag: a shaded box with the name and a "×" that removes the label when clicked.
// The tags are apart by a plain blank, where the lines of the label wrap; a tag itself never breaks.
QString labelTags(const std::vector<std::string>& labels) {
    QStringList tags;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        QString name = fromUtf8(labels[i]).toHtmlEscaped();
        name.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        tags << QStringLiteral("<span style=\"background-color:#d6e4f0; white-space:nowrap\">&nbsp;") + name +
                    QStringLiteral("&nbsp;<a href=\"") + QString::fromUtf8(kRemoveLabelLink) +
                    QString::number(i) +
                    QStringLiteral(
                        "\" style=\"text-decoration:none; color:palette(text)\">\u00d7</a>&nbsp;</span>");
    }
    return tags.join(QStringLiteral(" "));
}

QString referenceLinks(const std::vector<std::string>& links) {
    QStringList parts;
    for (const std::string& target : links)
        parts << link(fromUtf8(target), fromUtf8(target));
    return joined(parts);
}

QString relatedTopics(const bcf::BcfData& data, const bcf::Topic& topic) {
    QStringList parts;
    for (const bcf::RelatedTopic& related : topic.relatedTopics) {
        const int index = findTopic(data, related.guid);
        if (index < 0) {
            // A topic deleted here, or one that lives in another archive: there is nothing to select.
            parts << TopicDetails::tr("%1 (missing)").arg(fromUtf8(related.guid).toHtmlEscaped());
            continue;
        }
        const std::string& title = data.markups[static_cast<std::size_t>(index)].topic.title;
        parts << link(QString::fromUtf8(kRelatedTopicLink) + fromUtf8(related.guid),
                      title.empty() ? fromUtf8(related.guid) : fromUtf8(title));
    }
    return joined(parts);
}

QString documentReferences(const bcf::BcfData& data, const bcf::Markup& markup) {
    QStringList parts;
    const std::vector<bcf::DocumentReference>& references = markup.topic.documentReferences;
    for (std::size_t i = 0; i < references.size(); ++i) {
        const bcf::DocumentReference& reference = references[i];
        QString name;
        if (const bcf::DocumentInfo* document = referencedDocument(data, markup, reference))
            name = fromUtf8(document->filename);
        else if (!reference.url.empty())
            name = fromUtf8(reference.url);
        else
            name = fromUtf8(reference.referencedDocument);
        if (!reference.description.empty())
            name = fromUtf8(reference.description) + QStringLiteral(" (") + name + QStringLiteral(")");
        if (name.isEmpty() ||
            (!reference.documentGuid.empty() && !referencedDocument(data, markup, reference)))
            parts << TopicDetails::tr("%1 (missing)")
                         .arg((name.isEmpty() ? fromUtf8(reference.documentGuid) : name).toHtmlEscaped());
        else
            parts << link(QString::fromUtf8(kDocumentReferenceLink) + QString::number(i), name);
    }
    return joined(parts);
}

QString bimSnippet(const bcf::Topic& topic) {
    if (!topic.bimSnippet)
        return QString();
    const bcf::BimSnippet& snippet = *topic.bimSnippet;
    return fromUtf8(snippet.snippetType).toHtmlEscaped() + QStringLiteral(": ") +
           link(QString::fromUtf8(kBimSnippetLink), fromUtf8(snippet.reference));
}

QString ifcFiles(const bcf::Markup& markup) {
    QStringList parts;
    if (markup.header) {
        for (const bcf::File& file : markup.header->files) {
            QString text = fromUtf8(file.filename.empty() ? file.reference : file.filename);
            if (!file.date.empty())
                text += QStringLiteral(" (") + bcf::formatDateTime(file.date) + QStringLiteral(")");
            parts << text;
        }
    }
    return joined(parts);
}

// The day of a stored due date as shown: in local time, or as written for a date alone.
QDate dueDate(const std::optional<std::string>& text) {
    const std::optional<bcf::DateTime> value = text ? bcf::readDateTime(*text) : std::nullopt;
    if (!value)
        return QDate();
    return value->utcOffset ? bcf::localDateTime(*value).date()
                            : QDate(value->year, value->month, value->day);
}

// The text of `target` after `prefix`.
QString linkSuffix(const QString& target, const char* prefix) {
    return target.mid(static_cast<qsizetype>(std::strlen(prefix)));
}

} // namespace

TopicDetails::TopicDetails(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                           WindowMessages& messages)
    : ui_(ui), session_(session), selection_(selection), messages_(messages), linkOpener_(messages.window()) {
    // The stack undoes a run of typing as a whole, so the field keeps no undo of its own; Ctrl+Z
    // reaches the window's Undo.
    ui.pteDescription->setUndoRedoEnabled(false);
    // Tab moves on to the next part of the window; a description holds no tab characters typed.
    ui.pteDescription->setTabChangesFocus(true);
    ui.pteDescription->installEventFilter(this);
    // The earliest date stands for "no due date", shown as "None".
    ui.deDueDate->setMinimumDate(QDate(1752, 9, 14));
    ui.deDueDate->setSpecialValueText(tr("None", "no due date"));
    // A typed date counts once it is complete (Return or leaving the field), not per keystroke.
    ui.deDueDate->setKeyboardTracking(false);
    // Without a due date the calendar opens at today, and typing starts from today's date.
    ui.deDueDate->calendarWidget()->installEventFilter(this);
    ui.deDueDate->installEventFilter(this);
    connect(ui.pteDescription, &QPlainTextEdit::textChanged, this, &TopicDetails::descriptionTyped);
    connect(ui.lLabels, &QLabel::linkActivated, this, &TopicDetails::removeLabel);
    connect(ui.cbLabels, &QComboBox::textActivated, this, &TopicDetails::addLabel);
    connect(ui.cbLabels->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { addLabel(ui_.cbLabels->currentText()); });
    connect(ui.deDueDate, &QDateEdit::dateChanged, this, &TopicDetails::dueDateChosen);
    connect(ui.tbClearDueDate, &QToolButton::clicked, this,
            [this] { ui_.deDueDate->setDate(ui_.deDueDate->minimumDate()); });
    for (QLabel* label : {ui.lReferenceLinks, ui.lRelatedTopics, ui.lDocumentReferences, ui.lBimSnippet})
        connect(label, &QLabel::linkActivated, this, &TopicDetails::openLink);

    connect(&selection_, &TopicSelection::topicChanged, this, [this] {
        ++descriptionRun_;
        show();
    });
    connect(&session_, &BcfSession::topicChanged, this, [this](int topic) {
        if (topic == selection_.topic())
            show();
    });
    // The names of related topics and referenced documents come from the other records.
    connect(&session_, &BcfSession::documentReset, this, &TopicDetails::show);
    for (auto signal : {&BcfSession::topicAdded, &BcfSession::topicRemoved, &BcfSession::documentAdded,
                        &BcfSession::documentRemoved})
        connect(&session_, signal, this, &TopicDetails::showDetails);
    // A new window keeps the form's text in the description, read-only until a topic is selected.
    ui.pteDescription->setReadOnly(true);
    showDetails();
}

TopicDetails::~TopicDetails() = default;

bool TopicDetails::eventFilter(QObject* watched, QEvent* event) {
    QDateEdit* due = ui_.deDueDate;
    const bool noDueDate = due->date() == due->minimumDate();
    if (watched == due->calendarWidget()) {
        if (event->type() == QEvent::Show && noDueDate)
            due->calendarWidget()->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
        return false;
    }
    if (watched == due) {
        // "None" has no day, month or year to type into: the field shows today's date to edit,
        // which counts only once it is committed.
        if (event->type() == QEvent::KeyPress && noDueDate && due->isEnabled()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->text().isEmpty() && key->text().at(0).isDigit()) {
                const QSignalBlocker blocker(due);
                due->setDate(QDate::currentDate());
                due->setSelectedSection(due->sectionAt(0));
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Left without a committed date: the field shows the topic's due date again.
            QMetaObject::invokeMethod(this, &TopicDetails::showDetails, Qt::QueuedConnection);
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut)
        ++descriptionRun_;
    // Ctrl+Tab would type a tab character: it moves on like Tab.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            const bool back = key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier);
            QWidget* next =
                back ? ui_.pteDescription->previousInFocusChain() : ui_.pteDescription->nextInFocusChain();
            while (next && next != ui_.pteDescription &&
                   !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
                next = back ? next->previousInFocusChain() : next->nextInFocusChain();
            if (next)
                next->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
    }
    // Undo and Redo in the description are the window's: the field claims the keys, then passes
    // them on to the undo stack.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo) ||
                          key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z) ||
                          key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
        if (undo || redo) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                ++descriptionRun_;
                messages_.run(undo ? QCoreApplication::translate("MainWindow", "Undo")
                                   : QCoreApplication::translate("MainWindow", "Redo"),
                              QString(), [this, undo] {
                                  undo ? session_.undoStack()->undo() : session_.undoStack()->redo();
                              });
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TopicDetails::show() {
    const bcf::BcfData& data = session_.data();
    const int topicIndex = selection_.topic();
    const bool shown = topicIndex >= 0 && static_cast<std::size_t>(topicIndex) < data.markups.size();
    {
        // Showing a topic's description is no edit of it; the text typed stays as it is.
        const QSignalBlocker blocker(ui_.pteDescription);
        const QString description =
            shown ? fromUtf8(data.markups[static_cast<std::size_t>(topicIndex)].topic.description)
                  : QString();
        if (ui_.pteDescription->toPlainText() != description)
            ui_.pteDescription->setPlainText(description);
        ui_.pteDescription->setReadOnly(!shown);
    }
    showDetails();
}

void TopicDetails::showDetails() {
    const bcf::BcfData& data = session_.data();
    const int topicIndex = selection_.topic();
    const bool shown = topicIndex >= 0 && static_cast<std::size_t>(topicIndex) < data.markups.size();
    ui_.wTopicDetails->setEnabled(shown);
    const QSignalBlocker dateBlocker(ui_.deDueDate);
    const QSignalBlocker labelBlocker(ui_.cbLabels);
    ui_.cbLabels->clear();
    for (const std::string& label : data.topicLabels)
        ui_.cbLabels->addItem(fromUtf8(label));
    ui_.cbLabels->setCurrentIndex(-1);
    ui_.cbLabels->clearEditText();
    // The list of labels shows each whole, however narrow the box.
    QAbstractItemView* labelList = ui_.cbLabels->view();
    labelList->setMinimumWidth(labelList->sizeHintForColumn(0) + 2 * labelList->frameWidth() +
                               labelList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    if (!shown) {
        ui_.deDueDate->setDate(ui_.deDueDate->minimumDate());
        for (QLabel* label : {ui_.lLabels, ui_.lReferenceLinks, ui_.lRelatedTopics, ui_.lDocumentReferences,
                              ui_.lBimSnippet, ui_.lIfcFiles})
            label->clear();
        describeFields();
        return;
    }
    const bcf::Markup& markup = data.markups[static_cast<std::size_t>(topicIndex)];
    const bcf::Topic& topic = markup.topic;
    const QDate due = dueDate(topic.dueDate);
    ui_.deDueDate->setDate(due.isValid() ? due : ui_.deDueDate->minimumDate());
    ui_.tbClearDueDate->setEnabled(topic.dueDate.has_value());
    ui_.lLabels->setText(labelTags(topic.labels));
    ui_.lReferenceLinks->setText(referenceLinks(topic.referenceLinks));
    ui_.lRelatedTopics->setText(relatedTopics(data, topic));
    ui_.lDocumentReferences->setText(documentReferences(data, markup));
    ui_.lBimSnippet->setText(bimSnippet(topic));
    ui_.lIfcFiles->setText(ifcFiles(markup));
    describeFields();
}

void TopicDetails::describeFields() {
    // Each field named by its title ("Labels:"), what it shows in its description: a screen
    // reader reads both, also while a field is empty.
    const std::pair<QLabel*, QLabel*> fields[] = {
        {ui_.lLabels, ui_.lLabelsTitle},
        {ui_.lReferenceLinks, ui_.lReferenceLinksTitle},
        {ui_.lIfcFiles, ui_.lIfcFilesTitle},
        {ui_.lRelatedTopics, ui_.lRelatedTopicsTitle},
        {ui_.lDocumentReferences, ui_.lDocumentReferencesTitle},
        {ui_.lBimSnippet, ui_.lBimSnippetTitle},
    };
    for (const auto& [field, title] : fields) {
        QString name = title->text();
        if (name.endsWith(QLatin1Char(':')))
            name.chop(1);
        field->setAccessibleName(name);
        const QString shown = QTextDocumentFragment::fromHtml(field->text()).toPlainText().trimmed();
        field->setAccessibleDescription(shown.isEmpty() ? tr("None", "no value in the field") : shown);
    }
    if (!ui_.lLabels->text().isEmpty())
        ui_.lLabels->setAccessibleDescription(ui_.lLabels->accessibleDescription() + QLatin1Char('\n') +
                                              tr("Each \u00d7 link removes its label."));
}

void TopicDetails::pushEdit(bcf::Topic edited, const QString& text) {
    edited.modifiedDate = currentTimestampText();
    edited.modifiedAuthor = toUtf8(authorName());
    session_.push(new EditTopicCommand(session_, selection_.topic(), std::move(edited), text));
}

void TopicDetails::descriptionTyped() {
    const int topicIndex = selection_.topic();
    if (topicIndex < 0)
        return;
    messages_.run(tr("Editing the description"), QString(), [&] {
        bcf::Topic edited = session_.data().markups.at(static_cast<std::size_t>(topicIndex)).topic;
        if (!applyDescriptionEdit(edited, toUtf8(ui_.pteDescription->toPlainText()), currentTimestampText(),
                                  toUtf8(authorName())))
            return;
        session_.push(new EditTopicCommand(session_, topicIndex, std::move(edited),
                                           QCoreApplication::translate("EditCommands", "Edit Description"),
                                           descriptionRun_));
    });
}

void TopicDetails::removeLabel(const QString& target) {
    const int topicIndex = selection_.topic();
    if (topicIndex < 0 || !target.startsWith(QString::fromUtf8(kRemoveLabelLink)))
        return;
    messages_.run(tr("Removing the label"), QString(), [&] {
        bcf::Topic edited = session_.data().markups.at(static_cast<std::size_t>(topicIndex)).topic;
        bool ok = false;
        const int index = linkSuffix(target, kRemoveLabelLink).toInt(&ok);
        if (!ok || index < 0 || static_cast<std::size_t>(index) >= edited.labels.size())
            return;
        edited.labels.erase(edited.labels.begin() + index);
        pushEdit(std::move(edited), QCoreApplication::translate("EditCommands", "Remove Label"));
    });
}

void TopicDetails::addLabel(const QString& text) {
    const int topicIndex = selection_.topic();
    const std::string label = toUtf8(text.trimmed());
    if (topicIndex < 0 || label.empty())
        return;
    messages_.run(tr("Adding the label"), text, [&] {
        bcf::Topic edited = session_.data().markups.at(static_cast<std::size_t>(topicIndex)).topic;
        if (std::find(edited.labels.begin(), edited.labels.end(), label) != edited.labels.end()) {
            show();
            return;
        }
        edited.labels.push_back(label);
        pushEdit(std::move(edited), QCoreApplication::translate("EditCommands", "Add Label"));
    });
}

void TopicDetails::dueDateChosen(const QDate& date) {
    const int topicIndex = selection_.topic();
    if (topicIndex < 0)
        return;
    messages_.run(tr("Setting the due date"), QString(), [&] {
        bcf::Topic edited = session_.data().markups.at(static_cast<std::size_t>(topicIndex)).topic;
        if (date <= ui_.deDueDate->minimumDate()) {
            if (!edited.dueDate)
                return;
            edited.dueDate.reset();
            pushEdit(std::move(edited), QCoreApplication::translate("EditCommands", "Clear Due Date"));
            return;
        }
        // The chosen day at the time the due date had, else at its start, where the user is, with
        // the offset from UTC.
        QTime time(0, 0);
        if (const std::optional<bcf::DateTime> was =
                edited.dueDate ? bcf::readDateTime(*edited.dueDate) : std::nullopt;
            was && was->hasTime)
            time = (was->utcOffset ? bcf::localDateTime(*was).time()
                                   : QTime(was->hour, was->minute, was->second));
        const std::string text = bcf::storedDateTimeText(QDateTime(date, time));
        if (edited.dueDate == text)
            return;
        edited.dueDate = text;
        pushEdit(std::move(edited), QCoreApplication::translate("EditCommands", "Set Due Date"));
    });
}

void TopicDetails::openLink(const QString& target) {
    const int topicIndex = selection_.topic();
    if (topicIndex < 0)
        return;
    messages_.run(tr("Opening the link"), linkSubject(target), [&] {
        const bcf::BcfData& data = session_.data();
        const bcf::Markup& markup = data.markups.at(static_cast<std::size_t>(topicIndex));
        if (target.startsWith(QString::fromUtf8(kRelatedTopicLink))) {
            const int related = findTopic(data, toUtf8(linkSuffix(target, kRelatedTopicLink)));
            if (related >= 0)
                selection_.setTopic(related);
        } else if (target.startsWith(QString::fromUtf8(kDocumentReferenceLink))) {
            const std::size_t index = linkSuffix(target, kDocumentReferenceLink).toULongLong();
            if (index < markup.topic.documentReferences.size())
                openDocumentReference(topicIndex, markup.topic.documentReferences[index]);
        } else if (target.startsWith(QString::fromUtf8(kBimSnippetLink))) {
            if (!markup.topic.bimSnippet)
                return;
            if (markup.topic.bimSnippet->isExternal) {
                openArchiveLink(markup.topic.bimSnippet->reference);
            } else {
                session_.fetchBimSnippet(topicIndex);
                const bcf::BimSnippet& snippet =
                    *data.markups.at(static_cast<std::size_t>(topicIndex)).topic.bimSnippet;
                linkOpener_.openContent(snippet.reference, snippet.data);
            }
        } else {
            openArchiveLink(toUtf8(target));
        }
    });
}

QString TopicDetails::linkSubject(const QString& target) const {
    const bcf::BcfData& data = session_.data();
    const int topicIndex = selection_.topic();
    if (topicIndex < 0 || static_cast<std::size_t>(topicIndex) >= data.markups.size())
        return target;
    const bcf::Markup& markup = data.markups[static_cast<std::size_t>(topicIndex)];
    if (target.startsWith(QString::fromUtf8(kDocumentReferenceLink))) {
        const std::size_t index = linkSuffix(target, kDocumentReferenceLink).toULongLong();
        if (index >= markup.topic.documentReferences.size())
            return target;
        const bcf::DocumentReference& reference = markup.topic.documentReferences[index];
        if (const bcf::DocumentInfo* document = referencedDocument(data, markup, reference))
            return fromUtf8(document->filename);
        return fromUtf8(reference.url.empty() ? reference.referencedDocument : reference.url);
    }
    if (target.startsWith(QString::fromUtf8(kBimSnippetLink)) && markup.topic.bimSnippet)
        return fromUtf8(markup.topic.bimSnippet->reference);
    if (target.startsWith(QString::fromUtf8(kRelatedTopicLink)))
        return linkSuffix(target, kRelatedTopicLink);
    return target;
}

void TopicDetails::openDocumentReference(int topicIndex, const bcf::DocumentReference& reference) {
    if (!reference.url.empty()) {
        openArchiveLink(reference.url);
        return;
    }
    if (reference.documentGuid.empty() && reference.isExternal) {
        openArchiveLink(reference.referencedDocument);
        return;
    }
    const bcf::BcfData& data = session_.data();
    const bcf::Markup& markup = data.markups.at(static_cast<std::size_t>(topicIndex));
    if (const bcf::DocumentInfo* found = referencedDocument(data, markup, reference)) {
        const auto index = static_cast<int>(found - data.documents.data());
        session_.fetchDocument(index);
        const bcf::DocumentInfo& document = data.documents.at(static_cast<std::size_t>(index));
        linkOpener_.openContent(document.filename, document.data);
        return;
    }
    // A file of the topic folder that is no document of the archive.
    const auto entry = bcf::resolveEntryPath(bcf::payloadFolder(markup), reference.referencedDocument);
    if (!entry)
        throw std::runtime_error(tr("the document is not in the archive").toStdString());
    linkOpener_.openContent(*entry, session_.readEntry(*entry));
}

void TopicDetails::openArchiveLink(const std::string& text) {
    // A never-saved archive has no folder.
    const std::string& path = session_.filePath();
    linkOpener_.openLink(fromUtf8(text), path.empty() ? QString() : QFileInfo(fromUtf8(path)).absolutePath());
}
