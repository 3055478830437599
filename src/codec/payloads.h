// Lazy payloads: snapshot images, viewpoint files, bitmap images and document bytes fetched from
// the current archive the first time they are needed.
#pragma once

#include "codec/model.h"

#include <string>

namespace bcf {

// The entry name of a topic's payload file `fileName` in the archive the topic was loaded from:
// the folder its markup.bcf was found in, or, for a topic never loaded, the topic's GUID.
std::string payloadEntryName(const Markup& markup, const std::string& fileName);

// Reads the snapshot image into the model unless it is held already. A missing entry or empty
// name gives empty bytes. The flag is set only after a successful read, so a failure can be
// retried. Throws BcfError when the entry can't be extracted.
void fetchSnapshot(const Markup& markup, ViewPoint& viewPoint);

// Reads and parses the viewpoint file unless it is held already. A missing entry or empty name
// marks the viewpoint file missing; a file without a Guid takes the reference's. Throws BcfError
// when the entry can't be read or parsed.
void fetchVisualization(const Markup& markup, ViewPoint& viewPoint);

// Reads the image file of a viewpoint bitmap unless it is held already, as fetchSnapshot does.
void fetchBitmap(const Markup& markup, Bitmap& bitmap);

// Reads a document's bytes, stored the way of `loadedVersion`, unless they are held already.
void fetchDocument(DocumentInfo& document, BcfVersion loadedVersion);

} // namespace bcf
