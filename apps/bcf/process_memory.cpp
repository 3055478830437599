#include "process_memory.h"

#include <cstddef>
#include <malloc.h>

namespace bcf::cli {

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

} // namespace

void prepareHeapForOneCommand() {
#if defined(__SANITIZE_ADDRESS__)
    return; // the sanitizer's allocator has a heap of its own
#endif
    // Every fresh page costs a page fault when first touched. glibc gives freed memory back at the
    // top of the heap and maps large blocks on their own, so a program that allocates and frees
    // large buffers in turn (a report's images and page streams, an archive's entries) pays those
    // faults over and over. Here large blocks come from the heap, which is never trimmed and
    // grows in steps of 64 MiB.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(32 * kMiB)); // glibc's largest
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(1024 * kMiB));
    mallopt(M_TOP_PAD, static_cast<int>(64 * kMiB));
}

} // namespace bcf::cli
