// bcf.version reader and writer: a version that reads is written so that it reads the same, and the
// reader takes everything the writer wrote.
#include "codec/version.h"
#include "fuzz_support.h"

#include <utility>

using namespace bcf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto read = [](const pugi::xml_document& document) {
        BcfData model;
        readVersion(document, model);
        return std::make_pair(model.version, model.unread.empty());
    };
    fuzz::roundTrip(
        fuzz::bytesOf(data, size), read,
        [](const std::pair<BcfVersion, bool>& version) { return writeVersion(version.first); },
        [](const std::pair<BcfVersion, bool>& first, const std::pair<BcfVersion, bool>& second) {
            return first.first == second.first && second.second;
        });
    return 0;
}
