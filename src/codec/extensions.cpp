#include "codec/extensions.h"

#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace bcf {

namespace {

struct ExtensionList {
    std::vector<std::string> BcfData::*list;
    const char* group;       // 3.0 group element
    const char* value;       // 3.0 value element
    const char* simpleType;  // 2.1 simple type
    const char* declaration; // 2.1 element declaration, or nullptr
};

// The model's order of the seven lists.
const ExtensionList kLists[] = {
    {&BcfData::topicTypes, "TopicTypes", "TopicType", "TopicType", "ExtendedTopicType"},
    {&BcfData::topicStatuses, "TopicStatuses", "TopicStatus", "TopicStatus", "ExtendedTopicStatus"},
    {&BcfData::topicLabels, "TopicLabels", "TopicLabel", "TopicLabel", "ExtendedTopicLabel"},
    {&BcfData::snippetTypes, "SnippetTypes", "SnippetType", "SnippetType", "ExtendedSnippetType"},
    {&BcfData::priorities, "Priorities", "Priority", "Priority", "ExtendedPriority"},
    {&BcfData::users, "Users", "User", "UserIdType", "ExtendedUserIdType"},
    {&BcfData::stages, "Stages", "Stage", "Stage", nullptr},
};

// The 3.0 schema's order of the groups, which differs from the model's.
const int kSchemaOrder[] = {0, 1, 4, 2, 5, 3, 6};

// The name without its namespace prefix.
const char* localName(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

// Schema elements are matched by local name: writers bind the XML Schema namespace to "xs",
// "xsd" or the default namespace alike.
pugi::xml_node schemaChild(pugi::xml_node parent, const char* name) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && std::strcmp(localName(child.name()), name) == 0)
            return child;
    return {};
}

void readV3(const pugi::xml_document& document, BcfData& data) {
    const pugi::xml_node root = document.child("Extensions");
    // A group that a file repeats is read as one.
    for (const ExtensionList& row : kLists)
        xml::forEachListed(root, row.group, row.value,
                           [&](pugi::xml_node node) { (data.*row.list).push_back(xml::text(node)); });
    xml::findUnread(document, xml::FileKind::Extensions, data.version, data.unread);
}

void readSimpleTypes(pugi::xml_node parent, BcfData& data) {
    for (pugi::xml_node type : parent.children()) {
        if (type.type() != pugi::node_element || std::strcmp(localName(type.name()), "simpleType") != 0)
            continue;
        const std::string name = xml::attribute(type, "name");
        for (const ExtensionList& row : kLists) {
            if (name != row.simpleType)
                continue;
            for (pugi::xml_node value : schemaChild(type, "restriction").children())
                if (value.type() == pugi::node_element &&
                    std::strcmp(localName(value.name()), "enumeration") == 0)
                    (data.*row.list).push_back(xml::attribute(value, "value"));
        }
    }
}

// The lists are simple types redefined from markup.xsd, or (SnippetType, which markup.xsd does
// not define) declared at the top level.
void readV21(const pugi::xml_document& document, BcfData& data) {
    const pugi::xml_node schema = schemaChild(document, "schema");
    readSimpleTypes(schemaChild(schema, "redefine"), data);
    readSimpleTypes(schema, data);
}

// The values the written markups use, per list: a 2.1 list that names any value restricts
// the markups to it, so every value they use must be listed.
std::vector<std::vector<std::string>> usedValues(const BcfData& data) {
    std::vector<std::vector<std::string>> used(std::size(kLists));
    auto add = [&used](std::size_t list, const std::string& value) { used[list].push_back(value); };
    auto addIfSet = [&add](std::size_t list, const std::string& value) {
        if (!value.empty())
            add(list, value);
    };
    for (const Markup& markup : data.markups) {
        const Topic& topic = markup.topic;
        addIfSet(0, topic.topicType);
        addIfSet(1, topic.topicStatus);
        for (const std::string& label : topic.labels)
            add(2, label);
        addIfSet(4, topic.priority);
        add(5, topic.creationAuthor);
        addIfSet(5, topic.modifiedAuthor);
        addIfSet(5, topic.assignedTo);
        addIfSet(6, topic.stage);
        for (const Comment& comment : markup.comments) {
            add(5, comment.author);
            addIfSet(5, comment.modifiedAuthor);
        }
    }
    return used;
}

std::string writeV3(const BcfData& data) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Extensions");
    for (int index : kSchemaOrder) {
        const ExtensionList& row = kLists[index];
        pugi::xml_node group = root.append_child(row.group);
        for (const std::string& value : data.*row.list)
            // The schema forbids empty values; an empty one carries nothing a reader could use.
            if (!xml::isBlank(value))
                xml::appendText(group, row.value, value);
    }
    return xml::serialize(document);
}

std::string writeV21(const BcfData& data, SaveNotes* notes) {
    pugi::xml_document document;
    pugi::xml_node schema = document.append_child("xs:schema");
    schema.append_attribute("xmlns:xs").set_value(xml::kXsdNamespace);
    pugi::xml_node redefine = schema.append_child("xs:redefine");
    redefine.append_attribute("schemaLocation").set_value("markup.xsd");
    const auto used = usedValues(data);
    for (std::size_t index = 0; index < std::size(kLists); ++index) {
        const ExtensionList& row = kLists[index];
        // markup.xsd types the snippet type as a plain string: it cannot be redefined, so the
        // list is a type of its own.
        const bool redefined = row.list != &BcfData::snippetTypes;
        pugi::xml_node type = (redefined ? redefine : schema).append_child("xs:simpleType");
        type.append_attribute("name").set_value(row.simpleType);
        pugi::xml_node restriction = type.append_child("xs:restriction");
        restriction.append_attribute("base").set_value(redefined ? row.simpleType : "xs:string");
        std::vector<std::string> values = data.*row.list;
        if (!values.empty()) {
            for (const std::string& value : used[index]) {
                if (std::find(values.begin(), values.end(), value) != values.end())
                    continue;
                values.push_back(value);
                if (notes)
                    notes->add("values added to the extension schema's lists (BCF 2.1 markups must use "
                               "listed values)");
            }
        }
        for (const std::string& value : values)
            restriction.append_child("xs:enumeration").append_attribute("value").set_value(value.c_str());
    }
    for (const ExtensionList& row : kLists) {
        if (!row.declaration)
            continue;
        pugi::xml_node element = schema.append_child("xs:element");
        element.append_attribute("name").set_value(row.declaration);
        element.append_attribute("type").set_value(row.simpleType);
    }
    return xml::serialize(document);
}

} // namespace

void readExtensions(const pugi::xml_document& document, BcfData& data) {
    if (data.version == BcfVersion::V3_0)
        readV3(document, data);
    else if (data.version == BcfVersion::V2_1)
        readV21(document, data);
}

std::string writeExtensions(const BcfData& data, BcfVersion version, SaveNotes* notes) {
    if (version == BcfVersion::V3_0)
        return writeV3(data);
    if (version == BcfVersion::V2_1)
        return writeV21(data, notes);
    return "<?xml version=\"1.0\"?>\n";
}

} // namespace bcf
