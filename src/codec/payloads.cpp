#include "codec/payloads.h"

#include "codec/documents.h"
#include "codec/visinfo.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <tuple>

namespace bcf {

std::string payloadEntryName(const Markup& markup, const std::string& fileName) {
    if (markup.sourceFolder)
        return *markup.sourceFolder + fileName;
    return markup.topic.guid + "/" + fileName;
}

std::string payloadFolder(const Markup& markup) {
    return payloadEntryName(markup, {});
}

std::optional<std::string> resolveEntryPath(const std::string& folder, const std::string& relative) {
    if (relative.empty() || relative.find("://") != std::string::npos || relative.front() == '/')
        return std::nullopt;
    std::vector<std::string> parts;
    const std::string path = folder + relative;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty())
        return std::nullopt;
    std::string name;
    for (const std::string& part : parts)
        name += (name.empty() ? "" : "/") + part;
    return name;
}

void fetchBimSnippet(const ZipArchive& source, Markup& markup) {
    if (!markup.topic.bimSnippet)
        return;
    BimSnippet& snippet = *markup.topic.bimSnippet;
    if (snippet.dataLoaded)
        return;
    SharedBytes bytes;
    if (!snippet.isExternal) {
        // Tried as it stands first: a folder separated by a backslash is no path to resolve.
        const std::string direct = payloadEntryName(markup, snippet.reference);
        const auto entry = source.contains(direct)
                               ? std::optional<std::string>(direct)
                               : resolveEntryPath(payloadFolder(markup), snippet.reference);
        if (entry)
            bytes = source.readShared(*entry);
    }
    snippet.data = std::move(bytes);
    snippet.dataLoaded = 1;
}

void fetchOtherFile(const ZipArchive& source, OtherFile& file, const std::string& folder) {
    if (file.dataLoaded)
        return;
    file.data = source.readShared(folder + file.name);
    file.dataLoaded = 1;
}

void fetchSnapshot(const ZipArchive& source, const Markup& markup, ViewPoint& viewPoint) {
    if (viewPoint.snapshotLoaded)
        return;
    // Viewpoints that name one image share its bytes.
    SharedBytes bytes;
    if (!viewPoint.snapshot.empty())
        bytes = source.readShared(payloadEntryName(markup, viewPoint.snapshot));
    viewPoint.snapshotData = std::move(bytes);
    viewPoint.snapshotLoaded = 1;
}

std::uint64_t snapshotSize(const ZipArchive& source, const Markup& markup, const ViewPoint& viewPoint) {
    if (viewPoint.snapshotLoaded)
        return viewPoint.snapshotData.size();
    if (viewPoint.snapshot.empty())
        return 0;
    return source.check(payloadEntryName(markup, viewPoint.snapshot)).value_or(0);
}

void fetchVisualization(const ZipArchive& source, Markup& markup, ViewPoint& viewPoint) {
    if (viewPoint.visualizationLoaded)
        return;
    const std::string entryName = payloadEntryName(markup, viewPoint.viewpoint);
    if (viewPoint.viewpoint.empty() || !source.contains(entryName)) {
        viewPoint.visualizationMissing = true;
    } else {
        const xml::ParseBudgetScope budget(source.budget());
        viewPoint.visualizationInfo = loadVisualizationInfo(source, entryName);
        viewPoint.visualizationMissing = false;
        if (viewPoint.visualizationInfo.guid.empty())
            viewPoint.visualizationInfo.guid = viewPoint.guid;
        // A bitmap's image, kept as an other file of the topic until its viewpoint was read, is
        // the bitmap's payload from now on.
        if (auto& bitmaps = viewPoint.visualizationInfo.bitmaps)
            for (Bitmap& bitmap : *bitmaps)
                std::erase_if(markup.otherFiles, [&](OtherFile& file) {
                    if (file.name != bitmap.reference)
                        return false;
                    std::tie(bitmap.dataLoaded, bitmap.data) =
                        std::pair(file.dataLoaded, std::move(file.data));
                    return true;
                });
    }
    viewPoint.visualizationLoaded = 1;
}

void fetchBitmap(const ZipArchive& source, const Markup& markup, Bitmap& bitmap) {
    if (bitmap.dataLoaded)
        return;
    std::string bytes;
    if (!bitmap.reference.empty())
        bytes = source.read(payloadEntryName(markup, bitmap.reference)).value_or(std::string());
    bitmap.data = std::move(bytes);
    bitmap.dataLoaded = 1;
}

void fetchPayloads(BcfDocument& document) {
    const ZipArchive& source = *document.archive;
    BcfData& data = document.data;
    for (Markup& markup : data.markups) {
        for (ViewPoint& viewPoint : markup.viewPoints) {
            fetchVisualization(source, markup, viewPoint);
            if (auto& bitmaps = viewPoint.visualizationInfo.bitmaps)
                for (Bitmap& bitmap : *bitmaps)
                    fetchBitmap(source, markup, bitmap);
            fetchSnapshot(source, markup, viewPoint);
        }
        fetchBimSnippet(source, markup);
        const std::string folder = payloadFolder(markup);
        for (OtherFile& file : markup.otherFiles)
            fetchOtherFile(source, file, folder);
    }
    for (DocumentInfo& info : data.documents)
        fetchDocument(source, info, data.version);
    for (OtherFile& file : data.otherFiles)
        fetchOtherFile(source, file, {});
}

void fetchDocument(const ZipArchive& source, DocumentInfo& document, BcfVersion loadedVersion) {
    if (document.dataLoaded)
        return;
    SharedBytes bytes;
    if (loadedVersion == BcfVersion::V2_1 || loadedVersion == BcfVersion::V3_0)
        bytes = source.readShared(documentEntryName(document, loadedVersion));
    document.data = std::move(bytes);
    document.dataLoaded = 1;
}

} // namespace bcf
