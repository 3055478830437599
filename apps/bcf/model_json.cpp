#include "model_json.h"

#include "codec/bcf_error.h"
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

void writeComponents(JsonWriter& json, const char* name, const std::vector<Component>& components) {
    json.key(name).beginArray();
    for (const Component& component : components) {
        json.beginObject();
        json.key("ifcGuid").value(component.ifcGuid);
        json.key("originatingSystem").value(component.originatingSystem);
        json.key("authoringToolId").value(component.authoringToolId);
        json.endObject();
    }
    json.endArray();
}

void writeComponentsElement(JsonWriter& json, const Components& c) {
    json.key("components").beginObject();
    json.key("present").boolean(c.present);
    json.key("selectionPresent").boolean(c.selectionPresent);
    json.key("viewSetupHints");
    if (const auto& hints = c.viewSetupHints) {
        json.beginObject();
        json.key("spacesVisible").boolean(hints->spacesVisible);
        json.key("spaceBoundariesVisible").boolean(hints->spaceBoundariesVisible);
        json.key("openingsVisible").boolean(hints->openingsVisible);
        json.endObject();
    } else {
        json.null();
    }
    json.key("visibility");
    if (const auto& visibility = c.visibility) {
        json.beginObject();
        json.key("defaultVisibility").boolean(visibility->defaultVisibility);
        if (visibility->exceptions)
            writeComponents(json, "exceptions", *visibility->exceptions);
        else
            json.key("exceptions").null();
        json.endObject();
    } else {
        json.null();
    }
    json.key("coloring");
    if (c.coloring) {
        json.beginArray();
        for (const Color& color : *c.coloring) {
            json.beginObject();
            json.key("color").value(color.color);
            writeComponents(json, "components", color.components);
            json.endObject();
        }
        json.endArray();
    } else {
        json.null();
    }
    json.endObject();
}

// A list that the file may lack (null) or hold empty.
template <typename T, typename WriteItem>
void writeOptionalList(JsonWriter& json, const char* name, const std::optional<std::vector<T>>& list,
                       WriteItem writeItem) {
    json.key(name);
    if (!list) {
        json.null();
        return;
    }
    json.beginArray();
    for (const T& item : *list) {
        json.beginObject();
        writeItem(item);
        json.endObject();
    }
    json.endArray();
}

void writeVisualization(JsonWriter& json, const VisualizationInfo& info) {
    json.beginObject();
    json.key("guid").value(info.guid);
    writeComponents(json, "selection", info.selection);
    writeComponentsElement(json, info.components);
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
    writeOptionalList(json, "lines", info.lines, [&](const Line& line) {
        writeVector(json, "startPoint", line.startPoint);
        writeVector(json, "endPoint", line.endPoint);
    });
    writeOptionalList(json, "clippingPlanes", info.clippingPlanes, [&](const ClippingPlane& plane) {
        writeVector(json, "location", plane.location);
        writeVector(json, "direction", plane.direction);
    });
    writeOptionalList(json, "bitmaps", info.bitmaps, [&](const Bitmap& bitmap) {
        json.key("format").value(bitmap.format);
        json.key("reference").value(bitmap.reference);
        writeVector(json, "location", bitmap.location);
        writeVector(json, "normal", bitmap.normal);
        writeVector(json, "up", bitmap.up);
        json.key("height").value(bitmap.height);
        json.key("dataSize").value(static_cast<std::uint64_t>(bitmap.data.size()));
    });
    json.endObject();
}

// Runs `fetch`; a payload that can't be read is reported in its place instead of failing the
// whole listing. Returns the error text, empty on success.
template <typename Fetch> std::string fetchError(Fetch fetch) {
    try {
        fetch();
        return {};
    } catch (const BcfError& error) {
        return error.what();
    }
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

// Fetches the other files, listing those that can't be read.
std::vector<std::string> fetchOtherFiles(const ZipArchive& source, std::vector<OtherFile>& files,
                                         const std::string& folder) {
    std::vector<std::string> errors;
    for (OtherFile& file : files)
        if (std::string error = fetchError([&] { fetchOtherFile(source, file, folder); }); !error.empty())
            errors.push_back(file.name + ": " + error);
    return errors;
}

void writeMarkup(JsonWriter& json, const ZipArchive& source, Markup& markup) {
    const std::string snippetError = fetchError([&] { fetchBimSnippet(source, markup); });
    const std::vector<std::string> otherFileErrors =
        fetchOtherFiles(source, markup.otherFiles, payloadFolder(markup));
    json.beginObject();
    if (!snippetError.empty())
        json.key("bimSnippetError").value(snippetError);
    if (!otherFileErrors.empty())
        json.key("otherFileErrors").stringArray(otherFileErrors);
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
        const std::string visualizationError =
            fetchError([&] { fetchVisualization(source, markup, viewPoint); });
        // The snapshot is checked and measured, not kept: the listing shows its size only.
        std::uint64_t snapshotBytes = 0;
        const std::string snapshotError =
            fetchError([&] { snapshotBytes = snapshotSize(source, markup, viewPoint); });
        std::vector<std::string> bitmapErrors;
        if (visualizationError.empty() && viewPoint.visualizationInfo.bitmaps)
            for (Bitmap& bitmap : *viewPoint.visualizationInfo.bitmaps)
                if (std::string error = fetchError([&] { fetchBitmap(source, markup, bitmap); });
                    !error.empty())
                    bitmapErrors.push_back(bitmap.reference + ": " + error);
        json.beginObject();
        json.key("guid").value(viewPoint.guid);
        json.key("viewpoint").value(viewPoint.viewpoint);
        json.key("snapshot").value(viewPoint.snapshot);
        json.key("index").integer(viewPoint.index);
        json.key("visualizationInfo");
        if (viewPoint.visualizationMissing || !visualizationError.empty())
            json.null();
        else
            writeVisualization(json, viewPoint.visualizationInfo);
        json.key("snapshotSize").value(snapshotBytes);
        // Damaged payloads, each reported in place of its content.
        if (!visualizationError.empty())
            json.key("visualizationError").value(visualizationError);
        if (!snapshotError.empty())
            json.key("snapshotError").value(snapshotError);
        if (!bitmapErrors.empty())
            json.key("bitmapErrors").stringArray(bitmapErrors);
        json.endObject();
    }
    json.endArray();
    json.key("otherFiles");
    writeFiles(json, markup.otherFiles);
    json.endObject();
}

} // namespace

void writeModelJson(std::ostream& out, BcfDocument& loaded) {
    BcfData& data = loaded.data;
    const ZipArchive& source = *loaded.archive;
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
    if (const std::vector<std::string> errors = fetchOtherFiles(source, data.otherFiles, {}); !errors.empty())
        json.key("otherFileErrors").stringArray(errors);
    json.key("otherFiles");
    writeFiles(json, data.otherFiles);
    json.key("markups").beginArray();
    for (Markup& markup : data.markups)
        writeMarkup(json, source, markup);
    json.endArray();
    json.endObject();
}

} // namespace bcf::cli
