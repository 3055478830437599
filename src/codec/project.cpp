#include "codec/project.h"

#include "codec/entry_names.h"
#include "codec/guid.h"
#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"

namespace bcf {

void readProject(const pugi::xml_document& document, BcfData& data) {
    const char* rootName = data.version == BcfVersion::V3_0 ? "ProjectInfo" : "ProjectExtension";
    const pugi::xml_node root = document.child(rootName);
    const pugi::xml_node project = root.child("Project");
    data.projectId = xml::attribute(project, "ProjectId");
    data.name = xml::childText(project, "Name");
    if (data.version == BcfVersion::V2_1)
        data.extensionSchema = xml::childText(root, "ExtensionSchema");
    xml::findUnread(document, xml::FileKind::Project, data.version, data.unread);
}

std::string extensionsEntryName(const BcfData& data, BcfVersion version) {
    // A 3.0 reader looks for "extensions.xml" only; a 2.1 project names its own root entry,
    // unless it names none or points outside the archive (a URL).
    if (version == BcfVersion::V3_0)
        return "extensions.xml";
    // A model read from 3.0 holds that version's name, which is no schema's. Nor may the name
    // be one a reader takes for another file of the archive.
    const std::string name = data.version == BcfVersion::V3_0 ? std::string() : data.extensionSchema;
    if (!isPlainFileName(name) || name.find(':') != std::string::npos || name == "bcf.version" ||
        name == "project.bcfp")
        return "extensions.xsd";
    return name;
}

bool hasProjectFile(const BcfData& data, BcfVersion version) {
    return !xml::isV3(version) || !xml::isBlank(data.projectId) || !xml::isBlank(data.name);
}

std::string writeProject(const BcfData& data, BcfVersion version, SaveNotes* notes) {
    const bool v3 = xml::isV3(version);
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(v3 ? "ProjectInfo" : "ProjectExtension");
    xml::appendNamespaces(root);
    // 2.1 makes Project optional; 3.0 requires it, with a non-empty ProjectId.
    if (v3 || !data.projectId.empty() || !data.name.empty()) {
        pugi::xml_node project = root.append_child("Project");
        std::string projectId = data.projectId;
        if (v3 && xml::isBlank(projectId)) {
            projectId = generateGuid();
            if (notes)
                notes->add("project ids generated (BCF 3.0 requires one)");
        }
        project.append_attribute("ProjectId").set_value(projectId.c_str());
        xml::appendOptional(project, "Name", data.name, version);
    }
    if (!v3)
        xml::appendText(root, "ExtensionSchema", extensionsEntryName(data, version));
    return xml::serialize(document);
}

} // namespace bcf
