#include "validate/validation.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace bcf {

namespace {

// The folder of the program or library this code was linked into.
std::filesystem::path moduleFolder() {
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) == 0 || !info.dli_fname)
        return {};
    std::error_code error;
    const std::filesystem::path module = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path() : module.parent_path();
}

bool holdsSchemas(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "3.0" / "markup.xsd", error) &&
           std::filesystem::is_regular_file(folder / "2.1" / "markup.xsd", error);
}

} // namespace

std::string findSchemaDirectory() {
    const std::filesystem::path module = moduleFolder();
    if (module.empty())
        return {};
    // Installed: the schemas lie in the data folder, reached from the program's folder or, when
    // the code is part of the library, from the library's.
    for (const char* relative : {BCF_BIN_TO_SCHEMAS, BCF_LIB_TO_SCHEMAS})
        if (holdsSchemas(module / relative))
            return (module / relative).lexically_normal().string();
    // A binary of the build tree uses the copies in the source tree.
    std::error_code error;
    const std::filesystem::path build = std::filesystem::weakly_canonical(BCF_BUILD_DIR, error);
    const auto [end, unused] = std::mismatch(build.begin(), build.end(), module.begin(), module.end());
    if (!error && end == build.end() && holdsSchemas(BCF_SOURCE_SCHEMAS))
        return BCF_SOURCE_SCHEMAS;
    return {};
}

} // namespace bcf
