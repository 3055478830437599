// Lazy payloads: snapshot images, viewpoint files, bitmap images and document bytes fetched from
// the archive a document was loaded from (its `source`) the first time they are needed.
#pragma once

#include "codec/document.h"

#include <optional>
#include <string>

namespace bcf {

// The entry name of a topic's payload file `fileName` in the archive the topic was loaded from:
// the folder its markup.bcf was found in, or, for a topic never loaded, the topic's GUID.
std::string payloadEntryName(const Markup& markup, const std::string& fileName);

// The folder payloads of `markup` are read from, with its trailing "/" (see payloadEntryName).
std::string payloadFolder(const Markup& markup);

// The entry name a path relative to `folder` (a file name, "../x.pdf", "sub/./x") stands for;
// nothing for a URL or a path that leaves the archive.
std::optional<std::string> resolveEntryPath(const std::string& folder, const std::string& relative);

// Reads the file of an internal BIM snippet into the model unless it is held already; a missing
// entry gives empty bytes. Does nothing for an external snippet or a topic without one.
void fetchBimSnippet(const ZipArchive& source, Markup& markup);

// Reads an archive file no BCF file names, unless it is held already. `folder` is the topic
// folder it was found in, or empty for a file outside the topic folders.
void fetchOtherFile(const ZipArchive& source, OtherFile& file, const std::string& folder);

// Reads the snapshot image into the model unless it is held already. A missing entry or empty
// name gives empty bytes. The flag is set only after a successful read, so a failure can be
// retried. Throws BcfError when the entry can't be extracted.
void fetchSnapshot(const ZipArchive& source, const Markup& markup, ViewPoint& viewPoint);

// The size of the snapshot image: of the bytes the model holds, or else of its entry, extracted
// and checked as fetchSnapshot does but not kept (0 for a missing entry or an empty name).
// Throws BcfError when the entry can't be extracted.
std::uint64_t snapshotSize(const ZipArchive& source, const Markup& markup, const ViewPoint& viewPoint);

// Reads and parses the viewpoint file unless it is held already. A missing entry or empty name
// marks the viewpoint file missing; a file without a Guid takes the reference's; the topic's other
// files that its bitmaps name become their payloads. Throws BcfError
// when the entry can't be read or parsed.
void fetchVisualization(const ZipArchive& source, Markup& markup, ViewPoint& viewPoint);

// Reads the image file of a viewpoint bitmap unless it is held already, as fetchSnapshot does.
void fetchBitmap(const ZipArchive& source, const Markup& markup, Bitmap& bitmap);

// Fetches every payload of the document's model not held yet (snapshots, viewpoint files, BIM
// snippets, documents and the other files) from its archive, as a save would.
void fetchPayloads(BcfDocument& document);

// Reads a document's bytes, stored the way of `loadedVersion`, unless they are held already.
void fetchDocument(const ZipArchive& source, DocumentInfo& document, BcfVersion loadedVersion);

} // namespace bcf
