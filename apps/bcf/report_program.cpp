#include "report_program.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bcf::cli {

namespace {

// The folder of the running program (resolved through /proc), empty when it can't be told.
std::string programFolder() {
    std::vector<char> path(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            const std::string file(path.data(), static_cast<std::size_t>(length));
            const std::size_t slash = file.rfind('/');
            return slash == std::string::npos ? std::string() : file.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

int runReportProgram(char** argv) {
    const std::string folder = programFolder();
    if (folder.empty()) {
        std::cerr << "bcf: report: cannot find the folder of the bcf program: " << std::strerror(errno)
                  << "\n";
        return 1;
    }
    // In the build tree bcf-report lies beside bcf; installed, in the tools' libexec folder.
    std::string tried;
    for (const char* relative : {"bcf-report", BCF_BIN_TO_REPORT}) {
        const std::string program = folder + "/" + relative;
        ::execv(program.c_str(), argv);
        if (errno != ENOENT) {
            std::cerr << "bcf: report: cannot run " << program << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        tried += (tried.empty() ? "" : ", ") + program;
    }
    std::cerr << "bcf: report: the report program is not installed (looked for " << tried << ")\n";
    return 1;
}

} // namespace bcf::cli
