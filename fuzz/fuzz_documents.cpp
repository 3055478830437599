// documents.xml reader and writer: every document and its file name survive.
#include "codec/documents.h"
#include "fuzz_support.h"

using namespace bcf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::roundTrip(
        fuzz::bytesOf(data, size), [](const pugi::xml_document& document) { return readDocuments(document); },
        [](const std::vector<DocumentInfo>& documents) { return writeDocuments(documents); },
        [](const std::vector<DocumentInfo>& first, const std::vector<DocumentInfo>& second) {
            if (first.size() != second.size())
                return false;
            for (std::size_t i = 0; i < first.size(); ++i)
                if (first[i].filename != second[i].filename && !xml::isBlank(first[i].filename))
                    return false;
            return true;
        });
    return 0;
}
