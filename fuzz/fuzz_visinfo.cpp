// Viewpoint file reader and writer, both versions. The writers adjust cameras to what each
// version allows, so the first write may change numbers (and 3.0 lower-cases the Guid); after
// it, nothing may change, and the reader takes everything the writer wrote.
#include "codec/guid.h"
#include "codec/visinfo.h"
#include "fuzz_support.h"

using namespace bcf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0})
        fuzz::roundTrip(
            bytes, [](const pugi::xml_document& document) { return readVisualizationInfo(document); },
            [&](const VisualizationInfo& info) { return writeVisualizationInfo(info, version); },
            [&](const VisualizationInfo& first, const VisualizationInfo& second) {
                // 3.0 files carry GUIDs in lower case.
                return normalizedGuid(first.guid, version) == second.guid &&
                       first.selection.size() == second.selection.size() && second.unread.empty();
            });
    return 0;
}
