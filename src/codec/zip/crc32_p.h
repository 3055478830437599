// The CRC-32 of ZIP entries (the polynomial of zlib's crc32), computed with carry-less
// multiplication where the processor has it: checking every entry of a large archive otherwise
// costs as much as inflating it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bcf {

// The CRC-32 of `size` bytes at `data`, continued from `crc` (0 to start), as zlib's crc32_z.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

} // namespace bcf
