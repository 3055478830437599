// Whole archives: load, fetch every payload, save as 2.1 and as 3.0, load each saved file again
// and compare the topic and document counts; what was saved must fetch and save again, and hold
// nothing the readers do not take.
#include "codec/archive.h"
#include "codec/payloads.h"
#include "fuzz_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

using namespace bcf;
namespace fs = std::filesystem;

namespace {

const fs::path& workDir() {
    static const fs::path dir = [] {
        char name[] = "/tmp/bcf-fuzz-XXXXXX";
        if (!::mkdtemp(name))
            fuzz::finding("no temporary folder");
        return fs::path(name);
    }();
    return dir;
}

// Fetches what can be fetched; a damaged payload is the input's fault, not a finding.
void fetchAll(BcfDocument& loaded, bool mustSucceed) {
    const ZipArchive& source = *loaded.archive;
    BcfData& data = loaded.data;
    auto attempt = [&](auto fetch) {
        try {
            fetch();
        } catch (const BcfError&) {
            if (mustSucceed)
                fuzz::finding("a payload of a saved archive cannot be fetched");
        }
    };
    for (Markup& markup : data.markups)
        for (ViewPoint& viewPoint : markup.viewPoints) {
            attempt([&] { fetchSnapshot(source, markup, viewPoint); });
            attempt([&] { fetchVisualization(source, markup, viewPoint); });
        }
    for (DocumentInfo& document : data.documents)
        attempt([&] { fetchDocument(source, document, data.version); });
}

// 2.1 keeps a document only as an entry of its own, so one without bytes is left out there.
std::size_t documentsAfterSave(const BcfData& data, BcfVersion version) {
    if (version == BcfVersion::V3_0)
        return data.documents.size();
    std::size_t count = 0;
    for (const DocumentInfo& document : data.documents)
        count += document.data.isNull() ? 0 : 1;
    return count;
}

// 2.1 reads every root file that is no BCF file as a document, so the files a 3.0 archive keeps
// at its root may come back as documents of a 2.1 save.
std::size_t keptRootFiles(const BcfData& data, BcfVersion version) {
    if (version != BcfVersion::V2_1)
        return 0;
    return static_cast<std::size_t>(
        std::count_if(data.otherFiles.begin(), data.otherFiles.end(),
                      [](const OtherFile& file) { return file.name.find('/') == std::string::npos; }));
}

std::map<std::string, std::string> entryBytes(const std::string& path);

bool holdsUnread(const BcfData& data) {
    bool unread = !data.unread.empty();
    for (const Markup& markup : data.markups) {
        unread = unread || !markup.unread.empty();
        for (const ViewPoint& viewPoint : markup.viewPoints)
            unread = unread || !viewPoint.visualizationInfo.unread.empty();
    }
    return unread;
}

void saveAndReload(const fs::path& input, BcfVersion version) {
    BcfDocument loaded = loadArchive(input.string());
    fetchAll(loaded, false);
    const BcfData& data = loaded.data;
    const std::string saved = (workDir() / "saved.bcf").string();
    try {
        saveArchive(saved, loaded, version);
    } catch (const BcfError&) {
        return; // refused: fine
    }
    BcfDocument reloadedDocument;
    const BcfData& reloaded = reloadedDocument.data;
    try {
        reloadedDocument = loadArchive(saved);
    } catch (const BcfError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        fuzz::finding("a saved archive does not load");
    }
    if (reloaded.markups.size() != data.markups.size())
        fuzz::finding("a saved archive loads with another number of topics");
    const std::size_t documents = documentsAfterSave(data, version);
    if (reloaded.documents.size() < documents ||
        reloaded.documents.size() > documents + keptRootFiles(data, version))
        fuzz::finding("a saved archive loads with another number of documents");
    fetchAll(reloadedDocument, true);
    if (holdsUnread(reloaded))
        fuzz::finding("a saved archive holds content the readers do not take");
    const std::string again = (workDir() / "again.bcf").string();
    try {
        saveArchive(again, reloadedDocument, version);
    } catch (const BcfError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        fuzz::finding("a saved archive cannot be saved again");
    }
    // What the first save wrote was already what this version holds: saved again it must come out
    // entry for entry the same, nothing lost and nothing changed.
    if (entryBytes(saved) != entryBytes(again))
        fuzz::finding("a second save of a saved archive changes or loses entries");
}

// Every entry of the archive file at `path`, by name, with its bytes.
std::map<std::string, std::string> entryBytes(const std::string& path) {
    ZipArchive archive;
    archive.load(path);
    std::map<std::string, std::string> entries;
    for (const ZipEntryInfo& entry : archive.entries())
        entries[entry.filename] = archive.readAt(entry.index, entry.filename);
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path input = workDir() / "input.bcf";
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    try {
        loadArchive(input.string());
    } catch (const BcfError&) {
        return 0; // refused: fine
    }
    for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0})
        saveAndReload(input, version);
    return 0;
}
