// Memory for the codec's large buffers (a whole archive file, XML trees): mapped apart from the
// heap, so that it goes back to the system as soon as it is freed.
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

// Memory for the nodes of large XML trees, from mapped blocks that go back to the system
// once everything allocated in them is freed. Thread-safe. arenaFree takes only what
// arenaAllocate gave; null is not taken.
void* arenaAllocate(std::size_t size);
void arenaFree(void* data);

} // namespace bcf
