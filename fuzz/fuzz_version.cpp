// bcf.version reader and writer: a version that reads is written so that it reads the same.
#include "codec/version.h"
#include "fuzz_support.h"

using namespace bcf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto read = [](const pugi::xml_document& document) {
        BcfData model;
        readVersion(document, model);
        return model.version;
    };
    fuzz::roundTrip(
        fuzz::bytesOf(data, size), read, [](BcfVersion version) { return writeVersion(version); },
        [](BcfVersion first, BcfVersion second) { return first == second; });
    return 0;
}
