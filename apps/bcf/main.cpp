// bcf: prints a BCF archive as JSON, converts it between BCF 2.1 and 3.0, writes an issue report
// of it, validates it, or merges archives into it.
#include "archive_failure.h"
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/version.h"
#include "merge_command.h"
#include "model_json.h"
#include "process_memory.h"
#include "report_program.h"
#include "usage.h"
#include "validate_command.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using bcf::cli::kUsage;
using bcf::cli::usageError;

int info(const std::string& path) {
    try {
        auto document = std::make_unique<bcf::BcfDocument>(bcf::loadArchive(path, bcf::ZipReading::OnDemand));
        // The JSON goes straight to stdout: a payload that can't be read is reported in its place,
        // so nothing fails once writing has begun.
        bcf::cli::writeModelJson(std::cout, *document);
#if !defined(__SANITIZE_ADDRESS__)
        // The process ends here: the system takes the model back at once, where freeing it would
        // go piece by piece (a viewpoint of 300,000 components is 600,000 strings). Sanitizer
        // builds free it, so that their leak check stays meaningful.
        static_cast<void>(document.release());
#endif
        return 0;
    } catch (const std::exception& error) {
        return bcf::cli::archiveFailure(path, error);
    }
}

int convert(const std::string& in, const std::string& out, const std::string& to) {
    bcf::BcfDocument document;
    try {
        // Read and written in one go: the archive's bytes are read from the file as needed.
        document = bcf::loadArchive(in, bcf::ZipReading::OnDemand);
    } catch (const std::exception& error) {
        return bcf::cli::archiveFailure(in, error);
    }
    bcf::BcfVersion version = document.data.version;
    if (to == "2.1")
        version = bcf::BcfVersion::V2_1;
    else if (to == "3.0")
        version = bcf::BcfVersion::V3_0;
    try {
        // Each kind of change the target version forced, once, with its count.
        const bcf::SaveNotes notes = bcf::saveArchive(out, document, version);
        for (const bcf::SaveNote& note : notes.all())
            std::cerr << "note: " << note.count << " " << note.text << "\n";
        return 0;
    } catch (const std::exception& error) {
        // Only a failure to write OUT (or its folder) is OUT's; anything else comes from what IN holds.
        const auto* bcfError = dynamic_cast<const bcf::BcfError*>(&error);
        const bool outs = !bcfError || bcfError->subject() == out ||
                          bcfError->reason() == "permission denied" ||
                          bcfError->reason() == "not a regular file";
        return bcf::cli::archiveFailure(outs ? out : in, error);
    }
}

// With TZ unset, glibc reads /etc/localtime again (a stat at least) on every local-time
// conversion, and libzip converts the DOS time of every entry when it opens an archive: 6,000
// stat calls for an archive of 2,000 topics. Naming the same file in TZ makes glibc read it once;
// the zone is the same (and UTC where the file is missing, as before).
void loadTimeZoneOnce() {
    if (std::getenv("TZ") == nullptr)
        ::setenv("TZ", ":/etc/localtime", 0);
}

} // namespace

int main(int argc, char** argv) {
    bcf::cli::prepareHeapForOneCommand();
    loadTimeZoneOnce();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 2 && args[0] == "info")
        return info(args[1]);
    if (!args.empty() && args[0] == "convert") {
        if (args.size() == 3)
            return convert(args[1], args[2], {});
        if (args.size() == 5 && args[3] == "--to") {
            if (args[4] != "2.1" && args[4] != "3.0")
                return usageError("--to takes 2.1 or 3.0, not \"" + args[4] + "\"");
            return convert(args[1], args[2], args[4]);
        }
    }
    if ((args.size() == 2 || (args.size() == 3 && args[2] == "--json")) && args[0] == "validate")
        return bcf::cli::runValidateCommand(args[1], args.size() == 3);
    if (!args.empty() && args[0] == "report")
        return bcf::cli::runReportProgram(argv);
    if (!args.empty() && args[0] == "merge") {
        std::string problem;
        const int code = bcf::cli::runMergeCommand(args, problem);
        return problem.empty() ? code : usageError(problem);
    }
    return usageError("wrong arguments");
}
