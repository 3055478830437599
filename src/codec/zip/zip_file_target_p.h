// A libzip write target over an open file: the archive goes into the file while libzip makes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <zip.h>

namespace bcf {

class ZipFileTarget {
public:
    // Writes into `fd` from offset 0; refuses to grow the file beyond `maxBytes`.
    ZipFileTarget(int fd, std::uint64_t maxBytes);
    ~ZipFileTarget();
    ZipFileTarget(const ZipFileTarget&) = delete;
    ZipFileTarget& operator=(const ZipFileTarget&) = delete;

    // A new libzip source that writes through this target, which must outlive it; null on failure.
    zip_source_t* source(zip_error_t* error);
    // True when a write failed because the archive would have outgrown `maxBytes`.
    bool tooLarge() const { return tooLarge_; }
    // The system error of the write that failed, if any (0 otherwise).
    int systemError() const { return systemError_; }

private:
    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t write(const void* data, std::uint64_t length);
    bool flush();
    bool writeAt(const char* data, std::uint64_t length, std::uint64_t offset);
    zip_int64_t failed(int zipError, int systemError);

    int fd_;
    std::uint64_t maxBytes_;
    // Written bytes not yet in the file: libzip's small writes, and the local headers it goes back to
    // complete once an entry's data is written, land here.
    std::unique_ptr<char[]> buffer_;
    std::uint64_t bufferStart_ = 0;
    std::uint64_t bufferLength_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t end_ = 0;
    bool tooLarge_ = false;
    int systemError_ = 0;
    zip_error_t error_;
};

} // namespace bcf
