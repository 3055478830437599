#include "codec/large_buffer_p.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace bcf {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Smaller buffers come from the heap: a mapping of their own would cost more than it saves.
constexpr std::size_t kMappedFrom = 4 * kHugePage;

// Maps at least `size` bytes starting on a huge-page boundary, asking for huge pages behind them;
// `size` is rounded up to whole huge pages. Throws std::bad_alloc.
char* mapHugePages(std::size_t& size) {
    size = (size + kHugePage - 1) / kHugePage * kHugePage;
    // Map one huge page more than needed, then give back what lies before the first huge-page
    // boundary and after the buffer, so that the buffer starts on one.
    const std::size_t reserved = size + kHugePage;
    void* area = ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        ::munmap(area, aligned - start);
    if (const std::size_t tail = reserved - (aligned - start) - size; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    auto* data = reinterpret_cast<char*>(aligned);
    ::madvise(data, size, MADV_HUGEPAGE);
    return data;
}

// The arena: chunks of huge pages, each filled from the front by one thread, which holds one
// reference to it until the chunk is full; every block in it holds another.
constexpr std::size_t kChunk = 4 * kHugePage;

struct alignas(16) Chunk {
    std::atomic<std::size_t> references{1};
    std::size_t size = 0;
    std::size_t used = sizeof(Chunk);
};

// Precedes each block: the chunk it lies in.
struct alignas(16) BlockHeader {
    Chunk* chunk;
};

void release(Chunk* chunk) {
    if (chunk->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const std::size_t size = chunk->size;
        chunk->~Chunk();
        ::munmap(chunk, size);
    }
}

Chunk* newChunk(std::size_t size) {
    char* data = mapHugePages(size);
    auto* chunk = new (data) Chunk;
    chunk->size = size;
    return chunk;
}

// The chunk this thread fills.
struct CurrentChunk {
    Chunk* chunk = nullptr;
    ~CurrentChunk() {
        if (chunk)
            release(chunk);
    }
};
thread_local CurrentChunk current;

} // namespace

void* arenaAllocate(std::size_t size) {
    const std::size_t block = sizeof(BlockHeader) + (size + 15) / 16 * 16;
    Chunk* chunk = nullptr;
    if (block > kChunk / 4) {
        // A large block has a chunk of its own, which the block's reference alone keeps.
        chunk = newChunk(sizeof(Chunk) + block);
        chunk->references.store(0, std::memory_order_relaxed);
    } else {
        if (!current.chunk || current.chunk->size - current.chunk->used < block) {
            Chunk* fresh = newChunk(kChunk);
            if (current.chunk)
                release(current.chunk);
            current.chunk = fresh;
        }
        chunk = current.chunk;
    }
    auto* header = reinterpret_cast<BlockHeader*>(reinterpret_cast<char*>(chunk) + chunk->used);
    chunk->used += block;
    chunk->references.fetch_add(1, std::memory_order_relaxed);
    header->chunk = chunk;
    return header + 1;
}

void arenaFree(void* data) {
    release((static_cast<BlockHeader*>(data) - 1)->chunk);
}

void LargeBufferRelease::operator()(char* data) const {
    if (mappedBytes > 0)
        ::munmap(data, mappedBytes);
    else
        delete[] data;
}

LargeBuffer allocateLargeBuffer(std::size_t size) {
    if (size < kMappedFrom)
        return LargeBuffer(new char[size], LargeBufferRelease{});
    std::size_t mapped = size;
    char* data = mapHugePages(mapped);
    return LargeBuffer(data, LargeBufferRelease{mapped});
}

void adviseHugePages(void* data, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t last = (start + size) / kHugePage * kHugePage;
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace bcf
