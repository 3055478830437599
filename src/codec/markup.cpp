#include "codec/markup.h"

#include "codec/xml_util_p.h"

namespace bcf {

namespace {

using xml::attribute;
using xml::childText;

// Written in 3.0 for a topic type or status that the model leaves empty.
constexpr const char* kUnknownValue = "Unknown";

std::optional<std::string> optionalText(pugi::xml_node parent, const char* name) {
    const std::string value = childText(parent, name);
    return xml::isBlank(value) ? std::nullopt : std::optional<std::string>(value);
}

Comment readComment(pugi::xml_node node) {
    Comment comment;
    comment.guid = attribute(node, "Guid");
    comment.date = childText(node, "Date");
    comment.author = childText(node, "Author");
    comment.comment = childText(node, "Comment");
    comment.modifiedDate = childText(node, "ModifiedDate");
    comment.modifiedAuthor = childText(node, "ModifiedAuthor");
    return comment;
}

ViewPoint readViewPoint(pugi::xml_node node) {
    ViewPoint viewPoint;
    viewPoint.guid = attribute(node, "Guid");
    viewPoint.viewpoint = childText(node, "Viewpoint");
    viewPoint.snapshot = childText(node, "Snapshot");
    return viewPoint;
}

void writeComment(pugi::xml_node parent, const Comment& comment, BcfVersion version) {
    pugi::xml_node node = parent.append_child("Comment");
    node.append_attribute("Guid").set_value(comment.guid.c_str());
    xml::appendText(node, "Date", comment.date);
    xml::appendText(node, "Author", comment.author);
    // 2.1 requires the comment text; 3.0 makes it optional and forbids it empty.
    if (xml::isV3(version))
        xml::appendTextIfSet(node, "Comment", comment.comment);
    else
        xml::appendText(node, "Comment", comment.comment);
    xml::appendTextIfSet(node, "ModifiedDate", comment.modifiedDate);
    xml::appendOptionalText(node, "ModifiedAuthor", comment.modifiedAuthor, version);
}

void writeViewPoint(pugi::xml_node node, const ViewPoint& viewPoint, BcfVersion version) {
    node.append_attribute("Guid").set_value(viewPoint.guid.c_str());
    if (xml::isV3(version)) {
        xml::appendTextIfSet(node, "Viewpoint", viewPoint.viewpoint);
        xml::appendTextIfSet(node, "Snapshot", viewPoint.snapshot);
    } else {
        xml::appendText(node, "Viewpoint", viewPoint.viewpoint);
        xml::appendText(node, "Snapshot", viewPoint.snapshot);
    }
}

// The value of an attribute that 3.0 requires non-empty.
std::string requiredValue(const std::string& value, bool v3) {
    return v3 && xml::isBlank(value) ? std::string(kUnknownValue) : value;
}

} // namespace

Markup readMarkup(const pugi::xml_document& document, BcfVersion version) {
    Markup markup;
    const pugi::xml_node root = document.child("Markup");
    const pugi::xml_node topicNode = root.child("Topic");
    Topic& topic = markup.topic;
    topic.guid = attribute(topicNode, "Guid");
    topic.topicType = attribute(topicNode, "TopicType");
    topic.topicStatus = attribute(topicNode, "TopicStatus");
    topic.title = childText(topicNode, "Title");
    topic.priority = childText(topicNode, "Priority");
    topic.creationDate = childText(topicNode, "CreationDate");
    topic.creationAuthor = childText(topicNode, "CreationAuthor");
    topic.modifiedDate = optionalText(topicNode, "ModifiedDate");
    topic.modifiedAuthor = childText(topicNode, "ModifiedAuthor");
    topic.dueDate = optionalText(topicNode, "DueDate");
    topic.assignedTo = childText(topicNode, "AssignedTo");
    topic.stage = childText(topicNode, "Stage");
    topic.description = childText(topicNode, "Description");

    if (version == BcfVersion::V2_1) {
        for (pugi::xml_node node : root.children("Comment"))
            markup.comments.push_back(readComment(node));
        for (pugi::xml_node node : root.children("Viewpoints"))
            markup.viewPoints.push_back(readViewPoint(node));
    } else if (version == BcfVersion::V3_0) {
        for (pugi::xml_node node : topicNode.child("Comments").children("Comment"))
            markup.comments.push_back(readComment(node));
        for (pugi::xml_node node : topicNode.child("Viewpoints").children("ViewPoint"))
            markup.viewPoints.push_back(readViewPoint(node));
    }
    return markup;
}

std::string writeMarkup(const Markup& markup, BcfVersion version) {
    const bool v3 = xml::isV3(version);
    const Topic& topic = markup.topic;
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Markup");
    xml::appendNamespaces(root);
    pugi::xml_node node = root.append_child("Topic");
    node.append_attribute("Guid").set_value(topic.guid.c_str());
    // 2.1 makes TopicType and TopicStatus optional, 3.0 requires both non-empty: a 2.1 topic
    // without them is saved as 3.0 with the neutral value "Unknown".
    node.append_attribute("TopicType").set_value(requiredValue(topic.topicType, v3).c_str());
    node.append_attribute("TopicStatus").set_value(requiredValue(topic.topicStatus, v3).c_str());

    if (v3)
        node.append_child("ReferenceLinks");
    xml::appendText(node, "Title", topic.title);
    if (v3) {
        xml::appendTextIfSet(node, "Priority", topic.priority);
        node.append_child("Labels");
    } else {
        xml::appendText(node, "Priority", topic.priority);
    }
    xml::appendText(node, "CreationDate", topic.creationDate);
    xml::appendText(node, "CreationAuthor", topic.creationAuthor);
    // Both schemas take a date-time here, so a present but empty date is left out like an
    // absent one (which is also how it reads back).
    if (topic.modifiedDate)
        xml::appendTextIfSet(node, "ModifiedDate", *topic.modifiedDate);
    xml::appendOptionalText(node, "ModifiedAuthor", topic.modifiedAuthor, version);
    if (topic.dueDate)
        xml::appendTextIfSet(node, "DueDate", *topic.dueDate);
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string&>{"AssignedTo", topic.assignedTo},
          {"Stage", topic.stage},
          {"Description", topic.description}}) {
        if (v3)
            xml::appendTextIfSet(node, name, value);
        else
            xml::appendText(node, name, value);
    }

    if (v3) {
        pugi::xml_node comments = node.append_child("Comments");
        for (const Comment& comment : markup.comments)
            writeComment(comments, comment, version);
        pugi::xml_node viewPoints = node.append_child("Viewpoints");
        for (const ViewPoint& viewPoint : markup.viewPoints)
            writeViewPoint(viewPoints.append_child("ViewPoint"), viewPoint, version);
    } else {
        // The 2.1 schema puts every Comment before the first Viewpoints.
        for (const Comment& comment : markup.comments)
            writeComment(root, comment, version);
        for (const ViewPoint& viewPoint : markup.viewPoints)
            writeViewPoint(root.append_child("Viewpoints"), viewPoint, version);
    }
    return xml::serialize(document);
}

} // namespace bcf
