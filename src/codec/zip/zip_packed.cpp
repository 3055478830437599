#include "codec/zip/zip_packed_p.h"

#include "codec/zip/crc32_p.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <zlib.h>

namespace bcf {

namespace {

void deflateOne(PackedEntry& entry) {
    const std::string& bytes = *entry.bytes;
    z_stream stream{};
    // Raw deflate at best compression, as libzip makes it for a ZIP entry.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const uLong bound = deflateBound(&stream, static_cast<uLong>(bytes.size()));
    std::unique_ptr<char[]> packed(new (std::nothrow) char[bound]);
    if (packed) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream.avail_in = static_cast<uInt>(bytes.size());
        stream.next_out = reinterpret_cast<Bytef*>(packed.get());
        stream.avail_out = static_cast<uInt>(bound);
        if (deflate(&stream, Z_FINISH) == Z_STREAM_END) {
            entry.packedSize = stream.total_out;
            entry.crc = crc32Update(0, bytes.data(), bytes.size());
            entry.packed = std::move(packed);
        }
    }
    deflateEnd(&stream);
}

zip_int64_t packedCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& entry = *static_cast<PackedEntry*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        entry.readPosition = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const std::size_t n = std::min<std::size_t>(length, entry.packedSize - entry.readPosition);
        std::memcpy(data, entry.packed.get() + entry.readPosition, n);
        entry.readPosition += n;
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    default: {
        zip_stat_t st;
        zip_stat_init(&st);
        st.valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        st.size = entry.bytes->size();
        st.comp_size = entry.packedSize;
        st.comp_method = ZIP_CM_DEFLATE;
        st.crc = entry.crc;
        zip_error_t none;
        zip_error_init(&none);
        return answerSourceQuery(data, length, command, st, &none);
    }
    }
}

} // namespace

zip_int64_t answerSourceQuery(void* data, zip_uint64_t length, zip_source_cmd_t command,
                              const zip_stat_t& stat, zip_error_t* error) {
    switch (command) {
    case ZIP_SOURCE_STAT: {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, nullptr);
        if (!st)
            return -1;
        *st = stat;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(error, data, length);
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

void deflateAll(std::vector<PackedEntry>& entries) {
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < entries.size(); i = next++)
            deflateOne(entries[i]);
    };
    // The calling thread works too; a thread that cannot be started leaves its share to the others.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < std::min(cores, 8u) && i < entries.size(); ++i) {
        try {
            helpers.emplace_back(work);
        } catch (...) {
            break;
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

zip_source_t* packedSource(zip_t* archive, PackedEntry& entry) {
    return zip_source_function(archive, packedCallback, &entry);
}

} // namespace bcf
