#include "validate/archive_rules_p.h"

#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"

#include <pugixml.hpp>

namespace bcf {

namespace {

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string textOf(pugi::xml_node node) {
    return trimmed(node.text().get());
}

std::string attributeOf(pugi::xml_node node, const char* name) {
    return trimmed(node.attribute(name).value());
}

bool isTrue(const std::string& flag) {
    return flag == "true" || flag == "1";
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

ArchiveRules::ArchiveRules(const ZipArchive& archive, const BcfData& lists, std::string extensionsEntry)
    : archive_(archive), lists_(lists), extensionsEntry_(std::move(extensionsEntry)),
      v3_(lists.version == BcfVersion::V3_0) {}

void ArchiveRules::check(const std::string& entry, const std::string& bytes, SchemaKind kind) {
    if (kind != SchemaKind::Markup && kind != SchemaKind::Visinfo && kind != SchemaKind::Documents)
        return;
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size()))
        return;
    entry_ = &entry;
    bytes_ = &bytes;
    const std::size_t slash = entry.find_last_of("/\\");
    folder_ = slash == std::string::npos ? std::string() : entry.substr(0, slash + 1);
    if (kind == SchemaKind::Markup)
        checkMarkup(document);
    else if (kind == SchemaKind::Visinfo)
        checkVisualization(document);
    else
        checkDocuments(document);
}

ValidationFinding ArchiveRules::locate(pugi::xml_node node) const {
    ValidationFinding finding;
    finding.entry = *entry_;
    const std::ptrdiff_t offset = node.offset_debug();
    if (offset > 0) {
        // pugixml gives the offset of the name; the element starts at its "<".
        const auto at = static_cast<std::size_t>(offset);
        std::tie(finding.line, finding.column) =
            textPosition(*bytes_, at > 0 && (*bytes_)[at - 1] == '<' ? at - 1 : at);
    }
    return finding;
}

void ArchiveRules::add(pugi::xml_node at, ValidationRule rule, std::string message) {
    ValidationFinding finding = locate(at);
    finding.rule = rule;
    finding.message = std::move(message);
    findings_.push_back(std::move(finding));
}

void ArchiveRules::requireUnique(const char* kind, pugi::xml_node at, const std::string& guid) {
    if (guid.empty())
        return;
    const auto [first, inserted] = guids_[kind].emplace(lower(guid), *entry_);
    if (!inserted)
        add(at, ValidationRule::UniqueGuid,
            std::string(kind) + " GUID " + guid + " is used before, in " + first->second);
}

// Payload names are relative to the folder of the file that names them, as loading reads them.
void ArchiveRules::requireFile(pugi::xml_node reference, const char* what) {
    const std::string name = textOf(reference);
    if (name.empty() || archive_.contains(folder_ + name))
        return;
    if (const auto entry = resolveEntryPath(folder_, name); entry && archive_.contains(*entry))
        return;
    add(reference, ValidationRule::MissingFile,
        std::string(what) + " " + quoted(name) + " is not in the archive");
}

void ArchiveRules::checkValue(pugi::xml_node at, const char* field, const std::string& value,
                              const std::vector<std::string>& list) {
    if (value.empty() || list.empty())
        return;
    for (const std::string& listed : list)
        if (trimmed(listed) == value)
            return;
    add(at, ValidationRule::ExtensionValue,
        std::string(field) + " " + quoted(value) + " is not listed in " + extensionsEntry_);
}

void ArchiveRules::checkMarkup(const pugi::xml_document& document) {
    const pugi::xml_node root = document.child("Markup");
    const pugi::xml_node topic = root.child("Topic");
    const std::string guid = attributeOf(topic, "Guid");

    // One topic per folder, the folder named after the topic's GUID and holding markup.bcf.
    const std::string folder = folder_.empty() ? std::string() : folder_.substr(0, folder_.size() - 1);
    if (folder.empty() || folder.find_first_of("/\\") != std::string::npos)
        add(topic, ValidationRule::TopicFolder,
            "markup.bcf does not lie in a topic folder at the top of the archive");
    else if (lower(folder) != lower(guid) || entry_->substr(folder_.size()) != "markup.bcf")
        add(topic, ValidationRule::TopicFolder,
            "the topic folder " + quoted(folder) + " is not named after the topic GUID " + quoted(guid));
    requireUnique("topic", topic, guid);
    if (!guid.empty())
        topics_.insert(lower(guid));

    std::set<std::string> viewpoints;
    const auto viewPointNodes =
        v3_ ? topic.child("Viewpoints").children("ViewPoint") : root.children("Viewpoints");
    for (pugi::xml_node viewPoint : viewPointNodes) {
        const std::string viewPointGuid = attributeOf(viewPoint, "Guid");
        requireUnique("viewpoint", viewPoint, viewPointGuid);
        viewpoints.insert(lower(viewPointGuid));
        requireFile(viewPoint.child("Viewpoint"), "viewpoint file");
        requireFile(viewPoint.child("Snapshot"), "snapshot");
    }

    const auto commentNodes = v3_ ? topic.child("Comments").children("Comment") : root.children("Comment");
    for (pugi::xml_node comment : commentNodes) {
        requireUnique("comment", comment, attributeOf(comment, "Guid"));
        const pugi::xml_node viewPoint = comment.child("Viewpoint");
        const std::string target = attributeOf(viewPoint, "Guid");
        if (!target.empty() && !viewpoints.contains(lower(target)))
            add(viewPoint, ValidationRule::CommentViewpoint,
                "the comment refers to viewpoint " + target + ", which its topic does not have");
    }

    const auto references = v3_ ? topic.child("DocumentReferences").children("DocumentReference")
                                : topic.children("DocumentReference");
    for (pugi::xml_node reference : references) {
        requireUnique("document reference", reference, attributeOf(reference, "Guid"));
        if (v3_) {
            const pugi::xml_node target = reference.child("DocumentGuid");
            if (const std::string documentGuid = textOf(target); !documentGuid.empty())
                documentReferences_.push_back({locate(target), documentGuid});
        } else if (!isTrue(attributeOf(reference, "isExternal"))) {
            requireFile(reference.child("ReferencedDocument"), "document");
        }
    }

    const auto related =
        v3_ ? topic.child("RelatedTopics").children("RelatedTopic") : topic.children("RelatedTopic");
    for (pugi::xml_node relatedTopic : related)
        if (const std::string target = attributeOf(relatedTopic, "Guid"); !target.empty())
            relatedTopics_.push_back({locate(relatedTopic), target});

    if (const pugi::xml_node snippet = topic.child("BimSnippet")) {
        if (!isTrue(attributeOf(snippet, v3_ ? "IsExternal" : "isExternal")))
            requireFile(snippet.child("Reference"), "BIM snippet");
        checkValue(snippet, "SnippetType", attributeOf(snippet, "SnippetType"), lists_.snippetTypes);
    }

    checkValue(topic, "TopicType", attributeOf(topic, "TopicType"), lists_.topicTypes);
    checkValue(topic, "TopicStatus", attributeOf(topic, "TopicStatus"), lists_.topicStatuses);
    checkValue(topic.child("Priority"), "Priority", textOf(topic.child("Priority")), lists_.priorities);
    for (pugi::xml_node label : v3_ ? topic.child("Labels").children("Label") : topic.children("Labels"))
        checkValue(label, "Label", textOf(label), lists_.topicLabels);
    checkValue(topic.child("Stage"), "Stage", textOf(topic.child("Stage")), lists_.stages);
    // 3.0 lists the users a topic may be assigned to; 2.1 redefines the type of every user field.
    std::vector<const char*> userFields = {"AssignedTo"};
    if (!v3_)
        userFields.insert(userFields.end(), {"CreationAuthor", "ModifiedAuthor"});
    for (const char* field : userFields)
        checkValue(topic.child(field), field, textOf(topic.child(field)), lists_.users);
    if (!v3_)
        for (pugi::xml_node comment : commentNodes)
            for (const char* field : {"Author", "ModifiedAuthor"})
                checkValue(comment.child(field), field, textOf(comment.child(field)), lists_.users);
}

void ArchiveRules::checkVisualization(const pugi::xml_document& document) {
    const pugi::xml_node root = document.child("VisualizationInfo");
    for (pugi::xml_node bitmap : v3_ ? root.child("Bitmaps").children("Bitmap") : root.children("Bitmap"))
        requireFile(bitmap.child("Reference"), "bitmap");
}

void ArchiveRules::checkDocuments(const pugi::xml_document& document) {
    for (pugi::xml_node node : document.child("DocumentInfo").child("Documents").children("Document")) {
        const std::string guid = attributeOf(node, "Guid");
        requireUnique("document", node, guid);
        if (guid.empty())
            continue;
        documents_.insert(lower(guid));
        if (!archive_.contains("documents/" + guid))
            add(node, ValidationRule::MissingFile,
                "document file " + quoted("documents/" + guid) + " is not in the archive");
    }
}

void ArchiveRules::finish(std::vector<ValidationFinding>& findings) {
    for (Reference& reference : relatedTopics_) {
        if (topics_.contains(lower(reference.guid)))
            continue;
        reference.at.rule = ValidationRule::RelatedTopic;
        reference.at.message = "related topic " + reference.guid + " is not in the archive";
        findings_.push_back(std::move(reference.at));
    }
    for (Reference& reference : documentReferences_) {
        if (documents_.contains(lower(reference.guid)))
            continue;
        reference.at.rule = ValidationRule::MissingFile;
        reference.at.message = "document " + reference.guid + " is not listed in documents.xml";
        findings_.push_back(std::move(reference.at));
    }
    findings.insert(findings.end(), std::make_move_iterator(findings_.begin()),
                    std::make_move_iterator(findings_.end()));
    findings_.clear();
}

} // namespace bcf
