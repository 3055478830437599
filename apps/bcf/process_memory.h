// How the bcf programs use the C library's heap: a command runs once and exits, so memory it frees
// is kept for reuse rather than returned to the system, and the heap may lie on huge pages.
#pragma once

namespace bcf::cli {

// Call first thing in main(), before the heap has grown. Huge pages cost up to 2 MiB of memory
// for each region of the heap that is touched at all: for a program whose heap is full of small,
// scattered blocks (Qt's), the faults they save are not worth that.
void prepareHeapForOneCommand(bool hugePages);

} // namespace bcf::cli
