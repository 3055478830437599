#include "codec/project.h"

#include "codec/entry_names.h"
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
}

std::string extensionsEntryName(const BcfData& data, BcfVersion version) {
    // A 3.0 reader looks for "extensions.xml" only; a 2.1 project names its own root entry,
    // unless it names none or points outside the archive (a URL).
    if (version == BcfVersion::V3_0)
        return "extensions.xml";
    const std::string& name = data.extensionSchema;
    // Nor may the name be one a reader takes for another file of the archive.
    if (!isPlainFileName(name) || name.find(':') != std::string::npos || name == "bcf.version" ||
        name == "project.bcfp")
        return "extensions.xsd";
    return name;
}

std::string writeProject(const BcfData& data, BcfVersion version) {
    const bool v3 = xml::isV3(version);
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(v3 ? "ProjectInfo" : "ProjectExtension");
    xml::appendNamespaces(root);
    pugi::xml_node project = root.append_child("Project");
    project.append_attribute("ProjectId").set_value(data.projectId.c_str());
    if (v3)
        xml::appendTextIfSet(project, "Name", data.name);
    else
        xml::appendText(project, "Name", data.name);
    if (!v3)
        xml::appendText(root, "ExtensionSchema", extensionsEntryName(data, version));
    return xml::serialize(document);
}

} // namespace bcf
