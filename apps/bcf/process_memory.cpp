#include "process_memory.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace bcf::cli {

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;
constexpr std::size_t kHugePage = 2 * kMiB;
// The heap reserved up front: address space only, until touched.
constexpr std::size_t kReservedHeap = 512 * kMiB;

} // namespace

void prepareHeapForOneCommand(bool hugePages) {
#if defined(__SANITIZE_ADDRESS__)
    return; // the sanitizer's allocator has a heap of its own
#endif
    // Every fresh page costs a page fault when first touched, which on virtual machines costs more
    // than filling it. glibc gives freed memory back at the top of the heap and maps large blocks
    // on their own, so a program that allocates and frees large buffers in turn (a report's
    // images and page streams, an archive's entries) pays those faults over and over. Here large
    // blocks come from the heap, which is never trimmed, and the heap is reserved once and backed
    // by huge pages: one fault per 2 MiB.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(32 * kMiB)); // glibc's largest
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(1024 * kMiB));
    if (!hugePages) {
        mallopt(M_TOP_PAD, static_cast<int>(64 * kMiB));
        return;
    }
    // The first growth of the heap takes the whole reserve as its padding.
    mallopt(M_TOP_PAD, static_cast<int>(kReservedHeap));
    const auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // More than the heap has left, less than would be mapped apart; volatile, so that the
    // compiler keeps the pair.
    void* volatile block = std::malloc(kMiB);
    std::free(block);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, static_cast<int>(64 * kMiB));
    const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t last = end / kHugePage * kHugePage;
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace bcf::cli
