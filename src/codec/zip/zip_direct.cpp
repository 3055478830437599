#include "codec/zip/zip_direct_p.h"

#include "codec/zip/crc32_p.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <zlib.h>

namespace bcf {

namespace {

std::uint32_t le16(const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8;
}

std::uint32_t le32(const char* p) {
    return le16(p) | le16(p + 2) << 16;
}

constexpr std::size_t kEndRecord = 22;
constexpr std::size_t kCentralRecord = 46;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint32_t kEncrypted = 1;

std::uint32_t crcOf(const char* data, std::size_t size) {
    return crc32Update(0, data, size);
}

// Inflates the raw deflate stream `in` into `out` (exactly `outSize` bytes) or, when `out` is
// null, through a scratch buffer; true when the stream ends exactly there, with `crc` over it.
bool inflateExactly(std::string_view in, char* out, std::uint64_t outSize, std::uint32_t& crc) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    struct End {
        z_stream* stream;
        ~End() { inflateEnd(stream); }
    } end{&stream};
    char scratch[1 << 16];
    std::uint64_t done = 0;
    crc = 0;
    const char* input = in.data();
    std::uint64_t inputLeft = in.size();
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.avail_in == 0 && inputLeft > 0) {
            const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(inputLeft, UINT_MAX));
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
            stream.avail_in = chunk;
            input += chunk;
            inputLeft -= chunk;
        }
        // One byte more room than declared, so that a stream that goes on is noticed.
        char* into = out ? out + done : scratch;
        const std::uint64_t room = out ? outSize - done : sizeof scratch;
        if (out && room == 0)
            into = scratch, stream.avail_out = 1;
        else
            stream.avail_out = static_cast<uInt>(std::min<std::uint64_t>(room, UINT_MAX));
        stream.next_out = reinterpret_cast<Bytef*>(into);
        const uInt before = stream.avail_out;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            return false;
        const uInt produced = before - stream.avail_out;
        if (done + produced > outSize || (out && into == scratch && produced > 0))
            return false;
        crc = crc32Update(crc, into, produced);
        done += produced;
        if (status == Z_OK && produced == 0 && stream.avail_in == 0 && inputLeft == 0)
            return false; // the stream stops short of its end
    }
    return done == outSize;
}

} // namespace

std::optional<DirectoryPlace> findCentralDirectory(std::string_view tail, std::uint64_t tailOffset) {
    if (tail.size() < kEndRecord)
        return std::nullopt;
    // The last end record within reach of the file's end whose comment runs exactly to the end.
    const std::size_t lowest = tail.size() > kEndRecord + 0xffff ? tail.size() - kEndRecord - 0xffff : 0;
    std::size_t end = std::string_view::npos;
    for (std::size_t at = tail.size() - kEndRecord + 1; at-- > lowest;)
        if (std::memcmp(tail.data() + at, "PK\5\6", 4) == 0 &&
            at + kEndRecord + le16(tail.data() + at + 20) == tail.size()) {
            end = at;
            break;
        }
    if (end == std::string_view::npos)
        return std::nullopt;
    const char* record = tail.data() + end;
    DirectoryPlace place;
    place.count = le16(record + 10);
    place.size = le32(record + 12);
    place.offset = le32(record + 16);
    const std::uint64_t endOffset = tailOffset + end;
    // Split archives and ZIP64 (whose counts and offsets stand elsewhere) are libzip's.
    if (le16(record + 4) != 0 || le16(record + 6) != 0 || place.count != le16(record + 8) ||
        place.count == 0xffff || place.offset == 0xffffffffu || place.offset > endOffset ||
        place.size > endOffset - place.offset)
        return std::nullopt;
    return place;
}

std::vector<DirectEntry> parseCentralDirectory(std::string_view records, std::uint32_t count) {
    std::vector<DirectEntry> entries;
    entries.reserve(count);
    std::uint64_t at = 0;
    const std::uint64_t stop = records.size();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (stop - at < kCentralRecord || std::memcmp(records.data() + at, "PK\1\2", 4) != 0)
            return {};
        const char* p = records.data() + at;
        DirectEntry entry;
        entry.method = static_cast<std::uint16_t>(le16(p + 10));
        entry.crc32 = le32(p + 16);
        entry.compressedSize = le32(p + 20);
        entry.uncompressedSize = le32(p + 24);
        const std::uint64_t nameLength = le16(p + 28);
        const std::uint64_t recordSize = kCentralRecord + nameLength + le16(p + 30) + le16(p + 32);
        entry.localHeader = le32(p + 42);
        if (stop - at < recordSize || le16(p + 34) != 0 || entry.compressedSize == 0xffffffffu ||
            entry.uncompressedSize == 0xffffffffu || entry.localHeader == 0xffffffffu ||
            (le16(p + 8) & kEncrypted) != 0)
            return {};
        entry.name = records.substr(at + kCentralRecord, nameLength);
        entries.push_back(entry);
        at += recordSize;
    }
    return entries;
}

std::vector<DirectEntry> readCentralDirectory(std::string_view file) {
    const auto place = findCentralDirectory(file, 0);
    if (!place)
        return {};
    return parseCentralDirectory(file.substr(place->offset, place->size), place->count);
}

std::uint64_t localRecordSize(const char* header, const DirectEntry& entry) {
    return kLocalHeader + le16(header + 26) + le16(header + 28) + entry.compressedSize;
}

bool extractDirect(std::string_view file, const DirectEntry& entry, char* out) {
    if (entry.method != kStored && entry.method != kDeflated)
        return false;
    const std::uint64_t local = entry.localHeader;
    if (local > file.size() || file.size() - local < kLocalHeader ||
        std::memcmp(file.data() + local, "PK\3\4", 4) != 0)
        return false;
    const char* header = file.data() + local;
    if ((le16(header + 6) & kEncrypted) != 0)
        return false;
    const std::uint64_t record = localRecordSize(header, entry);
    if (record > file.size() - local)
        return false;
    const std::uint64_t data = local + record - entry.compressedSize;
    const std::string_view stored = file.substr(data, entry.compressedSize);
    if (entry.method == kStored) {
        if (entry.compressedSize != entry.uncompressedSize ||
            crcOf(stored.data(), stored.size()) != entry.crc32)
            return false;
        if (out)
            std::memcpy(out, stored.data(), stored.size());
        return true;
    }
    std::uint32_t crc = 0;
    return inflateExactly(stored, out, entry.uncompressedSize, crc) && crc == entry.crc32;
}

} // namespace bcf
