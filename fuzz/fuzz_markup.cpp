// markup.bcf reader and writer, both versions: texts that are not blank survive exactly; after
// the first write (which may fill in or lower-case what a version requires) nothing changes, and
// the reader takes everything the writer wrote.
#include "codec/markup.h"
#include "fuzz_support.h"

using namespace bcf;

namespace {

// Texts that are not blank survive a write and read exactly, carriage returns and tabs included.
bool sameText(const std::string& first, const std::string& second) {
    return xml::isBlank(first) || first == second;
}

bool textsSurvive(const Markup& first, const Markup& second) {
    const Topic& a = first.topic;
    const Topic& b = second.topic;
    if (!sameText(a.title, b.title) || !sameText(a.description, b.description) ||
        !sameText(a.assignedTo, b.assignedTo) || !sameText(a.stage, b.stage) ||
        !sameText(a.priority, b.priority) || !sameText(a.creationAuthor, b.creationAuthor) ||
        !sameText(a.modifiedAuthor, b.modifiedAuthor) || first.comments.size() != second.comments.size())
        return false;
    for (std::size_t i = 0; i < first.comments.size(); ++i)
        if (!sameText(first.comments[i].comment, second.comments[i].comment) ||
            !sameText(first.comments[i].author, second.comments[i].author))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0})
        fuzz::roundTrip(
            bytes, [&](const pugi::xml_document& document) { return readMarkup(document, version); },
            [&](const Markup& markup) { return writeMarkup(markup, version); },
            [](const Markup& first, const Markup& second) {
                return textsSurvive(first, second) && second.unread.empty();
            });
    return 0;
}
