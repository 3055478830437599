#include "usage.h"

#include <iostream>

namespace bcf::cli {

const char* const kUsage =
    "usage: bcf info ARCHIVE\n"
    "       bcf convert IN OUT [--to 2.1|3.0]\n"
    "       bcf report ARCHIVE OUT.pdf|OUT.xlsx|OUT.csv [--status S]... [--type T]...\n"
    "                  [--label L]... [--letter] [--lang de|en]\n"
    "       bcf validate ARCHIVE [--json]\n"
    "       bcf merge BASE OTHER... -o OUT [--to 2.1|3.0] [--json]\n"
    "       bcf --help\n";

int usageError(const std::string& message) {
    std::cerr << "bcf: " << message << "\n" << kUsage;
    return 2;
}

} // namespace bcf::cli
