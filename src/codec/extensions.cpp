#include "codec/extensions.h"

#include "codec/xml_util_p.h"

#include <cstring>

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
    for (const ExtensionList& row : kLists)
        for (pugi::xml_node node : root.child(row.group).children(row.value))
            (data.*row.list).push_back(xml::text(node));
}

void readV21(const pugi::xml_document& document, BcfData& data) {
    const pugi::xml_node redefine = schemaChild(schemaChild(document, "schema"), "redefine");
    for (pugi::xml_node type : redefine.children()) {
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

std::string writeV21(const BcfData& data) {
    pugi::xml_document document;
    pugi::xml_node schema = document.append_child("xs:schema");
    schema.append_attribute("xmlns:xs").set_value(xml::kXsdNamespace);
    pugi::xml_node redefine = schema.append_child("xs:redefine");
    redefine.append_attribute("schemaLocation").set_value("markup.xsd");
    for (const ExtensionList& row : kLists) {
        pugi::xml_node type = redefine.append_child("xs:simpleType");
        type.append_attribute("name").set_value(row.simpleType);
        pugi::xml_node restriction = type.append_child("xs:restriction");
        restriction.append_attribute("base").set_value(row.simpleType);
        for (const std::string& value : data.*row.list)
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

std::string writeExtensions(const BcfData& data, BcfVersion version) {
    if (version == BcfVersion::V3_0)
        return writeV3(data);
    if (version == BcfVersion::V2_1)
        return writeV21(data);
    return "<?xml version=\"1.0\"?>\n";
}

} // namespace bcf
