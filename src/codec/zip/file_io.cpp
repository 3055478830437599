#include "codec/zip/file_io_p.h"

#include "codec/bcf_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace bcf {

namespace {

// Opens the file at `path` for reading, refusing what holds no archive a save could replace.
int openArchiveFile(const std::string& path, const fs::file_status& status) {
    if (path.empty() || !fs::exists(status))
        throw BcfError("bad zip", path, "no such file");
    if (fs::is_directory(status))
        throw BcfError("bad zip", path, "is a directory");
    // A device or a pipe has no end to read up to, or is not an archive a save could replace.
    if (!fs::is_regular_file(status))
        throw BcfError("not a regular file", path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw BcfError("bad zip", path, std::strerror(errno));
    return fd;
}

} // namespace

OpenFile::OpenFile(const std::string& path, std::uint64_t maxBytes) {
    std::error_code ec;
    fd_ = openArchiveFile(path, fs::status(path, ec));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        ::close(fd_);
        throw BcfError("bad zip", path, std::strerror(errno));
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    if (size_ > maxBytes) {
        ::close(fd_);
        throw BcfError("bad zip", path, "archive larger than 2 GiB");
    }
}

OpenFile::~OpenFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

OpenFile::OpenFile(OpenFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

bool OpenFile::readAt(std::uint64_t offset, char* into, std::size_t length) const {
    if (offset > size_ || size_ - offset < length)
        return false;
    while (length > 0) {
        const ssize_t n = ::pread(fd_, into, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        offset += static_cast<std::uint64_t>(n);
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

FileBytes readWholeFile(const std::string& path, std::uint64_t maxBytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    const int fd = openArchiveFile(path, status);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // Read the reported size in one go into a buffer that is not zero-filled first, then go on in
    // chunks: the size is only a hint, and devices and pipes report none.
    const std::uintmax_t reported = fs::is_regular_file(status) ? fs::file_size(path, ec) : 0;
    FileBytes bytes;
    std::size_t capacity =
        !ec && reported > 0 && reported <= maxBytes ? static_cast<std::size_t>(reported) : 0;
    bytes.data = allocateLargeBuffer(capacity);
    char chunk[1 << 16];
    for (;;) {
        const bool full = bytes.size == capacity;
        char* into = full ? chunk : bytes.data.get() + bytes.size;
        const ssize_t n = ::read(fd, into, full ? sizeof chunk : capacity - bytes.size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw BcfError("bad zip", path, "read failed");
        if (n == 0)
            break;
        if (bytes.size + static_cast<std::size_t>(n) > maxBytes)
            throw BcfError("bad zip", path, "archive larger than 2 GiB");
        if (full) {
            // More than reported: a larger buffer, filled from the chunk.
            capacity = std::max<std::size_t>(capacity * 2, bytes.size + sizeof chunk);
            LargeBuffer larger = allocateLargeBuffer(capacity);
            std::memcpy(larger.get(), bytes.data.get(), bytes.size);
            std::memcpy(larger.get() + bytes.size, chunk, static_cast<std::size_t>(n));
            bytes.data = std::move(larger);
        }
        bytes.size += static_cast<std::size_t>(n);
    }
    return bytes;
}

namespace {

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string randomSuffix() {
    static std::random_device device;
    static std::mt19937_64 engine(device());
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(engine()));
    return text;
}

[[noreturn]] void fail(const std::string& path, const std::string& tmp, int error) {
    if (!tmp.empty())
        ::unlink(tmp.c_str());
    throw BcfError("write error", path, std::strerror(error));
}

void writeAll(int fd, const char* data, std::size_t left, const std::string& path, const std::string& tmp) {
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(path, tmp, errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// Overwrites the file itself with the content of the file `from`, for a target whose owner a new
// file could not take over (a file of another user that this user may write). The space is
// reserved before the first byte changes, so that a full disk leaves the old content intact.
void writeInPlace(const fs::path& target, int from, const std::string& path) {
    struct stat source {};
    if (::fstat(from, &source) != 0)
        fail(path, {}, errno);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        fail(path, {}, errno);
    FdCloser closer{fd};
    const int reserved = ::posix_fallocate(fd, 0, source.st_size);
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
        fail(path, {}, reserved);
    std::unique_ptr<char[]> chunk(new char[1 << 20]);
    for (off_t offset = 0; offset < source.st_size;) {
        const ssize_t n = ::pread(from, chunk.get(), 1 << 20, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(path, {}, n < 0 ? errno : EIO);
        writeAll(fd, chunk.get(), static_cast<std::size_t>(n), path, {});
        offset += n;
    }
    if (::ftruncate(fd, source.st_size) != 0 || ::fsync(fd) != 0)
        fail(path, {}, errno);
}

} // namespace

void writeFileAtomically(const std::string& path, const std::string& bytes) {
    writeFileAtomically(path, [&](int fd) { writeAll(fd, bytes.data(), bytes.size(), path, {}); });
}

void writeFileAtomically(const std::string& path, const std::function<void(int fd)>& write) {
    std::error_code ec;
    fs::path target(path);
    if (path.empty())
        throw BcfError("write error", path, "empty file name");
    // Write through a symbolic link into the file it names, keeping the link.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    if (fs::is_directory(target, ec))
        throw BcfError("write error", path, "is a directory");
    // A device node or a pipe would be replaced by the renamed file, or could not be.
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec))
        throw BcfError("not a regular file", path);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    // The rename below needs only a writable folder: refuse, as writing the file itself would, a
    // target that this user may not write (the effective ids decide, so root may).
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        throw BcfError("permission denied", path);

    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        std::string name = ".";
        name.append(target.filename().string()).append(".tmp-").append(randomSuffix());
        tmp = (folder / name).string();
        fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // The new file is made in the target's folder: when that is what may not be written,
        // the message names the folder.
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
            throw BcfError("permission denied", folder.string(),
                           errno == EROFS ? "read-only file system" : "cannot create a file in this folder");
        if (fd < 0 && errno != EEXIST)
            fail(path, {}, errno);
    }
    if (fd < 0)
        fail(path, {}, EEXIST);
    FdCloser closer{fd};
    try {
        write(fd);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    if (replacing) {
        // Keep the owner, group and permissions of the file being replaced; the mode comes after
        // the owner, whose change clears set-id bits.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            ::unlink(tmp.c_str()); // its content stays readable through `fd`
            writeInPlace(target, fd, path);
            return;
        }
        ::fchmod(fd, old.st_mode & 07777);
    }
    if (::fsync(fd) != 0)
        fail(path, tmp, errno);
    closer.fd = -1;
    if (::close(fd) != 0)
        fail(path, tmp, errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0)
        fail(path, tmp, errno);
}

} // namespace bcf
