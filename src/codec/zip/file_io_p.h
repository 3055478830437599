// Whole-file reads and atomic file replacement for the archive layer.
#pragma once

#include "codec/large_buffer_p.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bcf {

// A file's bytes, in a buffer that was never zero-filled.
struct FileBytes {
    LargeBuffer data;
    std::size_t size = 0;
};

// An archive file held open, read by offset: entries are read from it as they are extracted.
class OpenFile {
public:
    OpenFile() = default;
    // Opens the file at `path`, refusing what readWholeFile() refuses. Throws BcfError.
    OpenFile(const std::string& path, std::uint64_t maxBytes);
    ~OpenFile();
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&& other) noexcept;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The size the file had when opened.
    std::uint64_t size() const { return size_; }
    // Reads exactly `length` bytes at `offset`; false when the file does not hold them (any more).
    bool readAt(std::uint64_t offset, char* into, std::size_t length) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Reads the whole file at `path`, refusing more than `maxBytes`. Throws BcfError("bad zip").
FileBytes readWholeFile(const std::string& path, std::uint64_t maxBytes);

// Replaces the file at `path` with `bytes`: writes a temporary file in the same folder, flushes
// it to disk and renames it over the target, so a failure leaves the old file as it was. The
// replaced file keeps its owner, group and permissions; a target this user may not write is
// refused with BcfError("permission denied").
// Throws BcfError("write error").
void writeFileAtomically(const std::string& path, const std::string& bytes);

// The same, with the new content written by `write` into the temporary file it is given (open for
// writing, empty). Whatever `write` throws leaves the target as it was and is passed on.
void writeFileAtomically(const std::string& path, const std::function<void(int fd)>& write);

} // namespace bcf
