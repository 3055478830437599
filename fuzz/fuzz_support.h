// Shared checks of the fuzz targets: a finding aborts, which libFuzzer records with its input.
#pragma once

#include "codec/bcf_error.h"
#include "codec/xml_util_p.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bcf::fuzz {

[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

inline std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Parses what a writer produced: writers must always give well-formed XML.
inline void parseWritten(pugi::xml_document& document, const std::string& text) {
    try {
        xml::parse(document, text, "written");
    } catch (const BcfError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        finding("a writer produced XML that does not parse");
    }
}

// Reads `bytes` (nothing to do when they are not XML or the reader refuses them), writes the
// model and reads it again. `same(first, second)` says whether the second model keeps what the
// writer must keep of the first; a second write and read must then change nothing at all.
template <typename Read, typename Write, typename Same>
void roundTrip(const std::string& bytes, Read read, Write write, Same same) {
    pugi::xml_document input;
    try {
        xml::parse(input, bytes, "input");
        const auto first = read(input);
        pugi::xml_document written;
        parseWritten(written, write(first));
        const auto second = read(written);
        if (!same(first, second))
            finding("a write and read changed the model");
        // Compared as written text: a NaN coordinate never equals itself as a model value.
        const std::string secondText = write(second);
        pugi::xml_document rewritten;
        parseWritten(rewritten, secondText);
        if (write(read(rewritten)) != secondText)
            finding("a second write and read changed the model");
    } catch (const BcfError&) {
        // refused input: fine
    }
}

} // namespace bcf::fuzz
