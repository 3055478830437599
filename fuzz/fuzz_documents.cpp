// documents.xml reader and writer: GUIDs and file names survive exactly.
#include "codec/documents.h"
#include "fuzz_support.h"

using namespace bcf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::roundTrip(
        fuzz::bytesOf(data, size), [](const pugi::xml_document& document) { return readDocuments(document); },
        [](const std::vector<DocumentInfo>& documents) { return writeDocuments(documents); },
        [](const std::vector<DocumentInfo>& first, const std::vector<DocumentInfo>& second) {
            return first == second;
        });
    return 0;
}
