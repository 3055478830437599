#include "archive_failure.h"

#include "codec/bcf_error.h"

#include <iostream>

namespace bcf::cli {

int archiveFailure(const std::string& archive, const std::exception& error) {
    const auto* bcfError = dynamic_cast<const BcfError*>(&error);
    if (bcfError && bcfError->reason() == "didn't find end of central directory signature")
        std::cerr << "bcf: " << archive << ": not a BCF archive (no ZIP directory)\n";
    else if (bcfError && bcfError->subject() == archive)
        std::cerr << "bcf: " << error.what() << "\n";
    else
        std::cerr << "bcf: " << archive << ": " << error.what() << "\n";
    return 1;
}

} // namespace bcf::cli
