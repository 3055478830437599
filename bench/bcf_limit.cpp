// bcf-limit: the ZIP and XML work of `bcf info` and `bcf convert` done by libzip and pugixml alone,
// the yardstick that bcf-bench times the whole commands against.
//
//   bcf-limit info ARCHIVE        inflate every entry, parse every XML entry
//   bcf-limit convert IN OUT      the same, then deflate every entry at level 9 into OUT (fsynced)
//
// libzip reads and writes the files itself. With --in-memory the archive file is read whole and
// opened from memory, and the new archive is built in a memory buffer, then written and fsynced,
// as bcf-bench's in-process baseline does.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zip.h>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

bool endsWith(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// Every file of a BCF archive that holds XML: markup, viewpoints, version, project, extensions,
// documents.
bool isXml(const std::string& name) {
    for (const char* suffix : {".bcf", ".bcfv", ".version", ".bcfp", ".xml", ".xsd"})
        if (endsWith(name, suffix))
            return true;
    return false;
}

std::string readFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    const off_t size = fd < 0 ? -1 : ::lseek(fd, 0, SEEK_END);
    std::string bytes(static_cast<std::size_t>(std::max<off_t>(size, 0)), '\0');
    if (size < 0 || ::pread(fd, bytes.data(), bytes.size(), 0) != size || ::close(fd) != 0)
        fail(std::string("cannot read ") + path);
    return bytes;
}

void writeSynced(const char* path, const char* data, std::size_t size) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size) || ::fsync(fd) != 0 ||
        ::close(fd) != 0)
        fail(std::string("cannot write ") + path);
}

// Inflates every entry of the archive at `path` and parses the XML ones; `fileBytes` holds the
// whole archive file when it is read into memory.
Entries readArchive(const char* path, bool inMemory, std::string& fileBytes) {
    zip_t* opened = nullptr;
    int error = 0;
    if (inMemory) {
        fileBytes = readFile(path);
        zip_error_t sourceError;
        zip_error_init(&sourceError);
        zip_source_t* source = zip_source_buffer_create(fileBytes.data(), fileBytes.size(), 0, &sourceError);
        opened = source ? zip_open_from_source(source, ZIP_RDONLY, &sourceError) : nullptr;
        if (source && !opened)
            zip_source_free(source);
        zip_error_fini(&sourceError);
    } else {
        opened = zip_open(path, ZIP_RDONLY, &error);
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(opened, zip_discard);
    if (!archive)
        fail(std::string("cannot open ") + path);
    Entries entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), i, 0, &st) != 0 || !st.name)
            fail("zip stat failed");
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive.get(), i, 0),
                                                                zip_fclose);
        std::string bytes(static_cast<std::size_t>(st.size), '\0');
        if (!file || zip_fread(file.get(), bytes.data(), bytes.size()) != static_cast<zip_int64_t>(st.size))
            fail(std::string("cannot read ") + st.name);
        if (isXml(st.name)) {
            pugi::xml_document document;
            if (document.load_buffer(bytes.data(), bytes.size()).status != pugi::status_ok)
                fail(std::string("XML parse failed: ") + st.name);
        }
        entries.emplace_back(st.name, std::move(bytes));
    }
    return entries;
}

void writeArchive(const Entries& entries, const char* path, bool inMemory) {
    int error = 0;
    zip_source_t* target = nullptr;
    zip_t* opened = nullptr;
    if (inMemory) {
        zip_error_t targetError;
        zip_error_init(&targetError);
        target = zip_source_buffer_create(nullptr, 0, 0, &targetError);
        if (target) {
            zip_source_keep(target);
            opened = zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &targetError);
        }
        zip_error_fini(&targetError);
    } else {
        opened = zip_open(path, ZIP_CREATE | ZIP_TRUNCATE, &error);
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(opened, zip_discard);
    if (!archive)
        fail(std::string("cannot create ") + path);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive.get(), bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            fail("cannot add " + name);
        }
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) != 0)
            fail("cannot deflate " + name);
    }
    if (zip_close(archive.get()) != 0)
        fail(std::string("cannot write ") + path);
    archive.release();
    if (inMemory) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_source_stat(target, &st) != 0 || zip_source_open(target) != 0)
            fail("cannot read the archive back");
        std::string bytes(static_cast<std::size_t>(st.size), '\0');
        if (zip_source_read(target, bytes.data(), bytes.size()) != static_cast<zip_int64_t>(bytes.size()))
            fail("cannot read the archive back");
        zip_source_close(target);
        zip_source_free(target);
        writeSynced(path, bytes.data(), bytes.size());
        return;
    }
    // A saved archive is on the disk before the command ends, as bcf's save makes sure.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0)
        fail(std::string("cannot sync ") + path);
}

} // namespace

int main(int argc, char** argv) {
    const bool inMemory = argc > 1 && std::strcmp(argv[argc - 1], "--in-memory") == 0;
    if (inMemory)
        --argc;
    const std::string command = argc > 1 ? argv[1] : "";
    if (!((command == "info" && argc == 3) || (command == "convert" && argc == 4))) {
        std::fprintf(stderr, "usage: %s info ARCHIVE | convert IN OUT [--in-memory]\n", argv[0]);
        return 2;
    }
    try {
        std::string file;
        const Entries entries = readArchive(argv[2], inMemory, file);
        if (command == "convert")
            writeArchive(entries, argv[3], inMemory);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bcf-limit: %s\n", error.what());
        return 1;
    }
    return 0;
}
