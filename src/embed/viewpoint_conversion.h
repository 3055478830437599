// Conversions between the host's BcfViewpoint and the codec's viewpoint file with its snapshot.
#pragma once

#include "bcfviewpoint.h"

#include "codec/model.h"

#include <string>
#include <string_view>

// A viewpoint in the codec's terms: the content of its viewpoint file and its snapshot.
struct CodecViewpoint {
    bcf::VisualizationInfo info;
    std::string snapshotPng; // the snapshot as a PNG file; empty when the viewpoint has no image
};

// The viewpoint file `info` with the snapshot file `snapshot` (PNG or JPEG; empty or unreadable:
// no image). A file with both cameras gives its perspective one; bitmaps are not carried. A file
// without a Visibility element shows every component; a Visibility without DefaultVisibility shows
// only the exceptions, as the schema's default says.
BcfViewpoint viewpointFromCodec(const bcf::VisualizationInfo& info, std::string_view snapshot);

// The viewpoint file and PNG snapshot of `viewpoint`. An empty GUID gets a new one. The file
// always has Components with ViewSetupHints and an explicit DefaultVisibility; empty lists are left
// out; a colour that is not valid, with its components, is left out. Throws std::runtime_error when
// the image can't be encoded.
CodecViewpoint viewpointToCodec(const BcfViewpoint& viewpoint);

// A BCF colour ("RRGGBB", or "AARRGGBB" with alpha) as a QColor; invalid for any other text.
QColor colorFromBcf(std::string_view text);
// The BCF text of `color`: "RRGGBB" when it is opaque, else "AARRGGBB", upper case.
std::string colorToBcf(const QColor& color);
