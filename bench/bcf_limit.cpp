// bcf-limit: the ZIP and XML work of `bcf info` and `bcf convert` done by libzip and pugixml alone,
// the yardstick that bcf-bench times the whole commands against.
//
//   bcf-limit info ARCHIVE        inflate every entry, parse every XML entry
//   bcf-limit convert IN OUT      the same, then deflate every entry at level 9 into OUT (fsynced)

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

// Inflates every entry of the archive at `path` and parses the XML ones.
Entries readArchive(const char* path) {
    int error = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path, ZIP_RDONLY, &error), zip_discard);
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

void writeArchive(const Entries& entries, const char* path) {
    int error = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path, ZIP_CREATE | ZIP_TRUNCATE, &error),
                                                           zip_discard);
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
    // A saved archive is on the disk before the command ends, as bcf's save makes sure.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0)
        fail(std::string("cannot sync ") + path);
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (!((command == "info" && argc == 3) || (command == "convert" && argc == 4))) {
        std::fprintf(stderr, "usage: %s info ARCHIVE | convert IN OUT\n", argv[0]);
        return 2;
    }
    try {
        const Entries entries = readArchive(argv[2]);
        if (command == "convert")
            writeArchive(entries, argv[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bcf-limit: %s\n", error.what());
        return 1;
    }
    return 0;
}
