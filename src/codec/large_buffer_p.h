// Memory for the codec's large buffers (a whole archive file, a large extracted entry, XML trees),
// backed by transparent huge pages where the kernel offers them. Each fresh 4 KiB page costs a
// page fault when first touched, and on virtual machines those faults cost more than filling the
// page: a 40 MB archive read into ordinary memory spends most of its time in them.
#pragma once

#include <cstddef>
#include <memory>

namespace bcf {

struct LargeBufferRelease {
    std::size_t mappedBytes = 0;
    void operator()(char* data) const;
};

using LargeBuffer = std::unique_ptr<char[], LargeBufferRelease>;

// Room for `size` bytes, uninitialised. Below a few MiB this is plain heap memory. Throws
// std::bad_alloc when there is not enough memory.
LargeBuffer allocateLargeBuffer(std::size_t size);

// Memory for the nodes of large XML trees, from blocks of huge pages that go back to the system
// once everything allocated in them is freed. Thread-safe. arenaFree takes only what
// arenaAllocate gave; null is not taken.
void* arenaAllocate(std::size_t size);
void arenaFree(void* data);

// Asks for huge pages behind the whole 2 MiB blocks within the `size` bytes at `data` (memory of
// the heap that is about to be filled); a hint, without effect where huge pages are not offered.
void adviseHugePages(void* data, std::size_t size);

} // namespace bcf
