// Extraction straight from a ZIP file held in memory. libzip passes every byte of an entry through
// buffers of its own before handing it over; for the common entries (stored, or deflated, with
// nothing unusual about them) this inflates from the file's bytes into the destination, or only
// checks the entry without keeping its bytes. Anything else is left to libzip, which also gives
// every error its message: a damaged entry is simply not taken here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace bcf {

// One record of the central directory, as far as extraction needs it.
struct DirectEntry {
    std::string_view name; // as stored, within the file's bytes
    std::uint64_t localHeader = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc32 = 0;
    std::uint16_t method = 0;
};

// Where the end record of a classic ZIP file puts its central directory.
struct DirectoryPlace {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t count = 0;
};

// The central directory's place from the end of a ZIP file (`tail`, its last bytes, starting at
// `tailOffset` of the file: at least the last 64 KiB + 22 bytes, or the whole file); nothing when
// it is not a classic one (ZIP64, split archives) or does not fit before the end record.
std::optional<DirectoryPlace> findCentralDirectory(std::string_view tail, std::uint64_t tailOffset);

// The `count` records of the central directory `records`, whose names view into it; empty when
// they do not fit or name what this path does not read (ZIP64 sizes, encryption, other disks).
std::vector<DirectEntry> parseCentralDirectory(std::string_view records, std::uint32_t count);

// The central directory of the ZIP file in `file`, in its order; empty when it is not a classic
// one (ZIP64, split archives) or does not fit in the file.
std::vector<DirectEntry> readCentralDirectory(std::string_view file);

// The fixed part of a local header, which is read first.
inline constexpr std::size_t kLocalHeader = 30;

// The bytes of `entry`'s local record (header, name, extra field and data), from the fixed part
// of its local header.
std::uint64_t localRecordSize(const char* header, const DirectEntry& entry);

// Extracts `entry` from `file` into `out`, which has room for exactly entry.uncompressedSize
// bytes, or only checks it when `out` is null. False, with `out` in an unspecified state, when the
// entry is not one for this path: another compression method, encryption, or anything that does
// not agree with its directory record (size, CRC, bounds, a damaged deflate stream).
bool extractDirect(std::string_view file, const DirectEntry& entry, char* out);

} // namespace bcf
