#include "codec/version.h"

#include "codec/bcf_error.h"
#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"

#include <stdexcept>

namespace bcf {

namespace {
const char* const kVersionTexts[] = {"2.0", "2.1", "3.0"};
}

const char* versionText(int versionIndex) {
    if (!(versionIndex >= 0))
        throw std::out_of_range("versionIndex >= 0");
    if (!(versionIndex <= 2))
        throw std::out_of_range("versionIndex <= 2");
    return kVersionTexts[versionIndex];
}

void readVersion(const pugi::xml_document& document, BcfData& data) {
    const std::string text = xml::attribute(document.child("Version"), "VersionId");
    data.detailedVersion = xml::childText(document.child("Version"), "DetailedVersion");
    for (int index = 0; index <= 2; ++index) {
        if (text == kVersionTexts[index]) {
            data.version = static_cast<BcfVersion>(index);
            if (data.version == BcfVersion::V2_0)
                throw BcfError("unsupported BCF version 2.0", "bcf.version",
                               "only BCF 2.1 and 3.0 archives can be read");
            xml::findUnread(document, xml::FileKind::Version, data.version, data.unread);
            return;
        }
    }
    throw BcfError("unrecognised BCF version \"" + text + "\"", "bcf.version",
                   "only BCF 2.1 and 3.0 archives can be read");
}

void requireWritableVersion(BcfVersion version) {
    if (version != BcfVersion::V2_1 && version != BcfVersion::V3_0)
        throw BcfError("write error", {},
                       std::string("BCF ") + versionText(static_cast<int>(version)) + " cannot be written");
}

std::string writeVersion(BcfVersion version, const std::string& detailedVersion) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Version");
    xml::appendNamespaces(root);
    root.append_attribute("VersionId").set_value(versionText(version));
    // The 3.0 schema gives Version no children; 2.1 has an optional DetailedVersion.
    if (version != BcfVersion::V3_0 && !detailedVersion.empty())
        xml::appendText(root, "DetailedVersion", detailedVersion);
    return xml::serialize(document);
}

} // namespace bcf
