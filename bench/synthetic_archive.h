// A large, deterministic BCF model for benchmarking: topics with comments, one viewpoint each and a
// snapshot image that does not compress.
#pragma once

#include "codec/model.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace bcfbench {

// A valid RGB PNG of at least `minBytes` of pixel data drawn from `seed`. The IDAT zlib stream
// holds the scanlines in stored (uncompressed) deflate blocks, so the file is as large as its
// random pixels and no ZIP compressor can shrink it.
std::string makeIncompressiblePng(std::uint64_t seed, std::size_t minBytes);

// A model of `topics` topics, each with three comments and one viewpoint reference whose
// viewpoint file (a few components, a perspective camera) and snapshot image are held in memory
// with their flags set, so that saveArchive writes them without a source archive.
bcf::BcfData makeSyntheticModel(int topics, std::size_t snapshotBytes);

// A model of one topic whose one viewpoint selects `components` components, each with an IFC GUID,
// an originating system and an authoring tool id, as a whole-model export names them.
bcf::BcfData makeComponentsModel(std::size_t components);

} // namespace bcfbench
