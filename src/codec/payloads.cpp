#include "codec/payloads.h"

#include "codec/documents.h"
#include "codec/visinfo.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

namespace bcf {

std::string payloadEntryName(const Markup& markup, const std::string& fileName) {
    if (markup.sourceFolder)
        return *markup.sourceFolder + fileName;
    return markup.topic.guid + "/" + fileName;
}

void fetchSnapshot(const Markup& markup, ViewPoint& viewPoint) {
    if (viewPoint.snapshotLoaded)
        return;
    // Viewpoints that name one image share its bytes.
    SharedBytes bytes;
    if (!viewPoint.snapshot.empty())
        bytes = currentArchive().readShared(payloadEntryName(markup, viewPoint.snapshot));
    viewPoint.snapshotData = std::move(bytes);
    viewPoint.snapshotLoaded = 1;
}

void fetchVisualization(const Markup& markup, ViewPoint& viewPoint) {
    if (viewPoint.visualizationLoaded)
        return;
    const std::string entryName = payloadEntryName(markup, viewPoint.viewpoint);
    if (viewPoint.viewpoint.empty() || !currentArchive().contains(entryName)) {
        viewPoint.visualizationMissing = true;
    } else {
        const xml::ParseBudgetScope budget(currentArchive().budget());
        viewPoint.visualizationInfo = loadVisualizationInfo(entryName);
        viewPoint.visualizationMissing = false;
    }
    viewPoint.visualizationLoaded = 1;
}

void fetchDocument(DocumentInfo& document, BcfVersion loadedVersion) {
    if (document.dataLoaded)
        return;
    SharedBytes bytes;
    if (loadedVersion == BcfVersion::V2_1 || loadedVersion == BcfVersion::V3_0)
        bytes = currentArchive().readShared(documentEntryName(document, loadedVersion));
    document.data = std::move(bytes);
    document.dataLoaded = 1;
}

} // namespace bcf
