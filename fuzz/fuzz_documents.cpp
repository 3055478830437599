// documents.xml reader and writer: every document and its file name survive, and the reader takes
// everything the writer wrote.
#include "codec/documents.h"
#include "codec/unread_content_p.h"
#include "fuzz_support.h"

using namespace bcf;

namespace {

struct Documents {
    std::vector<DocumentInfo> list;
    std::vector<UnreadContent> unread;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::roundTrip(
        fuzz::bytesOf(data, size),
        [](const pugi::xml_document& document) {
            Documents documents{readDocuments(document), {}};
            xml::findUnread(document, xml::FileKind::Documents, BcfVersion::V3_0, documents.unread);
            return documents;
        },
        [](const Documents& documents) { return writeDocuments(documents.list); },
        [](const Documents& first, const Documents& second) {
            if (first.list.size() != second.list.size() || !second.unread.empty())
                return false;
            for (std::size_t i = 0; i < first.list.size(); ++i)
                if (first.list[i].filename != second.list[i].filename &&
                    !xml::isBlank(first.list[i].filename))
                    return false;
            return true;
        });
    return 0;
}
