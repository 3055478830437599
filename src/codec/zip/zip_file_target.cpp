#include "codec/zip/zip_file_target_p.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace bcf {

namespace {

constexpr std::uint64_t kBufferBytes = 1 << 20;

} // namespace

ZipFileTarget::ZipFileTarget(int fd, std::uint64_t maxBytes)
    : fd_(fd), maxBytes_(maxBytes), buffer_(new char[kBufferBytes]) {
    zip_error_init(&error_);
}

ZipFileTarget::~ZipFileTarget() {
    zip_error_fini(&error_);
}

zip_source_t* ZipFileTarget::source(zip_error_t* error) {
    return zip_source_function_create(&ZipFileTarget::callback, this, error);
}

zip_int64_t ZipFileTarget::failed(int zipError, int systemError) {
    systemError_ = systemError;
    zip_error_set(&error_, zipError, systemError);
    return -1;
}

bool ZipFileTarget::writeAt(const char* data, std::uint64_t length, std::uint64_t offset) {
    while (length > 0) {
        const ssize_t written = ::pwrite(fd_, data, length, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed(ZIP_ER_WRITE, written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        length -= static_cast<std::uint64_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool ZipFileTarget::flush() {
    const bool written = writeAt(buffer_.get(), bufferLength_, bufferStart_);
    bufferStart_ += bufferLength_;
    bufferLength_ = 0;
    return written;
}

zip_int64_t ZipFileTarget::write(const void* data, std::uint64_t length) {
    if (position_ + length > maxBytes_) {
        tooLarge_ = true;
        return failed(ZIP_ER_WRITE, EFBIG);
    }
    const char* bytes = static_cast<const char*>(data);
    const bool inBuffer = position_ >= bufferStart_ && position_ <= bufferStart_ + bufferLength_ &&
                          position_ + length <= bufferStart_ + kBufferBytes;
    if (inBuffer) {
        std::memcpy(buffer_.get() + (position_ - bufferStart_), bytes, length);
        bufferLength_ = std::max(bufferLength_, position_ + length - bufferStart_);
    } else {
        if (!flush())
            return -1;
        if (length >= kBufferBytes) {
            if (!writeAt(bytes, length, position_))
                return -1;
        } else {
            bufferStart_ = position_;
            std::memcpy(buffer_.get(), bytes, length);
            bufferLength_ = length;
        }
    }
    position_ += length;
    end_ = std::max(end_, position_);
    return static_cast<zip_int64_t>(length);
}

zip_int64_t ZipFileTarget::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* self = static_cast<ZipFileTarget*>(state);
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_STAT:
        // There is no archive to read yet: libzip starts a new one.
        return self->failed(ZIP_ER_READ, ENOENT);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&self->error_, data, length);
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_REMOVE:
        self->bufferStart_ = self->bufferLength_ = self->position_ = self->end_ = 0;
        if (::ftruncate(self->fd_, 0) != 0)
            return self->failed(ZIP_ER_WRITE, errno);
        return 0;
    case ZIP_SOURCE_WRITE:
        return self->write(data, length);
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t offset =
            zip_source_seek_compute_offset(self->position_, self->end_, data, length, &self->error_);
        if (offset < 0)
            return -1;
        self->position_ = static_cast<std::uint64_t>(offset);
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(self->position_);
    case ZIP_SOURCE_COMMIT_WRITE:
        return self->flush() ? 0 : -1;
    case ZIP_SOURCE_ROLLBACK_WRITE:
        self->bufferLength_ = 0;
        return 0;
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    default:
        // Nothing is read back from the file being written.
        return self->failed(ZIP_ER_OPNOTSUPP, 0);
    }
}

} // namespace bcf
