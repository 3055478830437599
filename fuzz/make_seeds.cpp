// Writes the seed corpora of the fuzz targets from BCF archives: each archive whole for the
// archive target, and each XML entry into the folder of the reader it belongs to.
// Usage: make_seeds OUT_DIR ARCHIVE...
#include "codec/zip/zip_archive.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The target whose reader reads an entry of this name; empty for payloads.
std::string targetOf(const std::string& name) {
    if (endsWith(name, "markup.bcf"))
        return "markup";
    if (endsWith(name, ".bcfv"))
        return "visinfo";
    if (name == "project.bcfp")
        return "project";
    if (name == "bcf.version")
        return "version";
    if (name == "documents.xml")
        return "documents";
    if (endsWith(name, ".xsd") || name == "extensions.xml")
        return "extensions";
    return {};
}

void write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_seeds OUT_DIR ARCHIVE...\n");
        return 2;
    }
    const fs::path out = argv[1];
    int count = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string stem = "seed" + std::to_string(i);
        try {
            bcf::ZipArchive archive;
            archive.load(argv[i]);
            write(out / "archive" / (stem + ".bcf"),
                  std::string(
                      std::istreambuf_iterator<char>(std::ifstream(argv[i], std::ios::binary).rdbuf()), {}));
            for (const bcf::ZipEntryInfo& entry : archive.entries()) {
                const std::string target = targetOf(entry.filename);
                if (!target.empty())
                    write(out / target / (stem + "-" + std::to_string(entry.index)),
                          *archive.read(entry.filename));
            }
            ++count;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.what());
        }
    }
    std::printf("seeds from %d archives in %s\n", count, out.c_str());
    return count > 0 ? 0 : 1;
}
