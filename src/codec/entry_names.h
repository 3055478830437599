// Entry names that a save makes from names found inside the files (the extension schema,
// document GUIDs and file names, topic GUIDs, viewpoint and snapshot names): checked first, so
// that a saved archive holds nothing a reader would take for another kind of file.
#pragma once

#include <functional>
#include <string>

namespace bcf {

// True for a name that loading takes for a markup file: it ends in "markup.bcf".
bool isMarkupEntryName(const std::string& name);

// True for a GUID text: 8-4-4-4-12 hexadecimal digits (either case) joined by "-".
bool isGuid(const std::string& text);

// True for a name that can be one file of a folder as it is: not empty, no "/", "\\" or NUL,
// no drive letter, not "." or "..", and nothing loading would take for a markup file.
bool isPlainFileName(const std::string& name);

// `name` when `isTaken` says it is free, else the first free of "stem (2).ext", "stem (3).ext", ...
// (the number goes before the last extension; a name starting with its only dot has none).
std::string unusedName(const std::string& name, const std::function<bool(const std::string&)>& isTaken);

} // namespace bcf
