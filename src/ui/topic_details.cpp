#include "ui/topic_details.h"

#include "codec/payloads.h"
#include "ui/mainwindow_p.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cctype>

namespace {

QString link(const QString& target, const QString& text) {
    return QStringLiteral("<a href=\"") + target.toHtmlEscaped() + QStringLiteral("\">") +
           text.toHtmlEscaped() + QStringLiteral("</a>");
}

QString joined(const QStringList& parts) {
    return parts.join(QStringLiteral(", "));
}

// Each label as a tag: a shaded box that removes the label when clicked.
QString labelTags(const std::vector<std::string>& labels) {
    QStringList tags;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        tags << QStringLiteral("<a href=\"") + QString::fromUtf8(kRemoveLabelLink) + QString::number(i) +
                    QStringLiteral("\" style=\"text-decoration:none; color:palette(text)\">"
                                   "<span style=\"background-color:#d6e4f0\">&nbsp;") +
                    fromUtf8(labels[i]).toHtmlEscaped() + QStringLiteral("&nbsp;\u00d7&nbsp;</span></a>");
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
            parts << fromUtf8(related.guid).toHtmlEscaped() + QStringLiteral(" (missing)");
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
            parts << (name.isEmpty() ? fromUtf8(reference.documentGuid) : name).toHtmlEscaped() +
                         QStringLiteral(" (missing)");
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
    const std::optional<bcf::DateTimeValue> value = text ? bcf::readDateTime(*text) : std::nullopt;
    if (!value)
        return QDate();
    return value->utcOffset ? value->local().date() : value->date;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

int findTopic(const bcf::BcfData& data, const std::string& guid) {
    const std::string wanted = lowered(guid);
    for (std::size_t i = 0; i < data.markups.size(); ++i) {
        if (lowered(data.markups[i].topic.guid) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

int viewPointIndex(const bcf::Markup& markup, const std::string& guid) {
    const std::string wanted = lowered(guid);
    for (std::size_t i = 0; i < markup.viewPoints.size() && !wanted.empty(); ++i) {
        if (lowered(markup.viewPoints[i].guid) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

const bcf::DocumentInfo* referencedDocument(const bcf::BcfData& data, const bcf::Markup& markup,
                                            const bcf::DocumentReference& reference) {
    if (!reference.url.empty() || (reference.documentGuid.empty() && reference.isExternal))
        return nullptr;
    std::optional<std::string> entry;
    if (reference.documentGuid.empty())
        entry = bcf::resolveEntryPath(bcf::payloadFolder(markup), reference.referencedDocument);
    const std::string wanted = lowered(reference.documentGuid);
    for (const bcf::DocumentInfo& document : data.documents) {
        if (!wanted.empty() ? lowered(document.guid) == wanted : entry && document.filename == *entry)
            return &document;
    }
    return nullptr;
}

void fillTopicDetails(Ui::MainWindow& ui, const bcf::BcfData& data, int topicIndex) {
    const bool shown = topicIndex >= 0 && static_cast<std::size_t>(topicIndex) < data.markups.size();
    ui.wTopicDetails->setEnabled(shown);
    const QSignalBlocker dateBlocker(ui.deDueDate);
    const QSignalBlocker labelBlocker(ui.cbLabels);
    // The earliest date stands for "no due date", shown as "None".
    ui.deDueDate->setMinimumDate(QDate(1752, 9, 14));
    ui.deDueDate->setSpecialValueText(QStringLiteral("None"));
    ui.cbLabels->clear();
    for (const std::string& label : data.topicLabels)
        ui.cbLabels->addItem(fromUtf8(label));
    ui.cbLabels->setCurrentIndex(-1);
    ui.cbLabels->clearEditText();
    if (!shown) {
        ui.deDueDate->setDate(ui.deDueDate->minimumDate());
        for (QLabel* label : {ui.lLabels, ui.lReferenceLinks, ui.lRelatedTopics, ui.lDocumentReferences,
                              ui.lBimSnippet, ui.lIfcFiles})
            label->clear();
        return;
    }
    const bcf::Markup& markup = data.markups[static_cast<std::size_t>(topicIndex)];
    const bcf::Topic& topic = markup.topic;
    const QDate due = dueDate(topic.dueDate);
    ui.deDueDate->setDate(due.isValid() ? due : ui.deDueDate->minimumDate());
    ui.tbClearDueDate->setEnabled(topic.dueDate.has_value());
    ui.lLabels->setText(labelTags(topic.labels));
    ui.lReferenceLinks->setText(referenceLinks(topic.referenceLinks));
    ui.lRelatedTopics->setText(relatedTopics(data, topic));
    ui.lDocumentReferences->setText(documentReferences(data, markup));
    ui.lBimSnippet->setText(bimSnippet(topic));
    ui.lIfcFiles->setText(ifcFiles(markup));
}
