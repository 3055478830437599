// project.bcfp reader and writer, both versions; a 2.1 extension schema name comes back as the
// entry name a save would use for it, a blank 3.0 project id as a generated one; the reader takes
// everything the writer wrote.
#include "codec/project.h"
#include "fuzz_support.h"

using namespace bcf;

namespace {

struct Project {
    std::string projectId, name, extensionSchema;
    std::vector<UnreadContent> unread;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0}) {
        auto read = [&](const pugi::xml_document& document) {
            BcfData model;
            model.version = version;
            readProject(document, model);
            return Project{model.projectId, model.name, model.extensionSchema, model.unread};
        };
        auto write = [&](const Project& project) {
            BcfData model;
            model.projectId = project.projectId;
            model.name = project.name;
            model.extensionSchema = project.extensionSchema;
            return writeProject(model, version);
        };
        fuzz::roundTrip(bytes, read, write, [&](const Project& first, const Project& second) {
            BcfData model;
            model.extensionSchema = first.extensionSchema;
            const bool v3 = version == BcfVersion::V3_0;
            // 3.0 requires a project id: a blank one is generated.
            return (second.projectId == first.projectId || (v3 && xml::isBlank(first.projectId))) &&
                   second.name == (v3 && xml::isBlank(first.name) ? std::string() : first.name) &&
                   (v3 || second.extensionSchema == extensionsEntryName(model, version)) &&
                   second.unread.empty();
        });
    }
    return 0;
}
