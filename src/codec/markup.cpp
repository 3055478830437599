#include "codec/markup.h"

#include "codec/date_time.h"
#include "codec/guid.h"
#include "codec/payloads.h"
#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"

namespace bcf {

namespace {

using xml::attribute;
using xml::childText;

// Neutral values written where a schema requires a value the model lacks.
constexpr const char* kUnknownValue = "Unknown";
constexpr const char* kUntitled = "Untitled";
constexpr const char* kNeutralDate = "1970-01-01T00:00:00Z";

std::optional<std::string> optionalText(pugi::xml_node parent, const char* name) {
    const std::string value = childText(parent, name);
    return xml::isBlank(value) ? std::nullopt : std::optional<std::string>(value);
}

const char* externalName(BcfVersion version) {
    return xml::isV3(version) ? "IsExternal" : "isExternal";
}

// Calls `visit` with every `item` of every `list` child of `parent`, or with every `item` child
// of `parent` when `list` is null (the 2.1 lists repeat in place, the 3.0 ones stand in a container).
template <typename Visit>
void forEachItem(pugi::xml_node parent, const char* list, const char* item, Visit visit) {
    if (list)
        xml::forEachListed(parent, list, item, visit);
    else
        for (pugi::xml_node node : parent.children(item))
            visit(node);
}

// Reads every item (see forEachItem) into `records`, paying for all of them before the first is
// made, so that a file of millions of empty elements is refused before it costs their records.
template <typename Record, typename Read>
void readAll(pugi::xml_node parent, const char* list, const char* item, std::vector<Record>& records,
             Read read) {
    std::size_t count = 0;
    forEachItem(parent, list, item, [&count](pugi::xml_node) { ++count; });
    xml::chargeRecords(count * sizeof(Record));
    records.reserve(records.size() + count);
    forEachItem(parent, list, item, [&](pugi::xml_node node) { records.push_back(read(node)); });
}

std::vector<std::string> texts(pugi::xml_node parent, const char* list, const char* item) {
    std::vector<std::string> values;
    readAll(parent, list, item, values, [](pugi::xml_node node) { return xml::text(node); });
    return values;
}

// The Index child of `node`: a value that is there but is no xs:int is left out and remembered.
std::optional<int> readIndex(pugi::xml_node node, std::vector<UnreadContent>& unread) {
    const std::string text = childText(node, "Index");
    const std::optional<int> index = xml::parseInt(text);
    if (!index && !xml::isBlank(text))
        xml::addUnread(unread, UnreadContent::Kind::Invalid, node.name(), '/', "Index");
    return index;
}

File readFile(pugi::xml_node node, BcfVersion version) {
    File file;
    file.ifcProject = attribute(node, "IfcProject");
    file.ifcSpatialStructureElement = attribute(node, "IfcSpatialStructureElement");
    file.isExternal = xml::parseBool(attribute(node, externalName(version)), true);
    file.filename = childText(node, "Filename");
    file.date = childText(node, "Date");
    file.reference = childText(node, "Reference");
    return file;
}

Comment readComment(pugi::xml_node node) {
    Comment comment;
    comment.guid = attribute(node, "Guid");
    comment.date = childText(node, "Date");
    comment.author = childText(node, "Author");
    comment.comment = childText(node, "Comment");
    comment.viewpoint = attribute(node.child("Viewpoint"), "Guid");
    comment.modifiedDate = childText(node, "ModifiedDate");
    comment.modifiedAuthor = childText(node, "ModifiedAuthor");
    return comment;
}

ViewPoint readViewPoint(pugi::xml_node node, std::vector<UnreadContent>& unread) {
    ViewPoint viewPoint;
    viewPoint.guid = attribute(node, "Guid");
    viewPoint.viewpoint = childText(node, "Viewpoint");
    viewPoint.snapshot = childText(node, "Snapshot");
    viewPoint.index = readIndex(node, unread);
    return viewPoint;
}

DocumentReference readDocumentReference(pugi::xml_node node, BcfVersion version) {
    DocumentReference reference;
    reference.guid = attribute(node, "Guid");
    if (xml::isV3(version)) {
        reference.documentGuid = childText(node, "DocumentGuid");
        reference.url = childText(node, "Url");
    } else {
        reference.isExternal = xml::parseBool(attribute(node, "isExternal"), false);
        reference.referencedDocument = childText(node, "ReferencedDocument");
    }
    reference.description = childText(node, "Description");
    return reference;
}

void readTopic(pugi::xml_node node, Topic& topic, BcfVersion version, std::vector<UnreadContent>& unread) {
    const bool v3 = xml::isV3(version);
    topic.guid = attribute(node, "Guid");
    topic.serverAssignedId = attribute(node, "ServerAssignedId");
    topic.topicType = attribute(node, "TopicType");
    topic.topicStatus = attribute(node, "TopicStatus");
    topic.referenceLinks = texts(node, v3 ? "ReferenceLinks" : nullptr, "ReferenceLink");
    topic.title = childText(node, "Title");
    topic.priority = childText(node, "Priority");
    topic.index = readIndex(node, unread);
    topic.labels = v3 ? texts(node, "Labels", "Label") : texts(node, nullptr, "Labels");
    topic.creationDate = childText(node, "CreationDate");
    topic.creationAuthor = childText(node, "CreationAuthor");
    topic.modifiedDate = optionalText(node, "ModifiedDate");
    topic.modifiedAuthor = childText(node, "ModifiedAuthor");
    topic.dueDate = optionalText(node, "DueDate");
    topic.assignedTo = childText(node, "AssignedTo");
    topic.stage = childText(node, "Stage");
    topic.description = childText(node, "Description");
    if (const pugi::xml_node snippet = node.child("BimSnippet")) {
        BimSnippet& bimSnippet = topic.bimSnippet.emplace();
        bimSnippet.snippetType = attribute(snippet, "SnippetType");
        bimSnippet.isExternal = xml::parseBool(attribute(snippet, externalName(version)), false);
        bimSnippet.reference = childText(snippet, "Reference");
        bimSnippet.referenceSchema = childText(snippet, "ReferenceSchema");
    }
    readAll(node, v3 ? "DocumentReferences" : nullptr, "DocumentReference", topic.documentReferences,
            [version](pugi::xml_node reference) { return readDocumentReference(reference, version); });
    readAll(node, v3 ? "RelatedTopics" : nullptr, "RelatedTopic", topic.relatedTopics,
            [](pugi::xml_node related) { return RelatedTopic{attribute(related, "Guid")}; });
}

// Writes one markup in one version; notes what it had to change.
class MarkupWriter {
public:
    MarkupWriter(const Markup& markup, BcfVersion version, const MarkupWriteContext& context)
        : markup_(markup), version_(version), v3_(xml::isV3(version)), context_(context) {}

    std::string write() {
        pugi::xml_document document;
        pugi::xml_node root = document.append_child("Markup");
        xml::appendNamespaces(root);
        if (markup_.header)
            writeHeader(root, *markup_.header);
        pugi::xml_node topic = root.append_child("Topic");
        writeTopic(topic);
        if (v3_) {
            pugi::xml_node comments = topic.append_child("Comments");
            for (const Comment& comment : markup_.comments)
                writeComment(comments, comment);
            pugi::xml_node viewPoints = topic.append_child("Viewpoints");
            for (const ViewPoint& viewPoint : markup_.viewPoints)
                writeViewPoint(viewPoints.append_child("ViewPoint"), viewPoint);
        } else {
            // The 2.1 schema puts every Comment before the first Viewpoints.
            for (const Comment& comment : markup_.comments)
                writeComment(root, comment);
            for (const ViewPoint& viewPoint : markup_.viewPoints)
                writeViewPoint(root.append_child("Viewpoints"), viewPoint);
        }
        return xml::serialize(document);
    }

private:
    void note(const std::string& text) {
        if (context_.notes)
            context_.notes->add(text);
    }

    std::string guid(const std::string& value) const { return normalizedGuid(value, version_); }

    // A GUID attribute both versions require: a missing one is generated.
    void setGuid(pugi::xml_node node, const std::string& value) {
        std::string text = guid(value);
        if (xml::isBlank(text)) {
            text = generateGuid();
            note("missing GUIDs generated (BCF requires one)");
        }
        node.append_attribute("Guid").set_value(text.c_str());
    }

    // A text 3.0 requires non-blank.
    std::string required3(const std::string& value, const char* neutral, const char* what) {
        if (!v3_ || !xml::isBlank(value))
            return value;
        note(std::string(what) + " set to \"" + neutral + "\" (BCF 3.0 requires one)");
        return neutral;
    }

    // The date as the schemas' xs:dateTime, noting a rewritten one; nothing for no date-time.
    std::optional<std::string> schemaDate(const std::string& value) {
        std::optional<std::string> date = schemaDateTime(value);
        if (date && *date != value)
            note("dates rewritten as xs:dateTime (\"2024-03-07\" as \"2024-03-07T00:00:00\")");
        return date;
    }

    // A date-time both versions require.
    void appendDate(pugi::xml_node node, const char* name, const std::string& value) {
        std::optional<std::string> date;
        if (xml::isBlank(value))
            note(std::string("missing dates set to ") + kNeutralDate + " (BCF requires one)");
        else if (!(date = schemaDate(value)))
            note(std::string("dates that are no date-time set to ") + kNeutralDate + " (BCF requires one)");
        xml::appendText(node, name, date ? *date : kNeutralDate);
    }

    // A date-time the schemas make optional: one that is no date-time is left out.
    void appendOptionalDate(pugi::xml_node node, const char* name, const std::string& value) {
        if (xml::isBlank(value))
            return;
        if (const std::optional<std::string> date = schemaDate(value))
            xml::appendText(node, name, *date);
        else
            note("optional dates that are no date-time left out");
    }

    void writeHeader(pugi::xml_node root, const Header& header) {
        if (!v3_ && header.files.empty()) {
            note("empty markup headers dropped (BCF 2.1 requires a file in each)");
            return;
        }
        pugi::xml_node node = root.append_child("Header");
        if (v3_)
            node = node.append_child("Files");
        for (const File& file : header.files) {
            pugi::xml_node element = node.append_child("File");
            xml::setOptional(element, "IfcProject", file.ifcProject, version_);
            xml::setOptional(element, "IfcSpatialStructureElement", file.ifcSpatialStructureElement,
                             version_);
            element.append_attribute(externalName(version_)).set_value(xml::boolText(file.isExternal));
            xml::appendOptional(element, "Filename", file.filename, version_);
            appendOptionalDate(element, "Date", file.date);
            xml::appendOptional(element, "Reference", file.reference, version_);
        }
    }

    void writeTopic(pugi::xml_node node) {
        const Topic& topic = markup_.topic;
        node.append_attribute("Guid").set_value(guid(topic.guid).c_str());
        if (v3_)
            xml::setOptional(node, "ServerAssignedId", topic.serverAssignedId, version_);
        else if (!xml::isBlank(topic.serverAssignedId))
            note("server-assigned topic ids dropped (BCF 2.1 has none)");
        // 2.1 makes TopicType and TopicStatus optional, 3.0 requires both non-empty.
        if (v3_) {
            node.append_attribute("TopicType")
                .set_value(required3(topic.topicType, kUnknownValue, "topic types").c_str());
            node.append_attribute("TopicStatus")
                .set_value(required3(topic.topicStatus, kUnknownValue, "topic statuses").c_str());
        } else {
            xml::setOptional(node, "TopicType", topic.topicType, version_);
            xml::setOptional(node, "TopicStatus", topic.topicStatus, version_);
        }

        pugi::xml_node links = v3_ ? node.append_child("ReferenceLinks") : node;
        for (const std::string& link : topic.referenceLinks)
            xml::appendOptional(links, "ReferenceLink", link, version_);
        xml::appendText(node, "Title", required3(topic.title, kUntitled, "empty titles"));
        xml::appendOptional(node, "Priority", topic.priority, version_);
        if (topic.index)
            xml::appendText(node, "Index", std::to_string(*topic.index));
        if (v3_) {
            pugi::xml_node labels = node.append_child("Labels");
            for (const std::string& label : topic.labels)
                xml::appendOptional(labels, "Label", label, version_);
        } else {
            for (const std::string& label : topic.labels)
                xml::appendText(node, "Labels", label);
        }
        appendDate(node, "CreationDate", topic.creationDate);
        xml::appendText(node, "CreationAuthor",
                        required3(topic.creationAuthor, kUnknownValue, "missing authors"));
        // Both schemas take a date-time here, so a present but empty date is left out like an
        // absent one (which is also how it reads back).
        if (topic.modifiedDate)
            appendOptionalDate(node, "ModifiedDate", *topic.modifiedDate);
        xml::appendOptional(node, "ModifiedAuthor", topic.modifiedAuthor, version_);
        if (topic.dueDate)
            appendOptionalDate(node, "DueDate", *topic.dueDate);
        xml::appendOptional(node, "AssignedTo", topic.assignedTo, version_);
        xml::appendOptional(node, "Stage", topic.stage, version_);
        xml::appendOptional(node, "Description", topic.description, version_);
        if (topic.bimSnippet)
            writeBimSnippet(node.append_child("BimSnippet"), *topic.bimSnippet);
        pugi::xml_node references = v3_ ? node.append_child("DocumentReferences") : node;
        for (const DocumentReference& reference : topic.documentReferences)
            writeDocumentReference(references.append_child("DocumentReference"), reference);
        pugi::xml_node related = v3_ ? node.append_child("RelatedTopics") : node;
        for (const RelatedTopic& relatedTopic : topic.relatedTopics)
            related.append_child("RelatedTopic")
                .append_attribute("Guid")
                .set_value(guid(relatedTopic.guid).c_str());
    }

    void writeBimSnippet(pugi::xml_node node, const BimSnippet& snippet) {
        const char* what = "BIM snippet values";
        node.append_attribute("SnippetType")
            .set_value(required3(snippet.snippetType, kUnknownValue, what).c_str());
        node.append_attribute(externalName(version_)).set_value(xml::boolText(snippet.isExternal));
        xml::appendText(node, "Reference", required3(snippet.reference, kUnknownValue, what));
        xml::appendText(node, "ReferenceSchema", required3(snippet.referenceSchema, kUnknownValue, what));
    }

    // The document of the saved archive a 2.1 reference path (relative to the topic folder) or a
    // 3.0 document GUID points to.
    const MarkupWriteContext::Document* findDocument(const DocumentReference& reference) const {
        if (!reference.documentGuid.empty()) {
            const std::string wanted = normalizedGuid(reference.documentGuid, BcfVersion::V3_0);
            for (const auto& document : context_.documents)
                if (normalizedGuid(document.guid, BcfVersion::V3_0) == wanted)
                    return &document;
            return nullptr;
        }
        const auto entry = resolveEntryPath(payloadFolder(markup_), reference.referencedDocument);
        if (entry)
            for (const auto& document : context_.documents)
                if (document.loadedEntry == *entry)
                    return &document;
        return nullptr;
    }

    void writeDocumentReference(pugi::xml_node node, const DocumentReference& reference) {
        if (v3_)
            setGuid(node, reference.guid);
        else
            xml::setOptional(node, "Guid", reference.guid, version_);
        const bool external =
            !reference.url.empty() || (reference.documentGuid.empty() && reference.isExternal);
        if (external) {
            const std::string& url = reference.url.empty() ? reference.referencedDocument : reference.url;
            if (v3_) {
                xml::appendOptional(node, "Url", url, version_);
            } else {
                node.append_attribute("isExternal").set_value("true");
                xml::appendOptional(node, "ReferencedDocument", url, version_);
            }
        } else if (v3_ && !reference.documentGuid.empty()) {
            xml::appendText(node, "DocumentGuid", guid(reference.documentGuid));
        } else if (!reference.documentGuid.empty() || !reference.referencedDocument.empty()) {
            const MarkupWriteContext::Document* document = findDocument(reference);
            if (v3_ && document) {
                xml::appendText(node, "DocumentGuid", guid(document->guid));
            } else if (!v3_ && (document || reference.documentGuid.empty())) {
                // A 2.1 path is relative to the topic folder; the documents lie at the root. A
                // path to a file that is no document (one in the topic folder) stays as it is.
                node.append_attribute("isExternal").set_value("false");
                xml::appendText(node, "ReferencedDocument",
                                document ? "../" + document->writtenEntry : reference.referencedDocument);
            } else {
                note("document references to files that are no document of the archive written "
                     "without their target");
            }
        }
        xml::appendOptional(node, "Description", reference.description, version_);
    }

    void writeComment(pugi::xml_node parent, const Comment& comment) {
        pugi::xml_node node = parent.append_child("Comment");
        setGuid(node, comment.guid);
        appendDate(node, "Date", comment.date);
        xml::appendText(node, "Author", required3(comment.author, kUnknownValue, "missing authors"));
        // 2.1 requires the comment text; 3.0 makes it optional and forbids it empty.
        if (v3_)
            xml::appendTextIfSet(node, "Comment", comment.comment);
        else
            xml::appendText(node, "Comment", comment.comment);
        if (!xml::isBlank(comment.viewpoint))
            node.append_child("Viewpoint")
                .append_attribute("Guid")
                .set_value(guid(comment.viewpoint).c_str());
        appendOptionalDate(node, "ModifiedDate", comment.modifiedDate);
        xml::appendOptional(node, "ModifiedAuthor", comment.modifiedAuthor, version_);
    }

    void writeViewPoint(pugi::xml_node node, const ViewPoint& viewPoint) {
        setGuid(node, viewPoint.guid);
        xml::appendOptional(node, "Viewpoint", viewPoint.viewpoint, version_);
        xml::appendOptional(node, "Snapshot", viewPoint.snapshot, version_);
        if (viewPoint.index)
            xml::appendText(node, "Index", std::to_string(*viewPoint.index));
    }

    const Markup& markup_;
    BcfVersion version_;
    bool v3_;
    const MarkupWriteContext& context_;
};

} // namespace

Markup readMarkup(const pugi::xml_document& document, BcfVersion version) {
    Markup markup;
    const pugi::xml_node root = document.child("Markup");
    const pugi::xml_node topicNode = root.child("Topic");
    const bool v3 = xml::isV3(version);
    // A file that repeats a list (Header, 3.0 Files, Comments, Viewpoints) is read as one list.
    if (root.child("Header")) {
        Header& header = markup.header.emplace();
        const auto readFiles = [&](pugi::xml_node files) {
            readAll(files, nullptr, "File", header.files,
                    [version](pugi::xml_node file) { return readFile(file, version); });
        };
        for (pugi::xml_node headerNode : root.children("Header")) {
            if (v3)
                for (pugi::xml_node files : headerNode.children("Files"))
                    readFiles(files);
            else
                readFiles(headerNode);
        }
    }
    readTopic(topicNode, markup.topic, version, markup.unread);
    const auto readViewPoints = [&markup](pugi::xml_node node) { return readViewPoint(node, markup.unread); };
    if (version == BcfVersion::V2_1) {
        readAll(root, nullptr, "Comment", markup.comments, readComment);
        readAll(root, nullptr, "Viewpoints", markup.viewPoints, readViewPoints);
    } else if (v3) {
        readAll(topicNode, "Comments", "Comment", markup.comments, readComment);
        readAll(topicNode, "Viewpoints", "ViewPoint", markup.viewPoints, readViewPoints);
    }
    xml::findUnread(document, xml::FileKind::Markup, version, markup.unread);
    return markup;
}

std::string writeMarkup(const Markup& markup, BcfVersion version, const MarkupWriteContext& context) {
    return MarkupWriter(markup, version, context).write();
}

} // namespace bcf
