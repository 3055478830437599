// Entries deflated before libzip writes the archive, several at a time, and handed to libzip as
// they are: libzip copies deflated data whose size and CRC it is told without deflating it again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <zip.h>

namespace bcf {

struct PackedEntry {
    const std::string* bytes = nullptr; // the uncompressed bytes, which must outlive the entry
    std::unique_ptr<char[]> packed;     // their raw deflate stream at level 9; null when not made
    std::size_t packedSize = 0;
    std::uint32_t crc = 0;
    std::size_t readPosition = 0;
};

// Deflates every entry, spreading them over the machine's cores. An entry that cannot be deflated
// (no memory) is left without its stream, for libzip to deflate as usual.
void deflateAll(std::vector<PackedEntry>& entries);

// What a libzip source function of ours answers to everything but opening, reading and closing:
// `stat` as its stat, `error` as its error, the commands it supports, and -1 for the rest.
zip_int64_t answerSourceQuery(void* data, zip_uint64_t length, zip_source_cmd_t command,
                              const zip_stat_t& stat, zip_error_t* error);

// A libzip source of the deflated entry, which must outlive it; null on failure.
zip_source_t* packedSource(zip_t* archive, PackedEntry& entry);

} // namespace bcf
