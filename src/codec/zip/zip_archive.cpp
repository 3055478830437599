#include "codec/zip/zip_archive.h"

#include "codec/bcf_error.h"
#include "codec/zip/file_io_p.h"
#include "codec/zip/zip_direct_p.h"
#include "codec/zip/zip_file_target_p.h"
#include "codec/zip/zip_packed_p.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <zip.h>

namespace bcf {

namespace {

using ZipHandle = std::unique_ptr<zip_t, decltype(&zip_discard)>;
using SourceHandle = std::unique_ptr<zip_source_t, decltype(&zip_source_free)>;

std::string libzipMessage(zip_error_t* error) {
    std::string text = zip_error_strerror(error);
    zip_error_fini(error);
    return text;
}

// A non-empty ZIP file ends with an end-of-central-directory record within its last 64 KiB.
bool hasEndOfCentralDirectory(std::string_view bytes) {
    static const char signature[] = {'P', 'K', 5, 6};
    const std::size_t window = 22 + 0xffff;
    const std::size_t from = bytes.size() > window ? bytes.size() - window : 0;
    return std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), signature,
                       signature + 4) != bytes.end();
}

bool startsWith(const std::string& bytes, std::string_view magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

// True for bytes that deflate cannot shrink, which are stored as they are instead: formats that
// are compressed already (PNG, JPEG, GIF, WebP, PDF, ZIP-based ones such as IFCZIP and Office
// files, gzip, bzip2, xz, zstd, 7z), and anything else whose bytes look random.
bool alreadyCompressed(const std::string& bytes) {
    using namespace std::string_view_literals;
    for (std::string_view magic :
         {"\x89PNG\r\n\x1a\n"sv, "\xff\xd8\xff"sv, "GIF8"sv, "%PDF-"sv, "PK\x03\x04"sv, "\x1f\x8b"sv, "BZh"sv,
          "\xfd"
          "7zXZ"sv,
          "\x28\xb5\x2f\xfd"sv, "7z\xbc\xaf\x27\x1c"sv})
        if (startsWith(bytes, magic))
            return true;
    if (bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WEBP") == 0)
        return true;
    // Byte entropy of the first 64 KiB: deflate gains next to nothing above about 7.8 bits per byte.
    if (bytes.size() < 1024)
        return false;
    const std::size_t sample = std::min<std::size_t>(bytes.size(), 1 << 16);
    std::array<std::size_t, 256> counts{};
    for (std::size_t i = 0; i < sample; ++i)
        ++counts[static_cast<unsigned char>(bytes[i])];
    double entropy = 0;
    for (std::size_t count : counts)
        if (count > 0) {
            const double p = static_cast<double>(count) / static_cast<double>(sample);
            entropy -= p * std::log2(p);
        }
    return entropy > 7.8;
}

// A libzip source over an entry of another archive, extracted when libzip opens the source to
// write it and let go when it closes it, so that only the entry being written is in memory.
struct CopySource {
    std::function<std::optional<std::string>()> extract;
    std::uint64_t size = 0;
    std::string bytes;
    std::size_t position = 0;
    zip_error_t error;

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        auto& self = *static_cast<CopySource*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN: {
            std::optional<std::string> bytes;
            try {
                bytes = self.extract();
            } catch (const std::exception&) {
            }
            // What inspect() saw must still be there: the entry was checked and paid for then.
            if (!bytes || bytes->size() != self.size) {
                zip_error_set(&self.error, ZIP_ER_READ, 0);
                return -1;
            }
            self.bytes = std::move(*bytes);
            self.position = 0;
            return 0;
        }
        case ZIP_SOURCE_READ: {
            const std::size_t n = std::min<std::size_t>(length, self.bytes.size() - self.position);
            std::memcpy(data, self.bytes.data() + self.position, n);
            self.position += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
            std::string().swap(self.bytes);
            return 0;
        default: {
            zip_stat_t st;
            zip_stat_init(&st);
            st.valid = ZIP_STAT_SIZE;
            st.size = self.size;
            return answerSourceQuery(data, length, command, st, &self.error);
        }
        }
    }
};

} // namespace

// Entry names are written exactly as given, so refuse what would escape or confuse an extractor.
std::string entryNameProblem(const std::string& name, bool hasBytes) {
    if (name.empty())
        return "empty entry name";
    if (name.size() > 0xffff)
        return "entry name longer than 65535 bytes";
    if (name.find('\0') != std::string::npos || name.find('\\') != std::string::npos)
        return "entry name with a NUL or backslash";
    if (name.front() == '/' || (name.size() > 1 && name[1] == ':'))
        return "absolute entry name";
    if (name.back() == '/' && hasBytes)
        return "folder entry with content";
    std::size_t start = 0;
    while (start < name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return "entry name with an empty, \".\" or \"..\" part";
        start = end + 1;
    }
    return {};
}

struct ZipArchive::Impl {
    std::string path;
    std::string label;
    // The archive file's bytes while reading: read from a file, or given to loadBytes().
    FileBytes file;
    std::string buffer;
    // Or the archive file held open (ZipReading::OnDemand), with the bytes of its central directory.
    OpenFile openFile;
    std::string directoryBytes;
    ZipHandle reader{nullptr, zip_discard};
    // The bytes the reader reads, and their central directory for extracting entries directly
    // (empty when libzip extracts them all).
    std::string_view bytes;
    std::vector<DirectEntry> directory;
    mutable MemoryBudget budget;
    // Extracted entries that a caller still holds, by name.
    mutable std::unordered_map<std::string, std::weak_ptr<const std::string>> shared;
    struct PendingEntry {
        std::string name;
        std::string owned;
        const std::string* borrowed = nullptr; // the caller's bytes, instead of `owned`
        // Or the bytes of the entry `fromName` of the archive `from`, extracted while written.
        const ZipArchive* from = nullptr;
        std::string fromName;
        EntryCopy copy;
        const std::string& bytes() const { return borrowed ? *borrowed : owned; }
    };
    std::vector<PendingEntry> pending; // entries written, in order
    std::unordered_set<std::string> pendingNames;
};

ZipArchive::ZipArchive() : d(std::make_unique<Impl>()) {}
ZipArchive::~ZipArchive() = default;
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;

void ZipArchive::load(const std::string& path, ZipReading reading) {
    d->reader.reset();
    *d = Impl{};
    d->path = path;
    if (reading == ZipReading::OnDemand) {
        d->openFile = OpenFile(path, kMaxArchiveBytes);
        d->label = path;
        try {
            openFileReader();
        } catch (...) {
            d->openFile = OpenFile();
            throw;
        }
        return;
    }
    FileBytes file = readWholeFile(path, kMaxArchiveBytes);
    d->file = std::move(file);
    openReader(d->file.data.get(), d->file.size, path);
}

void ZipArchive::loadBytes(std::string bytes, const std::string& label) {
    const std::string path = d->path;
    d->reader.reset(); // before the buffer it reads from goes
    *d = Impl{};
    d->path = path;
    d->buffer = std::move(bytes);
    openReader(d->buffer.data(), d->buffer.size(), label);
}

void ZipArchive::openReader(const char* data, std::size_t size, const std::string& label) {
    d->label = label;
    const auto drop = [this] {
        d->file = FileBytes();
        d->buffer.clear();
    };
    if (size == 0) {
        drop();
        throw BcfError("bad zip", label, "empty file");
    }
    if (!hasEndOfCentralDirectory(std::string_view(data, size))) {
        drop();
        throw BcfError("didn't find end of central directory signature", label);
    }

    // The source refers to the buffer without copying it; the buffer lives as long as the reader.
    zip_error_t error;
    zip_error_init(&error);
    SourceHandle source(zip_source_buffer_create(data, size, 0, &error), zip_source_free);
    if (!source) {
        drop();
        throw BcfError("bad zip", label, libzipMessage(&error));
    }
    zip_t* archive = zip_open_from_source(source.get(), ZIP_RDONLY, &error);
    if (!archive) {
        drop();
        throw BcfError("bad zip", label, libzipMessage(&error));
    }
    zip_error_fini(&error);
    source.release(); // the archive owns the source now
    d->reader.reset(archive);
    d->bytes = std::string_view(data, size);
    d->directory = readCentralDirectory(d->bytes);
    if (static_cast<zip_int64_t>(d->directory.size()) != zip_get_num_entries(archive, 0))
        d->directory.clear();
}

void ZipArchive::openFileReader() {
    const OpenFile& file = d->openFile;
    const std::string& label = d->label;
    if (file.size() == 0)
        throw BcfError("bad zip", label, "empty file");
    // The end record lies within the last 64 KiB + 22 bytes.
    std::string tail(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), 22 + 0xffff)), '\0');
    const std::uint64_t tailOffset = file.size() - tail.size();
    if (!file.readAt(tailOffset, tail.data(), tail.size()))
        throw BcfError("bad zip", label, "read failed");
    if (!hasEndOfCentralDirectory(tail))
        throw BcfError("didn't find end of central directory signature", label);

    // libzip reads through a stream of its own over the same open file.
    zip_error_t error;
    zip_error_init(&error);
    const int fd = ::dup(file.fd());
    FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!stream) {
        if (fd >= 0)
            ::close(fd);
        throw BcfError("bad zip", label, std::strerror(errno));
    }
    zip_source_t* raw = zip_source_filep_create(stream, 0, -1, &error);
    if (!raw) {
        std::fclose(stream);
        throw BcfError("bad zip", label, libzipMessage(&error));
    }
    SourceHandle source(raw, zip_source_free); // owns the stream now
    zip_t* archive = zip_open_from_source(source.get(), ZIP_RDONLY, &error);
    if (!archive)
        throw BcfError("bad zip", label, libzipMessage(&error));
    zip_error_fini(&error);
    source.release();
    d->reader.reset(archive);

    const auto place = findCentralDirectory(tail, tailOffset);
    if (!place)
        return;
    d->directoryBytes.resize(static_cast<std::size_t>(place->size));
    if (file.readAt(place->offset, d->directoryBytes.data(), d->directoryBytes.size()))
        d->directory = parseCentralDirectory(d->directoryBytes, place->count);
    if (static_cast<zip_int64_t>(d->directory.size()) != zip_get_num_entries(archive, 0))
        d->directory.clear();
}

namespace {

// Exactly `size` bytes of room in `bytes`, its content replaced.
char* roomFor(std::string* bytes, std::size_t size) {
    bytes->resize(size);
    return bytes->data();
}

char* roomFor(EntryBuffer* bytes, std::size_t size) {
    return bytes->resize(size);
}

} // namespace

template <typename Bytes>
bool ZipArchive::extractDirectly(std::uint64_t index, const zip_stat_t& st, Bytes* bytes) const {
    if (index >= d->directory.size())
        return false;
    const DirectEntry& entry = d->directory[index];
    // Only an entry that libzip sees alike: the same name, sizes, checksum and method.
    const char* name = zip_get_name(d->reader.get(), index, ZIP_FL_ENC_RAW);
    const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
    if (!name || entry.name != name || (st.valid & needed) != needed || st.size != entry.uncompressedSize ||
        st.comp_size != entry.compressedSize || st.crc != entry.crc32 || st.comp_method != entry.method)
        return false;
    char* out = bytes ? roomFor(bytes, entry.uncompressedSize) : nullptr;
    if (!d->openFile.isOpen())
        return extractDirect(d->bytes, entry, out);
    // From the open file: the local header, then the entry's bytes up to the end of its data.
    const OpenFile& file = d->openFile;
    char header[kLocalHeader];
    if (!file.readAt(entry.localHeader, header, sizeof header))
        return false;
    const std::uint64_t span = localRecordSize(header, entry);
    if (span > file.size() - entry.localHeader)
        return false;
    EntryBuffer window;
    if (!file.readAt(entry.localHeader, window.resize(static_cast<std::size_t>(span)), span))
        return false;
    DirectEntry local = entry;
    local.localHeader = 0;
    return extractDirect(std::string_view(window.data(), window.size()), local, out);
}

const std::string& ZipArchive::path() const {
    return d->path;
}

std::vector<ZipEntryInfo> ZipArchive::entries() const {
    std::vector<ZipEntryInfo> list;
    if (!d->reader)
        return list;
    const zip_int64_t count = zip_get_num_entries(d->reader.get(), 0);
    list.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(d->reader.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !st.name)
            throw BcfError("bad zip", d->label, zip_strerror(d->reader.get()));
        ZipEntryInfo info;
        info.filename = st.name;
        info.compressedSize = st.comp_size;
        info.uncompressedSize = st.size;
        info.crc32 = st.crc;
        info.index = static_cast<std::uint64_t>(i);
        list.push_back(std::move(info));
    }
    return list;
}

bool ZipArchive::contains(const std::string& name) const {
    return d->reader && name.find('\0') == std::string::npos &&
           zip_name_locate(d->reader.get(), name.c_str(), 0) >= 0;
}

char* EntryBuffer::resize(std::size_t size) {
    if (size > capacity_) {
        data_ = allocateLargeBuffer(size);
        capacity_ = size;
    }
    size_ = size;
    return data_.get();
}

void EntryBuffer::reserve(std::size_t capacity) {
    if (capacity <= capacity_)
        return;
    LargeBuffer larger = allocateLargeBuffer(capacity);
    if (size_ > 0)
        std::memcpy(larger.get(), data_.get(), size_);
    data_ = std::move(larger);
    capacity_ = capacity;
}

void EntryBuffer::append(const char* bytes, std::size_t size) {
    if (size_ + size > capacity_)
        reserve(std::max(size_ + size, capacity_ * 2));
    std::memcpy(data_.get() + size_, bytes, size);
    size_ += size;
}

std::optional<EntryBuffer> ZipArchive::readBuffer(const std::string& name) const {
    EntryBuffer bytes;
    if (!extract(name, &bytes))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> ZipArchive::read(const std::string& name) const {
    std::string bytes;
    if (!extract(name, &bytes))
        return std::nullopt;
    return bytes;
}

std::optional<std::uint64_t> ZipArchive::check(const std::string& name) const {
    return extract<std::string>(name, nullptr);
}

std::string ZipArchive::readAt(std::uint64_t index, const std::string& name) const {
    std::string bytes;
    extractAt(static_cast<std::int64_t>(index), name, &bytes, true);
    return bytes;
}

template <typename Bytes>
std::optional<std::uint64_t> ZipArchive::extract(const std::string& name, Bytes* bytes, bool charge) const {
    if (!contains(name))
        return std::nullopt;
    // libzip keeps a hash of the names, so this lookup does not walk the directory.
    return extractAt(zip_name_locate(d->reader.get(), name.c_str(), 0), name, bytes, charge);
}

template <typename Bytes>
std::uint64_t ZipArchive::extractAt(std::int64_t index, const std::string& name, Bytes* bytes,
                                    bool charge) const {
    zip_t* archive = d->reader.get();
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        throw BcfError("file couldn't be read", name, zip_strerror(archive));
    const bool sizeKnown = (st.valid & ZIP_STAT_SIZE) != 0;
    if (sizeKnown && st.size > kMaxEntryBytes)
        throw BcfError("file couldn't be read", name, "entry larger than 256 MiB");

    // An entry that declares its size is paid for up front and never grows beyond it; one that
    // does not pays chunk by chunk. A check pays as a read does, so both fail alike.
    if (sizeKnown) {
        if (charge)
            d->budget.charge(st.size, name);
        if (extractDirectly(static_cast<std::uint64_t>(index), st, bytes))
            return st.size;
        // Not an entry for the direct path, or a damaged one: libzip reads it and tells what is wrong.
        if (bytes) {
            bytes->clear();
            bytes->reserve(static_cast<std::size_t>(st.size));
        }
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(
        zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0), zip_fclose);
    if (!file)
        throw BcfError("file couldn't be read", name, zip_strerror(archive));
    std::uint64_t size = 0;
    char chunk[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0)
            throw BcfError("file couldn't be read", name, zip_file_strerror(file.get()));
        if (n == 0)
            break;
        if (!sizeKnown && charge)
            d->budget.charge(static_cast<std::uint64_t>(n), name);
        if (bytes)
            bytes->append(chunk, static_cast<std::size_t>(n));
        size += static_cast<std::uint64_t>(n);
        // Stop as soon as the entry outgrows what its directory record declares, so an entry
        // that lies about its size costs no more memory than an honest one.
        if (sizeKnown && size > st.size)
            throw BcfError("file couldn't be read", name, "size differs from its directory record");
        if (size > kMaxEntryBytes)
            throw BcfError("file couldn't be read", name, "entry larger than 256 MiB");
    }
    if (sizeKnown && size != st.size)
        throw BcfError("file couldn't be read", name, "size differs from its directory record");
    return size;
}

SharedBytes ZipArchive::readShared(const std::string& name) const {
    if (const auto held = d->shared.find(name); held != d->shared.end())
        if (auto bytes = held->second.lock())
            return SharedBytes(std::move(bytes));
    auto bytes = read(name);
    if (!bytes)
        return {};
    auto buffer = std::make_shared<const std::string>(std::move(*bytes));
    d->shared[name] = buffer;
    return SharedBytes(std::move(buffer));
}

MemoryBudget& ZipArchive::budget() const {
    return d->budget;
}

std::optional<EntryCopy> ZipArchive::inspect(const std::string& name) const {
    const auto bytes = read(name);
    if (!bytes)
        return std::nullopt;
    return EntryCopy{bytes->size(), !alreadyCompressed(*bytes)};
}

void ZipArchive::writeEntry(const std::string& name, std::string bytes) {
    checkNewEntry(name, bytes.size());
    d->pendingNames.insert(name);
    d->pending.push_back({name, std::move(bytes), nullptr, nullptr, {}, {}});
}

void ZipArchive::writeEntryRef(const std::string& name, const std::string& bytes) {
    checkNewEntry(name, bytes.size());
    d->pendingNames.insert(name);
    d->pending.push_back({name, {}, &bytes, nullptr, {}, {}});
}

void ZipArchive::writeEntryFrom(const std::string& name, const ZipArchive& source,
                                const std::string& sourceName, const EntryCopy& copy) {
    checkNewEntry(name, copy.size);
    d->pendingNames.insert(name);
    d->pending.push_back({name, {}, nullptr, &source, sourceName, copy});
}

void ZipArchive::checkNewEntry(const std::string& name, std::uint64_t size) const {
    const std::string reason = entryNameProblem(name, size > 0);
    if (!reason.empty())
        throw BcfError("write error", name, reason);
    if (d->pendingNames.count(name))
        throw BcfError("write error", name, "duplicate entry name");
    if (size > kMaxEntryBytes)
        throw BcfError("write error", name, "entry larger than 256 MiB");
}

void ZipArchive::writeInto(zip_source_t* target) const {
    // Folders and payloads that deflate cannot shrink are stored; deflating them would cost the most
    // time of a save and gain nothing. The rest is deflated beforehand, on every core, and libzip
    // copies the deflated bytes.
    const std::size_t count = d->pending.size();
    std::vector<char> store(count);
    std::vector<PackedEntry> packed;
    std::vector<std::size_t> packedIndex(count, count);
    std::vector<CopySource> copies;
    copies.reserve(count); // the sources point at their elements
    for (std::size_t i = 0; i < count; ++i) {
        const Impl::PendingEntry& entry = d->pending[i];
        if (entry.from) {
            store[i] = !entry.copy.compressible;
            continue;
        }
        const std::string& bytes = entry.bytes();
        store[i] = entry.name.back() == '/' || alreadyCompressed(bytes);
        if (!store[i] && !bytes.empty()) {
            packedIndex[i] = packed.size();
            packed.emplace_back().bytes = &bytes;
        }
    }
    deflateAll(packed);

    zip_error_t error;
    zip_error_init(&error);
    ZipHandle writer(zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &error), zip_discard);
    if (!writer) {
        zip_source_free(target); // drop the reference zip_open_from_source did not take
        throw BcfError("write error", d->path, libzipMessage(&error));
    }
    zip_error_fini(&error);

    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = d->pending[i].name;
        const std::string& bytes = d->pending[i].bytes();
        // The sources refer to the bytes where they are; libzip reads them while it writes the archive.
        PackedEntry* deflated = packedIndex[i] < packed.size() && packed[packedIndex[i]].packed
                                    ? &packed[packedIndex[i]]
                                    : nullptr;
        zip_source_t* source = nullptr;
        if (const Impl::PendingEntry& entry = d->pending[i]; entry.from) {
            CopySource& copy = copies.emplace_back();
            copy.extract = [&entry] {
                std::string copied;
                if (!entry.from->extract(entry.fromName, &copied, false))
                    return std::optional<std::string>();
                return std::optional<std::string>(std::move(copied));
            };
            copy.size = entry.copy.size;
            zip_error_init(&copy.error);
            source = zip_source_function(writer.get(), CopySource::callback, &copy);
        } else {
            source = deflated ? packedSource(writer.get(), *deflated)
                              : zip_source_buffer(writer.get(), bytes.data(), bytes.size(), 0);
        }
        if (!source)
            throw BcfError("write error", name, zip_strerror(writer.get()));
        const zip_int64_t index = zip_file_add(writer.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw BcfError("write error", name, zip_strerror(writer.get()));
        }
        if (zip_set_file_compression(writer.get(), static_cast<zip_uint64_t>(index),
                                     store[i] ? ZIP_CM_STORE : ZIP_CM_DEFLATE, store[i] ? 0 : 9) != 0)
            throw BcfError("write error", name, zip_strerror(writer.get()));
    }
    if (zip_close(writer.get()) != 0)
        throw BcfError("write error", d->path, zip_strerror(writer.get()));
    writer.release(); // zip_close freed it
}

std::string ZipArchive::finish() const {
    zip_error_t error;
    zip_error_init(&error);
    SourceHandle target(zip_source_buffer_create(nullptr, 0, 0, &error), zip_source_free);
    if (!target)
        throw BcfError("write error", d->path, libzipMessage(&error));
    // The target must outlive zip_close(), which writes the finished archive into it.
    zip_source_keep(target.get());
    writeInto(target.get());

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(target.get(), &st) != 0 || zip_source_open(target.get()) != 0)
        throw BcfError("write error", d->path, zip_error_strerror(zip_source_error(target.get())));
    if (st.size > kMaxArchiveBytes)
        throw BcfError("write error", d->path, "archive larger than 2 GiB");
    std::string bytes(static_cast<std::size_t>(st.size), '\0');
    const zip_int64_t n = zip_source_read(target.get(), bytes.data(), bytes.size());
    zip_source_close(target.get());
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size)
        throw BcfError("write error", d->path, "archive could not be read back");
    return bytes;
}

void ZipArchive::save(const std::string& path) {
    d->path = path;
    // The archive goes into the temporary file as libzip makes it, entry by entry, never whole in
    // memory; the file replaces the target only once it is complete.
    writeFileAtomically(path, [&](int fd) {
        ZipFileTarget file(fd, kMaxArchiveBytes);
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* target = file.source(&error);
        if (!target)
            throw BcfError("write error", path, libzipMessage(&error));
        zip_error_fini(&error);
        try {
            writeInto(target);
        } catch (const BcfError&) {
            if (file.tooLarge())
                throw BcfError("write error", path, "archive larger than 2 GiB");
            if (file.systemError() != 0)
                throw BcfError("write error", path, std::strerror(file.systemError()));
            throw;
        }
    });
}

} // namespace bcf
