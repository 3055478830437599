// How the bcf programs use the C library's heap: a command runs once and exits, so memory it frees
// is kept for reuse rather than returned to the system.
#pragma once

namespace bcf::cli {

// Call first thing in main(), before the heap has grown.
void prepareHeapForOneCommand();

} // namespace bcf::cli
