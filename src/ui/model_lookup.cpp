#include "ui/model_lookup.h"

#include "codec/payloads.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

int findTopic(const bcf::BcfData& data, const std::string& guid) {
    const std::string wanted = lowered(guid);
    for (std::size_t i = 0; i < data.markups.size(); ++i) {
        if (lowered(data.markups[i].topic.guid) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

int viewPointIndex(const bcf::Markup& markup, const std::string& guid) {
    const std::string wanted = lowered(guid);
    for (std::size_t i = 0; i < markup.viewPoints.size() && !wanted.empty(); ++i) {
        if (lowered(markup.viewPoints[i].guid) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

const bcf::DocumentInfo* referencedDocument(const bcf::BcfData& data, const bcf::Markup& markup,
                                            const bcf::DocumentReference& reference) {
    if (!reference.url.empty() || (reference.documentGuid.empty() && reference.isExternal))
        return nullptr;
    std::optional<std::string> entry;
    if (reference.documentGuid.empty())
        entry = bcf::resolveEntryPath(bcf::payloadFolder(markup), reference.referencedDocument);
    const std::string wanted = lowered(reference.documentGuid);
    for (const bcf::DocumentInfo& document : data.documents) {
        if (!wanted.empty() ? lowered(document.guid) == wanted : entry && document.filename == *entry)
            return &document;
    }
    return nullptr;
}
