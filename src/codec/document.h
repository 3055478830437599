// A loaded BCF archive: the model together with the archive its lazy payloads are read from.
#pragma once

#include "codec/model.h"
#include "codec/zip/zip_archive.h"

#include <memory>

namespace bcf {

// What loading gives and saving takes. Each document owns its source archive, so any number of
// archives can be open at once; copies of a document share the (read-only) archive.
struct BcfDocument {
    BcfData data;
    // The archive the payloads not yet held in `data` come from; an empty archive for a model
    // that was never loaded. Never null.
    std::shared_ptr<const ZipArchive> archive = std::make_shared<const ZipArchive>();
};

} // namespace bcf
