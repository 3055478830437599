#include "codec/entry_names.h"

#include <cctype>

namespace bcf {

bool isMarkupEntryName(const std::string& name) {
    const std::string suffix = "markup.bcf";
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isGuid(const std::string& text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos &&
           !(name.size() > 1 && name[1] == ':') && name != "." && name != ".." && !isMarkupEntryName(name);
}

std::string unusedName(const std::string& name, const std::function<bool(const std::string&)>& isTaken) {
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = name.substr(stem.size());
    std::string candidate = name;
    for (int number = 2; isTaken(candidate); ++number)
        candidate = stem + " (" + std::to_string(number) + ")" + extension;
    return candidate;
}

} // namespace bcf
