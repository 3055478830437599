#include "codec/xml_util_p.h"

#include "codec/bcf_error.h"
#include "codec/large_buffer_p.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

namespace bcf::xml {

namespace {

// The budget that parses count against, and what the running parse has allocated so far.
thread_local const MemoryBudget* parseBudget = nullptr;
thread_local bool parsing = false;
thread_local std::uint64_t parsedBytes = 0;
thread_local bool overBudget = false;

// A parse that has taken this much builds the rest of its tree on huge pages (large_buffer_p.h);
// small trees come and go on the heap, which reuses their memory.
constexpr std::uint64_t kLargeTree = 1 << 20;

// Precedes every block handed to pugixml: where it came from.
struct alignas(16) BlockOrigin {
    bool arena;
};

// pugixml allocates a tree in pages and strings through these; a refused allocation makes
// the parse fail with status_out_of_memory. Everything else is plain malloc and free.
void* allocate(std::size_t size) {
    if (parsing && parseBudget) {
        if (!parseBudget->fits(parsedBytes + size)) {
            overBudget = true;
            return nullptr;
        }
    }
    const bool large = parsing && parsedBytes > kLargeTree;
    if (parsing)
        parsedBytes += size;
    void* block = nullptr;
    try {
        block = large ? arenaAllocate(sizeof(BlockOrigin) + size) : std::malloc(sizeof(BlockOrigin) + size);
    } catch (const std::bad_alloc&) {
    }
    if (!block)
        return nullptr;
    return new (block) BlockOrigin{large} + 1;
}

void deallocate(void* data) {
    if (!data)
        return;
    BlockOrigin* origin = static_cast<BlockOrigin*>(data) - 1;
    if (origin->arena)
        arenaFree(origin);
    else
        std::free(origin);
}

const bool allocatorInstalled = [] {
    pugi::set_memory_management_functions(allocate, deallocate);
    return true;
}();

} // namespace

ParseBudgetScope::ParseBudgetScope(const MemoryBudget& budget) : previous_(parseBudget) {
    parseBudget = &budget;
}

ParseBudgetScope::~ParseBudgetScope() {
    parseBudget = previous_;
}

namespace {

// Parses `size` bytes at `data`, in place (the document then refers into them) or from pugixml's
// own copy.
void parseBuffer(pugi::xml_document& document, void* data, std::size_t size, bool inPlace,
                 const std::string& entryName) {
    // Text that is only white space (a tab, a blank) is content too; white space between
    // elements, which always has siblings, is still dropped.
    (void)allocatorInstalled;
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    parsing = true;
    parsedBytes = 0;
    overBudget = false;
    const pugi::xml_parse_result result = inPlace ? document.load_buffer_inplace(data, size, options)
                                                  : document.load_buffer(data, size, options);
    parsing = false;
    if (overBudget && parseBudget)
        parseBudget->exceeded(entryName);
    if (result.status != pugi::status_ok)
        throw BcfError("malformed XML", entryName,
                       std::string(result.description()) + " at offset " + std::to_string(result.offset));
    if (!document.document_element())
        throw BcfError("malformed XML", entryName, "no document element");
}

} // namespace

void parse(pugi::xml_document& document, const std::string& bytes, const std::string& entryName) {
    parseBuffer(document, const_cast<char*>(bytes.data()), bytes.size(), false, entryName);
}

void parseInPlace(pugi::xml_document& document, std::string& bytes, const std::string& entryName) {
    parseBuffer(document, bytes.data(), bytes.size(), true, entryName);
}

namespace {

// Collects pugixml's output. pugixml escapes carriage returns in attributes but writes them raw
// in text, where every reader turns them into line feeds; the writers make no CDATA sections or
// comments, so a raw carriage return can only stand in text and becomes a reference here.
// Output beyond what an archive entry may hold stops the write early.
class TextWriter : public pugi::xml_writer {
public:
    std::string text = "<?xml version=\"1.0\"?>\n";

    void write(const void* data, std::size_t size) override {
        const char* begin = static_cast<const char*>(data);
        const char* end = begin + size;
        while (begin != end) {
            const char* cr = std::find(begin, end, '\r');
            text.append(begin, cr);
            if (cr == end)
                break;
            text += "&#13;";
            begin = cr + 1;
        }
        if (text.size() > kMaxEntryBytes)
            throw BcfError("write error", {}, "XML file larger than 256 MiB");
    }
};

} // namespace

std::string serialize(const pugi::xml_document& document) {
    TextWriter writer;
    document.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.text);
}

std::string text(pugi::xml_node element) {
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return child.value();
    return {};
}

std::string childText(pugi::xml_node parent, const char* name) {
    return text(parent.child(name));
}

std::string attribute(pugi::xml_node element, const char* name) {
    return element.attribute(name).value();
}

pugi::xml_node appendText(pugi::xml_node parent, const char* name, const std::string& value) {
    pugi::xml_node element = parent.append_child(name);
    element.append_child(pugi::node_pcdata).set_value(value.c_str());
    return element;
}

bool isBlank(const std::string& value) {
    for (unsigned char c : value)
        if (!std::isspace(c))
            return false;
    return true;
}

void appendTextIfSet(pugi::xml_node parent, const char* name, const std::string& value) {
    if (!isBlank(value))
        appendText(parent, name, value);
}

void appendNamespaces(pugi::xml_node root) {
    root.append_attribute("xmlns:xsd").set_value(kXsdNamespace);
    root.append_attribute("xmlns:xsi").set_value(kXsiNamespace);
}

std::optional<int> parseInt(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::nullopt;
    if (text[begin] == '+')
        ++begin;
    int value = 0;
    const char* last = text.data() + end + 1;
    const auto result = std::from_chars(text.data() + begin, last, value);
    if (result.ec != std::errc() || result.ptr != last)
        return std::nullopt;
    return value;
}

bool parseBool(const std::string& text, bool fallback) {
    const std::size_t begin = text.find_first_not_of(" \t\r\n");
    const std::string value = begin == std::string::npos
                                  ? std::string()
                                  : text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
    if (value == "true" || value == "1")
        return true;
    if (value == "false" || value == "0")
        return false;
    return fallback;
}

void appendOptional(pugi::xml_node parent, const char* name, const std::string& value, BcfVersion version) {
    if (isV3(version) ? !isBlank(value) : !value.empty())
        appendText(parent, name, value);
}

void setOptional(pugi::xml_node element, const char* name, const std::string& value, BcfVersion version) {
    if (isV3(version) ? !isBlank(value) : !value.empty())
        element.append_attribute(name).set_value(value.c_str());
}

double parseNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && std::isspace(static_cast<unsigned char>(*begin)))
        ++begin;
    if (begin != end && *begin == '+') // from_chars takes no plus sign, strtod does
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars gives up where strtod saturates: to an infinity on overflow, towards zero
        // on underflow. The wider type tells which of the two it is.
        long double wide = 0;
        if (std::from_chars(begin, end, wide).ec != std::errc())
            return 0.0;
        if (std::fabs(wide) > std::numeric_limits<double>::max())
            return wide > 0 ? std::numeric_limits<double>::infinity()
                            : -std::numeric_limits<double>::infinity();
        return static_cast<double>(wide);
    }
    return result.ec == std::errc() ? value : 0.0;
}

std::string formatNumber(double value) {
    // The XML Schema double spells these NaN, INF and -INF; "nan" and "inf" are not numbers to
    // a schema-aware reader.
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    // The shortest text that reads back as the same double: "60", "0.1", "1.7777777777777777".
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace bcf::xml
