// markup.bcf reader and writer, both versions: texts survive exactly, except what the 3.0
// schema cannot carry (blank optional values) and the required topic type and status.
#include "codec/markup.h"
#include "fuzz_support.h"

using namespace bcf;

namespace {

void blankToEmpty(std::string& value) {
    if (xml::isBlank(value))
        value.clear();
}

Markup expectedAfterWrite(Markup markup, BcfVersion version) {
    Topic& topic = markup.topic;
    for (Comment& comment : markup.comments)
        blankToEmpty(comment.modifiedDate);
    if (version != BcfVersion::V3_0)
        return markup;
    for (std::string* value :
         {&topic.priority, &topic.modifiedAuthor, &topic.assignedTo, &topic.stage, &topic.description})
        blankToEmpty(*value);
    for (std::string* value : {&topic.topicType, &topic.topicStatus})
        if (xml::isBlank(*value))
            *value = "Unknown";
    for (Comment& comment : markup.comments) {
        blankToEmpty(comment.comment);
        blankToEmpty(comment.modifiedAuthor);
    }
    for (ViewPoint& viewPoint : markup.viewPoints) {
        blankToEmpty(viewPoint.viewpoint);
        blankToEmpty(viewPoint.snapshot);
    }
    return markup;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0})
        fuzz::roundTrip(
            bytes, [&](const pugi::xml_document& document) { return readMarkup(document, version); },
            [&](const Markup& markup) { return writeMarkup(markup, version); },
            [&](const Markup& first, const Markup& second) {
                return second == expectedAfterWrite(first, version);
            });
    return 0;
}
