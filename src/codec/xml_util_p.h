// Shared XML reading and writing conventions of every file of a BCF archive.
#pragma once

#include "codec/memory_budget.h"
#include "codec/model.h"

#include <optional>
#include <pugixml.hpp>
#include <string>

namespace bcf::xml {

inline constexpr const char* kXsdNamespace = "http://www.w3.org/2001/XMLSchema";
inline constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// While alive, every tree parsed or built on this thread counts against `budget` too: a parse whose
// tree would not fit fails with the budget's error instead of taking the memory, and so does the
// serialize() of a tree built beyond it.
class ParseBudgetScope {
public:
    explicit ParseBudgetScope(MemoryBudget& budget);
    ~ParseBudgetScope();
    ParseBudgetScope(const ParseBudgetScope&) = delete;
    ParseBudgetScope& operator=(const ParseBudgetScope&) = delete;

private:
    MemoryBudget* previous_;
};

// Counts `bytes` of model records read from the file parsed last against the budget of the
// ParseBudgetScope alive (nothing without one): a file of a few bytes per record (`<Comment/>`)
// cannot make records of hundreds. Beyond the budget throws its error, naming that file.
void chargeRecords(std::uint64_t bytes);

// Parses `bytes` with pugixml's default options, keeping text that is only white space;
// throws BcfError("malformed XML", entryName).
void parse(pugi::xml_document& document, const std::string& bytes, const std::string& entryName);
// The same without copying: the document's texts point into the `size` bytes at `bytes`, which it
// changes and which must outlive it.
void parseInPlace(pugi::xml_document& document, char* bytes, std::size_t size, const std::string& entryName);

// Serialises with the archive's conventions: a declaration with version only, one element per
// line, one tab per level, `<Empty />`, UTF-8 without BOM, line feeds. Carriage returns in
// text are written as "&#13;", in attributes also tabs and line feeds as references, so that
// every text reads back exactly.
std::string serialize(const pugi::xml_document& document);

// Calls `visit` with the `item` children of every `list` child of `parent`, in document order: a
// list that a file repeats is read as one.
template <typename Visit>
void forEachListed(pugi::xml_node parent, const char* list, const char* item, Visit visit) {
    for (pugi::xml_node group : parent.children(list))
        for (pugi::xml_node node : group.children(item))
            visit(node);
}

// The text of the first child element named `name` (empty when there is none).
std::string childText(pugi::xml_node parent, const char* name);
// The text of an element: all its character-data and CDATA children, joined.
std::string text(pugi::xml_node element);
// The value of an attribute (empty when absent).
std::string attribute(pugi::xml_node element, const char* name);

// Appends an element holding `value` as text; an empty value gives a start and an end tag.
pugi::xml_node appendText(pugi::xml_node parent, const char* name, const std::string& value);
// True when `value` holds nothing but white space (the 3.0 schemas collapse it to nothing).
bool isBlank(const std::string& value);
// Appends the element only when `value` is not blank.
void appendTextIfSet(pugi::xml_node parent, const char* name, const std::string& value);
// Appends `xmlns:xsd` and `xmlns:xsi`, the namespace declarations every BCF root carries.
void appendNamespaces(pugi::xml_node root);

// Reads a number as strtod would, independent of the process locale (0 when there is none).
double parseNumber(const std::string& text);
// Writes the shortest text that reads back as the same number, independent of the process locale.
std::string formatNumber(double value);

// Reads an xs:int (surrounding white space and a plus sign allowed); nothing when it is none.
std::optional<int> parseInt(const std::string& text);
// Reads an xs:boolean ("true", "false", "1", "0"); `fallback` for anything else or nothing.
bool parseBool(const std::string& text, bool fallback);
inline const char* boolText(bool value) {
    return value ? "true" : "false";
}
// Appends an optional element: 3.0 leaves out blank values (its types forbid them), 2.1 only
// empty ones (white space is a 2.1 string like any other).
void appendOptional(pugi::xml_node parent, const char* name, const std::string& value, BcfVersion version);
// Sets an optional attribute the same way.
void setOptional(pugi::xml_node element, const char* name, const std::string& value, BcfVersion version);

// True for a BCF 3.0 save: empty optional values are left out there.
inline bool isV3(BcfVersion version) {
    return version == BcfVersion::V3_0;
}

} // namespace bcf::xml
