// Extensions reader and writer, both versions: every value survives, but 3.0 leaves out blank ones;
// the reader takes everything the writer wrote.
#include "codec/extensions.h"
#include "fuzz_support.h"

using namespace bcf;

namespace {

using Lists = std::vector<std::vector<std::string>>;

Lists listsOf(const BcfData& data) {
    return {data.topicTypes, data.topicStatuses, data.topicLabels, data.snippetTypes,
            data.priorities, data.users,         data.stages};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0}) {
        auto read = [&](const pugi::xml_document& document) {
            BcfData model;
            model.version = version;
            readExtensions(document, model);
            return model;
        };
        auto write = [&](const BcfData& model) { return writeExtensions(model, version); };
        fuzz::roundTrip(bytes, read, write, [&](const BcfData& first, const BcfData& second) {
            Lists expected = listsOf(first);
            if (version == BcfVersion::V3_0)
                for (auto& list : expected)
                    std::erase_if(list, [](const std::string& value) { return xml::isBlank(value); });
            return listsOf(second) == expected && second.unread.empty();
        });
    }
    return 0;
}
