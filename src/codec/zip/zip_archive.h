// The archive layer: one ZIP archive held wholly in memory. The only code that knows the ZIP library.
#pragma once

#include "codec/large_buffer_p.h"
#include "codec/memory_budget.h"
#include "codec/shared_bytes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct zip_source; // libzip's source, a target the archive is written into
struct zip_stat;   // libzip's record of one entry

namespace bcf {

// Largest archive file that is read or written (classic ZIP, no ZIP64).
inline constexpr std::uint64_t kMaxArchiveBytes = 0x7fffffffu;
// Largest uncompressed entry that is extracted; larger (or lying) entries are refused.
inline constexpr std::uint64_t kMaxEntryBytes = 256u * 1024 * 1024;

// What a save needs to know of an entry it copies from another archive without holding its bytes.
struct EntryCopy {
    std::uint64_t size = 0;
    bool compressible = false; // deflate could shrink it (see finish())
};

// One central directory record, as listed.
struct ZipEntryInfo {
    std::string filename;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t index = 0;
};

// Why no entry named `name` (holding bytes when `hasBytes`) may be written: it would be empty, too
// long, absolute, or escape or confuse an extractor; empty when the name is fine.
std::string entryNameProblem(const std::string& name, bool hasBytes);

// An entry's bytes in memory that was never zero-filled first, to be parsed in place.
class EntryBuffer {
public:
    char* data() { return data_.get(); }
    std::size_t size() const { return size_; }

    // Exactly `size` bytes, uninitialised, replacing the content.
    char* resize(std::size_t size);
    // Room for `capacity` bytes, the content kept.
    void reserve(std::size_t capacity);
    void append(const char* bytes, std::size_t size);
    void clear() { size_ = 0; }

private:
    LargeBuffer data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// How load() reads the archive file.
enum class ZipReading {
    // Read whole at once and held: another program writing over the file later changes nothing
    // of what the archive reads (a viewer keeps an archive open for as long as the user likes).
    WholeFile,
    // Kept open; entries are read from it as they are extracted, so that the file's bytes are
    // never all in memory (a command that reads the archive and writes another in one go).
    OnDemand,
};

class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ZipArchive(ZipArchive&&) noexcept;
    ZipArchive& operator=(ZipArchive&&) noexcept;

    // Replaces the content with the archive in the file at `path`; throws BcfError on failure
    // and then holds an empty archive.
    void load(const std::string& path, ZipReading reading = ZipReading::WholeFile);
    // Replaces the content with the archive in `bytes`; `label` names it in error messages.
    void loadBytes(std::string bytes, const std::string& label);
    // The path last given to load() or save().
    const std::string& path() const;

    // All entries in central directory order.
    std::vector<ZipEntryInfo> entries() const;
    // The uncompressed bytes of the entry named exactly `name`, or nothing when there is none.
    // Throws BcfError("file couldn't be read") when the entry can't be extracted, and the
    // budget's error when the archive has already cost all it may.
    std::optional<std::string> read(const std::string& name) const;
    // The same bytes in a buffer that was never zero-filled (a large viewpoint is read and parsed
    // in place at once).
    std::optional<EntryBuffer> readBuffer(const std::string& name) const;
    // The same bytes as a buffer shared by every caller that asks for the entry while one of
    // them still holds it, so that it is extracted and counted once; null when there is none.
    SharedBytes readShared(const std::string& name) const;
    // The bytes of the entry at `index` of entries(), named `name`; throws as read() does.
    std::string readAt(std::uint64_t index, const std::string& name) const;
    // Extracts the entry as read() does, checking it and paying the budget alike, without keeping
    // its bytes: its size, or nothing when there is none.
    std::optional<std::uint64_t> check(const std::string& name) const;
    // Extracts the entry as check() does, paying the budget alike, and tells what writeEntryFrom()
    // needs; nothing when there is none.
    std::optional<EntryCopy> inspect(const std::string& name) const;
    // What the archive has cost so far: every extraction, the trees parsed from them and the
    // model records read from those; reading an archive is what charges it.
    MemoryBudget& budget() const;
    bool contains(const std::string& name) const;

    // Appends an entry to the archive being built. Throws BcfError("write error") for an
    // unsafe or duplicate name, or beyond the ZIP limits. Any number of entries may be written:
    // beyond 65,535 the archive gets ZIP64 records.
    void writeEntry(const std::string& name, std::string bytes);
    // Like writeEntry, without copying: `bytes` must stay alive and unchanged until the archive
    // is finished or saved.
    void writeEntryRef(const std::string& name, const std::string& bytes);
    // Appends an entry holding the bytes of `sourceName` in `source`, as inspect() described them.
    // They are extracted again only while the entry is written, one entry at a time, so that a
    // save never holds every payload at once; `source` must outlive finish() or save(), which fail
    // with "write error" when the entry no longer is what inspect() saw.
    void writeEntryFrom(const std::string& name, const ZipArchive& source, const std::string& sourceName,
                        const EntryCopy& copy);
    // Builds the ZIP file of the entries written so far: deflated at best compression, except
    // payloads that are compressed already (PNG, JPEG, PDF, ZIP-based, random-looking), stored.
    std::string finish() const;
    // Builds the ZIP file into a temporary file beside `path`, which then replaces the file at
    // `path` atomically.
    void save(const std::string& path);

private:
    // Opens the reader over the `size` bytes at `data`, which the archive holds.
    void openReader(const char* data, std::size_t size, const std::string& label);
    // Opens the reader over the file the archive holds open.
    void openFileReader();
    // read(), readBuffer() and check(): extracts the entry into `bytes` (a std::string or an
    // EntryBuffer), or only through when that is null.
    // `charge` is false only for the bytes of an entry copied by writeEntryFrom(), held while that
    // entry is written and paid for by its inspect().
    template <typename Bytes>
    std::optional<std::uint64_t> extract(const std::string& name, Bytes* bytes, bool charge = true) const;
    template <typename Bytes>
    std::uint64_t extractAt(std::int64_t index, const std::string& name, Bytes* bytes, bool charge) const;
    // Extracts the entry at `index`, which libzip describes as `st`, straight from the archive's
    // bytes when it is one for that path; false when libzip must.
    template <typename Bytes>
    bool extractDirectly(std::uint64_t index, const zip_stat& st, Bytes* bytes) const;
    // Adds the entries written so far to a new archive over `target` (a libzip source, whose
    // reference this takes) and closes it, which writes the ZIP file into the target.
    void writeInto(zip_source* target) const;
    // Throws BcfError("write error") unless an entry `name` holding `bytes` may be added.
    void checkNewEntry(const std::string& name, std::uint64_t size) const;

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace bcf
