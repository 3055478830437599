// bcf-bench: generates a large BCF 2.1 and 3.0 archive and times the codec's load, payload fetch
// and save of it, each beside the same ZIP and XML work done by libzip and pugixml alone; then
// times the whole commands `bcf info`, `bcf convert` and `bcf report` as a user runs them, beside
// bcf-limit, the same ZIP and XML work as a program of its own.
//
//   bcf-bench [--topics N] [--runs N] [--keep DIR] [--components N] [--command-runs N]
//             [--bcf [NAME=]PATH]... [--commands-only]

#include "command_runner.h"
#include "synthetic_archive.h"

#include "codec/archive.h"
#include "codec/model.h"
#include "codec/payloads.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zip.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using ZipHandle = std::unique_ptr<zip_t, decltype(&zip_discard)>;
using SourceHandle = std::unique_ptr<zip_source_t, decltype(&zip_source_free)>;
using Entries = std::vector<std::pair<std::string, std::string>>;

constexpr std::size_t kSnapshotBytes = 20 * 1024;

struct Options {
    int topics = 2000;
    int runs = 3;
    std::string keep;
    int components = 300000;
    int commandRuns = 5;
    // The bcf programs whose commands are timed, by name: the one built beside this bench unless
    // --bcf names others (an older build, to compare before and after in one run).
    std::vector<std::pair<std::string, std::string>> tools;
    bool commandsOnly = false;
};

[[noreturn]] void usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--topics N] [--runs N] [--keep DIR] [--components N] [--command-runs N]\n"
                 "          [--bcf [NAME=]PATH]... [--commands-only]\n",
                 program);
    std::exit(2);
}

int positiveNumber(const char* program, const std::string& text) {
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size() && value > 0)
            return value;
    } catch (const std::exception&) {
    }
    usage(program);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--commands-only") {
            options.commandsOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            usage(argv[0]);
        const std::string value = argv[++i];
        if (arg == "--topics")
            options.topics = positiveNumber(argv[0], value);
        else if (arg == "--runs")
            options.runs = positiveNumber(argv[0], value);
        else if (arg == "--keep")
            options.keep = value;
        else if (arg == "--components")
            options.components = positiveNumber(argv[0], value);
        else if (arg == "--command-runs")
            options.commandRuns = positiveNumber(argv[0], value);
        else if (arg == "--bcf") {
            const std::size_t equals = value.find('=');
            const std::string path = equals == std::string::npos ? value : value.substr(equals + 1);
            options.tools.emplace_back(equals == std::string::npos
                                           ? "bcf " + std::to_string(options.tools.size() + 1)
                                           : value.substr(0, equals),
                                       fs::absolute(path).string());
        } else
            usage(argv[0]);
    }
    if (options.tools.empty())
        options.tools.emplace_back("bcf", BCF_TOOL);
    return options;
}

// Peak resident set of the process so far (ru_maxrss, KiB on Linux), in MiB.
double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Current resident set, from /proc/self/statm, in MiB (0 when unavailable).
double currentRssMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    if (!(statm >> pages >> resident))
        return 0;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The best wall time of `runs` runs of `work`, each after an untimed `setup`.
double bestOf(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        setup();
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start).count());
    }
    return best;
}

double bestOf(int runs, const std::function<void()>& work) {
    return bestOf(
        runs, [] {}, work);
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        fail("cannot open " + path);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        fail("cannot read " + path);
    return bytes;
}

void writeFileSynced(const std::string& path, const std::string& bytes, double& fsyncSeconds) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("cannot create " + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            fail("cannot write " + path);
        }
        done += static_cast<std::size_t>(n);
    }
    const auto start = Clock::now();
    const int synced = ::fsync(fd);
    fsyncSeconds = Seconds(Clock::now() - start).count();
    if (::close(fd) != 0 || synced != 0)
        fail("cannot write " + path);
}

// A libzip reader over `bytes`, which must outlive it.
ZipHandle openZip(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    SourceHandle source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error), zip_source_free);
    if (!source)
        fail("zip source failed");
    zip_t* archive = zip_open_from_source(source.get(), ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive)
        fail("zip open failed");
    source.release();
    return ZipHandle(archive, zip_discard);
}

std::string readEntry(zip_t* archive, zip_uint64_t index) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, index, 0, &st) != 0)
        fail("zip stat failed");
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive, index, 0), zip_fclose);
    if (!file)
        fail("zip fopen failed");
    std::string bytes(static_cast<std::size_t>(st.size), '\0');
    if (zip_fread(file.get(), bytes.data(), bytes.size()) != static_cast<zip_int64_t>(bytes.size()))
        fail("zip read failed");
    return bytes;
}

Entries readAllEntries(const std::string& path) {
    const std::string bytes = readFile(path);
    ZipHandle archive = openZip(bytes);
    Entries entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        entries.emplace_back(zip_get_name(archive.get(), index, 0), readEntry(archive.get(), index));
    }
    return entries;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The XML files a load reads: everything but the payloads (snapshots and viewpoint files).
bool isLoadedXml(const std::string& name) {
    return name == "bcf.version" || name == "project.bcfp" || name == "extensions.xml" ||
           name == "extensions.xsd" || name == "documents.xml" || endsWith(name, "markup.bcf");
}

// Raw load: read the file, open it with libzip, inflate every XML entry and parse it with pugixml.
std::size_t rawLoad(const std::string& path) {
    const std::string bytes = readFile(path);
    ZipHandle archive = openZip(bytes);
    std::size_t parsed = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive.get(), index, 0);
        if (!name || !isLoadedXml(name))
            continue;
        const std::string xml = readEntry(archive.get(), index);
        pugi::xml_document document;
        if (document.load_buffer(xml.data(), xml.size()).status != pugi::status_ok)
            fail(std::string("XML parse failed: ") + name);
        ++parsed;
    }
    return parsed;
}

// Raw fetch: locate and inflate each named entry of an open archive.
std::size_t rawFetch(zip_t* archive, const std::vector<std::string>& names) {
    std::size_t total = 0;
    for (const std::string& name : names) {
        const zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
        if (index < 0)
            fail("no entry " + name);
        total += readEntry(archive, static_cast<zip_uint64_t>(index)).size();
    }
    return total;
}

// Raw save: deflate the entries at level 9 into a libzip memory buffer, then write and fsync the file.
std::size_t rawSave(const Entries& entries, const std::string& path, double& fsyncSeconds) {
    zip_error_t error;
    zip_error_init(&error);
    SourceHandle target(zip_source_buffer_create(nullptr, 0, 0, &error), zip_source_free);
    if (!target)
        fail("zip target failed");
    zip_source_keep(target.get());
    ZipHandle writer(zip_open_from_source(target.get(), ZIP_CREATE | ZIP_TRUNCATE, &error), zip_discard);
    zip_error_fini(&error);
    if (!writer) {
        zip_source_free(target.get());
        fail("zip create failed");
    }
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(writer.get(), bytes.data(), bytes.size(), 0);
        if (!source)
            fail("zip source failed");
        const zip_int64_t index = zip_file_add(writer.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail("zip add failed");
        }
        if (zip_set_file_compression(writer.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) != 0)
            fail("zip compression failed");
    }
    if (zip_close(writer.get()) != 0)
        fail("zip close failed");
    writer.release();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(target.get(), &st) != 0 || zip_source_open(target.get()) != 0)
        fail("zip target unreadable");
    std::string archive(static_cast<std::size_t>(st.size), '\0');
    const zip_int64_t n = zip_source_read(target.get(), archive.data(), archive.size());
    zip_source_close(target.get());
    if (n != static_cast<zip_int64_t>(archive.size()))
        fail("zip target short");
    writeFileSynced(path, archive, fsyncSeconds);
    return archive.size();
}

const char* versionText(bcf::BcfVersion version) {
    return version == bcf::BcfVersion::V2_1 ? "2.1" : "3.0";
}

struct Row {
    std::string operation;
    double ours;
    double raw;
};

class Report {
public:
    void memory(const std::string& phase) { memory_.push_back({phase, peakRssMiB(), currentRssMiB()}); }
    void size(const std::string& what, const std::string& path) {
        sizes_.emplace_back(what, static_cast<std::uintmax_t>(fs::file_size(path)));
    }
    void row(std::string operation, double ours, double raw) {
        rows_.push_back({std::move(operation), ours, raw});
    }
    void note(std::string text) { notes_.push_back(std::move(text)); }

    void print() const {
        std::printf("\nArchive sizes\n");
        for (const auto& [what, bytes] : sizes_)
            std::printf("  %-34s %12ju bytes (%.1f MiB)\n", what.c_str(), bytes,
                        static_cast<double>(bytes) / (1024.0 * 1024.0));

        std::printf("\nTimes (best of runs)\n");
        std::printf("  %-34s %10s %10s %7s\n", "operation", "ours ms", "raw ms", "ratio");
        for (const Row& r : rows_)
            std::printf("  %-34s %10.1f %10.1f %7.2f\n", r.operation.c_str(), r.ours * 1e3, r.raw * 1e3,
                        r.ours / r.raw);

        std::printf("\nMemory after each phase (ours, then the raw baseline; the peak never decreases)\n");
        std::printf("  %-34s %14s %14s\n", "phase", "peak RSS MiB", "RSS now MiB");
        for (const Memory& m : memory_)
            std::printf("  %-34s %14.1f %14.1f\n", m.phase.c_str(), m.peak, m.now);

        if (!notes_.empty()) {
            std::printf("\nNotes\n");
            for (const std::string& text : notes_)
                std::printf("  %s\n", text.c_str());
        }
    }

private:
    struct Memory {
        std::string phase;
        double peak;
        double now;
    };
    std::vector<std::pair<std::string, std::uintmax_t>> sizes_;
    std::vector<Row> rows_;
    std::vector<Memory> memory_;
    std::vector<std::string> notes_;
};

// Removes the generated files at the end unless they are to be kept.
class WorkDirectory {
public:
    explicit WorkDirectory(const std::string& keep) {
        if (!keep.empty()) {
            fs::create_directories(keep);
            path_ = keep;
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "bcf-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            fail("cannot create a temporary folder");
        path_ = pattern;
        owned_ = true;
    }
    ~WorkDirectory() {
        if (owned_) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    bool owned_ = false;
};

// Snapshot entries of an archive: their total uncompressed and stored (compressed) bytes.
std::pair<std::uint64_t, std::uint64_t> snapshotStorage(const std::string& path) {
    const std::string bytes = readFile(path);
    ZipHandle archive = openZip(bytes);
    std::uint64_t raw = 0;
    std::uint64_t stored = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) == 0 && st.name &&
            endsWith(st.name, ".png")) {
            raw += st.size;
            stored += st.comp_size;
        }
    }
    return {raw, stored};
}

void fetchAll(bcf::BcfDocument& document) {
    for (bcf::Markup& markup : document.data.markups)
        for (bcf::ViewPoint& viewPoint : markup.viewPoints) {
            bcf::fetchSnapshot(*document.archive, markup, viewPoint);
            bcf::fetchVisualization(*document.archive, markup, viewPoint);
        }
}

void checkLoaded(const bcf::BcfData& data, int topics, const std::string& path) {
    if (data.markups.size() != static_cast<std::size_t>(topics))
        fail(path + ": loaded " + std::to_string(data.markups.size()) + " topics");
    for (const bcf::Markup& markup : data.markups)
        if (markup.comments.size() != 3 || markup.viewPoints.size() != 1)
            fail(path + ": topic " + markup.topic.guid + " lost comments or viewpoints");
}

void checkFetched(const bcf::BcfData& data, const std::string& path) {
    for (const bcf::Markup& markup : data.markups)
        for (const bcf::ViewPoint& viewPoint : markup.viewPoints)
            if (viewPoint.snapshotData.size() < kSnapshotBytes || viewPoint.visualizationMissing ||
                viewPoint.visualizationInfo.selection.size() != 4)
                fail(path + ": payloads of topic " + markup.topic.guid + " were not fetched");
}

void benchVersion(const Options& options, const WorkDirectory& work, bcf::BcfVersion version,
                  Report& report) {
    const std::string from = versionText(version);
    const std::string path = work.file("synthetic-" + from + ".bcf");

    // Loading.
    bcf::BcfDocument document;
    const bcf::BcfData& data = document.data;
    const double loadOurs = bestOf(
        options.runs, [&] { document = bcf::BcfDocument(); }, [&] { document = bcf::loadArchive(path); });
    checkLoaded(data, options.topics, path);
    report.memory("load " + from);
    std::size_t xmlEntries = 0;
    const double loadRaw = bestOf(options.runs, [&] { xmlEntries = rawLoad(path); });
    report.row("load " + from, loadOurs, loadRaw);
    report.note("load " + from + ": raw read and parsed " + std::to_string(xmlEntries) + " XML entries");
    report.memory("load " + from + " raw");

    // Fetching every payload of a freshly loaded model.
    std::vector<std::string> payloadNames;
    for (const bcf::Markup& markup : data.markups)
        for (const bcf::ViewPoint& viewPoint : markup.viewPoints) {
            payloadNames.push_back(bcf::payloadEntryName(markup, viewPoint.snapshot));
            payloadNames.push_back(bcf::payloadEntryName(markup, viewPoint.viewpoint));
        }
    const double fetchOurs = bestOf(
        options.runs,
        [&] {
            document = bcf::BcfDocument();
            document = bcf::loadArchive(path);
        },
        [&] { fetchAll(document); });
    checkFetched(data, path);
    report.memory("fetch " + from);
    double fetchRaw = 0;
    {
        const std::string archiveBytes = readFile(path);
        const ZipHandle archive = openZip(archiveBytes);
        fetchRaw = bestOf(options.runs, [&] { rawFetch(archive.get(), payloadNames); });
    }
    report.row("fetch " + from + " (" + std::to_string(payloadNames.size()) + " entries)", fetchOurs,
               fetchRaw);
    report.memory("fetch " + from + " raw");

    // Saving the fully fetched model in both versions.
    for (const bcf::BcfVersion to : {bcf::BcfVersion::V2_1, bcf::BcfVersion::V3_0}) {
        const std::string label = "save " + from + " as " + versionText(to);
        const std::string ours = work.file("saved-" + from + "-as-" + versionText(to) + ".bcf");
        const std::string raw = work.file("raw-" + from + "-as-" + versionText(to) + ".bcf");
        const double saveOurs = bestOf(options.runs, [&] { bcf::saveArchive(ours, document, to); });
        report.memory(label);
        const Entries entries = readAllEntries(ours);
        double fsyncBest = std::numeric_limits<double>::infinity();
        const double saveRaw = bestOf(options.runs, [&] {
            double fsyncSeconds = 0;
            rawSave(entries, raw, fsyncSeconds);
            fsyncBest = std::min(fsyncBest, fsyncSeconds);
        });
        report.row(label, saveOurs, saveRaw);
        report.size(label + " (ours)", ours);
        report.size(label + " (raw libzip)", raw);
        char text[128];
        std::snprintf(text, sizeof text, "%s: %zu entries; raw includes fsync, best %.1f ms", label.c_str(),
                      entries.size(), fsyncBest * 1e3);
        report.note(text);
        report.memory(label + " raw");
    }
}

// Writes synthetic-2.1.bcf, synthetic-3.0.bcf and components.bcf in a child process.
void generateArchives(const Options& options, const WorkDirectory& work) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0)
        fail("cannot fork");
    if (child == 0) {
        try {
            const bcf::BcfData model = bcfbench::makeSyntheticModel(options.topics, kSnapshotBytes);
            for (const bcf::BcfVersion version : {bcf::BcfVersion::V2_1, bcf::BcfVersion::V3_0}) {
                bcf::BcfDocument copy{model};
                bcf::saveArchive(work.file(std::string("synthetic-") + versionText(version) + ".bcf"), copy,
                                 version);
            }
            bcf::BcfDocument components{
                bcfbench::makeComponentsModel(static_cast<std::size_t>(options.components))};
            bcf::saveArchive(work.file("components.bcf"), components, bcf::BcfVersion::V3_0);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bcf-bench: generating: %s\n", error.what());
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("generating the archives failed");
}

// The whole commands, each tool's beside bcf-limit's, run after run in turn. A report is weighed
// against the same tool's `bcf info` of the archive, the work of reading it.
std::string benchCommands(const Options& options, const WorkDirectory& work) {
    const std::string archive = work.file("synthetic-3.0.bcf");
    const std::string components = work.file("components.bcf");
    const std::string topics = std::to_string(options.topics) + " topics";
    std::vector<bcfbench::Command> commands;
    const auto add = [&](const std::string& group, const std::string& tool, std::vector<std::string> argv) {
        commands.push_back({group, tool, std::move(argv)});
    };
    const std::vector<std::string> groups = {"info " + topics, "convert " + topics + " --to 3.0",
                                             "info " + std::to_string(options.components) + " components"};
    for (const auto& [name, path] : options.tools)
        add(groups[0], name, {path, "info", archive});
    add(groups[0], "limit", {BCF_LIMIT, "info", archive});
    add(groups[0], "limit-mem", {BCF_LIMIT, "info", archive, "--in-memory"});
    for (std::size_t i = 0; i < options.tools.size(); ++i)
        add(groups[1], options.tools[i].first,
            {options.tools[i].second, "convert", archive, work.file("out-" + std::to_string(i) + ".bcf"),
             "--to", "3.0"});
    add(groups[1], "limit", {BCF_LIMIT, "convert", archive, work.file("out-limit.bcf")});
    add(groups[1], "limit-mem", {BCF_LIMIT, "convert", archive, work.file("out-limit.bcf"), "--in-memory"});
    for (const auto& [name, path] : options.tools)
        add(groups[2], name, {path, "info", components});
    add(groups[2], "limit", {BCF_LIMIT, "info", components});
    add(groups[2], "limit-mem", {BCF_LIMIT, "info", components, "--in-memory"});
    for (const char* format : {"pdf", "xlsx", "csv"})
        for (std::size_t i = 0; i < options.tools.size(); ++i)
            add(std::string("report ") + topics + " " + format, options.tools[i].first,
                {options.tools[i].second, "report", archive,
                 work.file("report-" + std::to_string(i) + "." + format)});

    std::printf("timing the whole commands...\n");
    std::fflush(stdout);
    std::string table;
    char line[256];
    std::snprintf(line, sizeof line,
                  "\nWhole commands: median of %d runs taking turns, standard output to /dev/null, peak of "
                  "the runs; cpu: user and system time\n",
                  options.commandRuns);
    table += line;
    const std::vector<bcfbench::CommandTimes> times = bcfbench::runAlternating(commands, options.commandRuns);
    const auto medianOf = [&](const std::string& group, const std::string& tool) {
        for (std::size_t i = 0; i < commands.size(); ++i)
            if (commands[i].group == group && commands[i].tool == tool)
                return times[i].median();
        return 0.0;
    };
    const auto cpuOf = [&](const std::string& group, const std::string& tool) {
        for (std::size_t i = 0; i < commands.size(); ++i)
            if (commands[i].group == group && commands[i].tool == tool)
                return times[i].medianCpu();
        return 0.0;
    };
    std::snprintf(line, sizeof line, "  %-34s %-10s %9s %9s %9s %9s %9s %9s %9s %9s\n", "command", "tool",
                  "median s", "min s", "max s", "peak MiB", "/limit", "/lim-mem", "cpu s", "cpu/limit");
    table += line;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const bcfbench::Command& command = commands[i];
        const bool report = command.group.rfind("report", 0) == 0;
        // Against both limits of the same work; a report against the tool's own info of the archive.
        const double median = times[i].median();
        const auto [low, high] = std::minmax_element(times[i].seconds.begin(), times[i].seconds.end());
        char ratios[64];
        if (report)
            std::snprintf(ratios, sizeof ratios, "%8.2fx of info",
                          median / medianOf(groups[0], command.tool));
        else
            std::snprintf(ratios, sizeof ratios, "%8.2fx %8.2fx", median / medianOf(command.group, "limit"),
                          median / medianOf(command.group, "limit-mem"));
        // User and system time, which other programs on a shared machine do not stretch; a report's
        // against its tool's info, as above.
        const double cpu = times[i].medianCpu();
        const double limitCpu = report ? cpuOf(groups[0], command.tool) : cpuOf(command.group, "limit");
        char cpuRatio[16] = "";
        if (limitCpu > 0)
            std::snprintf(cpuRatio, sizeof cpuRatio, "%8.2fx", cpu / limitCpu);
        std::snprintf(line, sizeof line, "  %-34s %-10s %9.3f %9.3f %9.3f %9.1f %-19s %9.3f %s\n",
                      i > 0 && commands[i - 1].group == command.group ? "" : command.group.c_str(),
                      command.tool.c_str(), median, *low, *high, times[i].peakMiB, ratios, cpu, cpuRatio);
        table += line;
    }
    return table;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    try {
        const WorkDirectory work(options.keep);
        Report report;
        std::printf(
            "bcf-bench: %d topics (3 comments, 1 viewpoint, %zu-byte random PNG each), best of %d runs\n",
            options.topics, kSnapshotBytes, options.runs);
        std::printf("libzip %s, pugixml %d.%d, folder %s\n", zip_libzip_version(), PUGIXML_VERSION / 1000,
                    PUGIXML_VERSION % 1000 / 10, work.path().c_str());
        std::fflush(stdout);

        // Generated in a process of its own, so that this one stays small until the commands have
        // run: a child's peak memory as the kernel counts it starts from its parent's at the start.
        const auto start = Clock::now();
        generateArchives(options, work);
        const double generationSeconds = Seconds(Clock::now() - start).count();
        for (const char* version : {"2.1", "3.0"})
            report.size(std::string("generated ") + version,
                        work.file(std::string("synthetic-") + version + ".bcf"));
        report.size(std::to_string(options.components) + " components", work.file("components.bcf"));
        const std::string commandTable = benchCommands(options, work);

        const auto [pngRaw, pngStored] = snapshotStorage(work.file("synthetic-3.0.bcf"));
        char text[160];
        std::snprintf(
            text, sizeof text, "generation took %.1f s; snapshots: %ju bytes, %ju bytes in the ZIP (%.3f)",
            generationSeconds, static_cast<std::uintmax_t>(pngRaw), static_cast<std::uintmax_t>(pngStored),
            pngRaw ? static_cast<double>(pngStored) / static_cast<double>(pngRaw) : 0.0);
        report.note(text);

        if (!options.commandsOnly) {
            benchVersion(options, work, bcf::BcfVersion::V2_1, report);
            benchVersion(options, work, bcf::BcfVersion::V3_0, report);
        }
        report.print();
        std::fputs(commandTable.c_str(), stdout);
        if (!options.keep.empty())
            std::printf("\narchives kept in %s\n", work.path().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bcf-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
