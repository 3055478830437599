#include "model_json.h"

#include "codec/payloads.h"
#include "codec/version.h"
#include "json_writer.h"

namespace bcf::cli {

namespace {

void writeVector(JsonWriter& json, const char* name, const Vector3& v) {
    json.key(name).beginArray();
    json.value(v.x);
    json.value(v.y);
    json.value(v.z);
    json.endArray();
}

void writeVisualization(JsonWriter& json, const VisualizationInfo& info) {
    json.beginObject();
    json.key("guid").value(info.guid);
    json.key("selection").beginArray();
    for (const Component& component : info.selection) {
        json.beginObject();
        json.key("ifcGuid").value(component.ifcGuid);
        json.key("originatingSystem").value(component.originatingSystem);
        json.key("authoringToolId").value(component.authoringToolId);
        json.endObject();
    }
    json.endArray();
    writeVector(json, "cameraViewPoint", info.cameraViewPoint);
    writeVector(json, "cameraDirection", info.cameraDirection);
    writeVector(json, "cameraUpVector", info.cameraUpVector);
    json.key("fieldOfView").value(info.fieldOfView);
    json.key("aspectRatio").value(info.aspectRatio);
    json.key("orthogonalCamera");
    if (const auto& o = info.orthogonalCamera) {
        json.beginObject();
        writeVector(json, "cameraViewPoint", o->cameraViewPoint);
        writeVector(json, "cameraDirection", o->cameraDirection);
        writeVector(json, "cameraUpVector", o->cameraUpVector);
        json.key("viewToWorldScale").value(o->viewToWorldScale);
        json.key("aspectRatio").value(o->aspectRatio);
        json.endObject();
    } else {
        json.null();
    }
    json.endObject();
}

void writeFiles(JsonWriter& json, const std::vector<OtherFile>& files) {
    json.beginArray();
    for (const OtherFile& file : files) {
        json.beginObject();
        json.key("name").value(file.name);
        json.key("dataSize").value(static_cast<std::uint64_t>(file.data.size()));
        json.endObject();
    }
    json.endArray();
}

void writeHeader(JsonWriter& json, const std::optional<Header>& header) {
    if (!header) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("files").beginArray();
    for (const File& file : header->files) {
        json.beginObject();
        json.key("ifcProject").value(file.ifcProject);
        json.key("ifcSpatialStructureElement").value(file.ifcSpatialStructureElement);
        json.key("isExternal").boolean(file.isExternal);
        json.key("filename").value(file.filename);
        json.key("date").value(file.date);
        json.key("reference").value(file.reference);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void writeBimSnippet(JsonWriter& json, const std::optional<BimSnippet>& snippet) {
    if (!snippet) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("snippetType").value(snippet->snippetType);
    json.key("isExternal").boolean(snippet->isExternal);
    json.key("reference").value(snippet->reference);
    json.key("referenceSchema").value(snippet->referenceSchema);
    json.key("dataSize").value(static_cast<std::uint64_t>(snippet->data.size()));
    json.endObject();
}

void writeTopic(JsonWriter& json, const Topic& topic) {
    json.beginObject();
    json.key("guid").value(topic.guid);
    json.key("topicType").value(topic.topicType);
    json.key("topicStatus").value(topic.topicStatus);
    json.key("title").value(topic.title);
    json.key("priority").value(topic.priority);
    json.key("creationDate").value(topic.creationDate);
    json.key("creationAuthor").value(topic.creationAuthor);
    json.key("modifiedDate").value(topic.modifiedDate);
    json.key("modifiedAuthor").value(topic.modifiedAuthor);
    json.key("dueDate").value(topic.dueDate);
    json.key("assignedTo").value(topic.assignedTo);
    json.key("stage").value(topic.stage);
    json.key("description").value(topic.description);
    json.key("serverAssignedId").value(topic.serverAssignedId);
    json.key("referenceLinks").stringArray(topic.referenceLinks);
    json.key("index").integer(topic.index);
    json.key("labels").stringArray(topic.labels);
    json.key("bimSnippet");
    writeBimSnippet(json, topic.bimSnippet);
    json.key("documentReferences").beginArray();
    for (const DocumentReference& reference : topic.documentReferences) {
        json.beginObject();
        json.key("guid").value(reference.guid);
        json.key("isExternal").boolean(reference.isExternal);
        json.key("referencedDocument").value(reference.referencedDocument);
        json.key("documentGuid").value(reference.documentGuid);
        json.key("url").value(reference.url);
        json.key("description").value(reference.description);
        json.endObject();
    }
    json.endArray();
    json.key("relatedTopics").beginArray();
    for (const RelatedTopic& related : topic.relatedTopics) {
        json.beginObject();
        json.key("guid").value(related.guid);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void writeMarkup(JsonWriter& json, Markup& markup) {
    fetchBimSnippet(markup);
    for (OtherFile& file : markup.otherFiles)
        fetchOtherFile(file, payloadFolder(markup));
    json.beginObject();
    json.key("header");
    writeHeader(json, markup.header);
    json.key("topic");
    writeTopic(json, markup.topic);
    json.key("comments").beginArray();
    for (const Comment& comment : markup.comments) {
        json.beginObject();
        json.key("guid").value(comment.guid);
        json.key("date").value(comment.date);
        json.key("author").value(comment.author);
        json.key("comment").value(comment.comment);
        json.key("modifiedDate").value(comment.modifiedDate);
        json.key("modifiedAuthor").value(comment.modifiedAuthor);
        json.key("viewpoint").value(comment.viewpoint);
        json.endObject();
    }
    json.endArray();
    json.key("viewPoints").beginArray();
    for (ViewPoint& viewPoint : markup.viewPoints) {
        fetchVisualization(markup, viewPoint);
        fetchSnapshot(markup, viewPoint);
        json.beginObject();
        json.key("guid").value(viewPoint.guid);
        json.key("viewpoint").value(viewPoint.viewpoint);
        json.key("snapshot").value(viewPoint.snapshot);
        json.key("index").integer(viewPoint.index);
        json.key("visualizationInfo");
        if (viewPoint.visualizationMissing)
            json.null();
        else
            writeVisualization(json, viewPoint.visualizationInfo);
        json.key("snapshotSize").value(static_cast<std::uint64_t>(viewPoint.snapshotData.size()));
        json.endObject();
    }
    json.endArray();
    json.key("otherFiles");
    writeFiles(json, markup.otherFiles);
    json.endObject();
}

} // namespace

void writeModelJson(std::ostream& out, BcfData& data) {
    JsonWriter json(out);
    json.beginObject();
    json.key("version").value(std::string(versionText(data.version)));
    json.key("detailedVersion").value(data.detailedVersion);
    json.key("projectId").value(data.projectId);
    json.key("name").value(data.name);
    json.key("extensionSchema").value(data.extensionSchema);
    json.key("topicTypes").stringArray(data.topicTypes);
    json.key("topicStatuses").stringArray(data.topicStatuses);
    json.key("topicLabels").stringArray(data.topicLabels);
    json.key("snippetTypes").stringArray(data.snippetTypes);
    json.key("priorities").stringArray(data.priorities);
    json.key("users").stringArray(data.users);
    json.key("stages").stringArray(data.stages);
    json.key("documents").beginArray();
    for (const DocumentInfo& document : data.documents) {
        json.beginObject();
        json.key("guid").value(document.guid);
        json.key("filename").value(document.filename);
        json.key("description").value(document.description);
        json.endObject();
    }
    json.endArray();
    for (OtherFile& file : data.otherFiles)
        fetchOtherFile(file, {});
    json.key("otherFiles");
    writeFiles(json, data.otherFiles);
    json.key("markups").beginArray();
    for (Markup& markup : data.markups)
        writeMarkup(json, markup);
    json.endArray();
    json.endObject();
}

} // namespace bcf::cli
