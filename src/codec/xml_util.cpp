#include "codec/xml_util_p.h"

#include "codec/bcf_error.h"
#include "codec/large_buffer_p.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <locale.h>
#include <new>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bcf::xml {

namespace {

// The budget that trees count against, and what the tree being parsed or built has allocated so far.
thread_local MemoryBudget* parseBudget = nullptr;
thread_local std::string parsedEntry;
thread_local std::uint64_t parsedBytes = 0;
thread_local bool overBudget = false;

// A parse that has taken this much builds the rest of its tree in mapped chunks (large_buffer_p.h),
// which go back to the system with the tree; small trees come and go on the heap, which reuses
// their memory.
constexpr std::uint64_t kLargeTree = 1 << 20;

// Precedes every block handed to pugixml: where it came from.
struct alignas(16) BlockOrigin {
    bool arena;
};

// pugixml allocates a tree in pages and strings through these; a refused allocation makes
// the parse fail with status_out_of_memory, and leaves a tree being built without the node or
// text, which serialize() then refuses. Everything else is plain malloc and free.
void* allocate(std::size_t size) {
    if (parseBudget) {
        if (!parseBudget->fits(parsedBytes + size)) {
            overBudget = true;
            return nullptr;
        }
    }
    const bool large = parseBudget && parsedBytes > kLargeTree;
    if (parseBudget)
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

ParseBudgetScope::ParseBudgetScope(MemoryBudget& budget) : previous_(parseBudget) {
    parseBudget = &budget;
}

ParseBudgetScope::~ParseBudgetScope() {
    parseBudget = previous_;
}

void chargeRecords(std::uint64_t bytes) {
    // The records are read while the tree they come from is still alive: both must fit.
    if (parseBudget && !parseBudget->fits(parsedBytes + bytes))
        parseBudget->exceeded(parsedEntry);
    if (parseBudget)
        parseBudget->charge(bytes, parsedEntry);
}

namespace {

// The encoding of an XML file, which the parse is then told: UTF-32 and UTF-16 by their byte
// order mark or by the zero bytes around the first "<"; ISO-8859-1 (or latin1) when the declaration
// names it; anything else is read as UTF-8, as pugixml reads an encoding it does not know. The
// declaration counts only as XML spells it: `<?xml version="1.0" encoding = 'latin1'?>`, before
// any "?".
pugi::xml_encoding encodingOf(const char* data, std::size_t size) {
    const auto starts = [&](std::initializer_list<unsigned> bytes) {
        std::size_t i = 0;
        for (const unsigned b : bytes)
            if (i >= size || static_cast<unsigned char>(data[i++]) != b)
                return false;
        return true;
    };
    if (starts({0, 0, 0xfe, 0xff}) || starts({0, 0, 0, '<'}))
        return pugi::encoding_utf32_be;
    if (starts({0xff, 0xfe, 0, 0}) || starts({'<', 0, 0, 0}))
        return pugi::encoding_utf32_le;
    if (starts({0xfe, 0xff}) || starts({0, '<'}))
        return pugi::encoding_utf16_be;
    if (starts({0xff, 0xfe}) || starts({'<', 0}))
        return pugi::encoding_utf16_le;
    const std::string_view head(data, std::min<std::size_t>(size, 256));
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    if (head.size() < 6 || !head.starts_with("<?xml") || !isSpace(head[5]))
        return pugi::encoding_utf8;
    const std::string_view declaration = head.substr(0, head.find('?', 2));
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return pugi::encoding_utf8;
    at += 8;
    const auto skipSpace = [&] {
        while (at < declaration.size() && isSpace(declaration[at]))
            ++at;
    };
    skipSpace();
    if (at >= declaration.size() || declaration[at] != '=')
        return pugi::encoding_utf8;
    ++at;
    skipSpace();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return pugi::encoding_utf8;
    const std::size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos)
        return pugi::encoding_utf8;
    std::string name(declaration.substr(at + 1, end - at - 1));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name == "iso-8859-1" || name == "latin1" ? pugi::encoding_latin1 : pugi::encoding_utf8;
}

// The offset of the first byte of `data` that is no part of valid UTF-8, or npos.
std::size_t invalidUtf8At(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char lead = bytes[i];
        std::size_t length = 1;
        unsigned char low = 0x80, high = 0xbf; // the range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : 0x80;  // no overlong forms
            high = lead == 0xed ? 0x9f : 0xbf; // no surrogates
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        } else {
            length = 0;
        }
        bool valid = length > 0 && i + length <= size && bytes[i + 1] >= low && bytes[i + 1] <= high;
        for (std::size_t k = 2; valid && k < length; ++k)
            valid = bytes[i + k] >= 0x80 && bytes[i + k] <= 0xbf;
        if (!valid)
            return i;
        i += length;
    }
    return std::string::npos;
}

// XML text in UTF-8 must be valid UTF-8: anything else is refused with where it is, rather than
// carried into texts that no other reader takes.
void checkUtf8(const char* data, std::size_t size, const std::string& entryName) {
    if (const std::size_t at = invalidUtf8At(data, size); at != std::string::npos)
        throw BcfError("invalid UTF-8", entryName, "at offset " + std::to_string(at));
}

// Whether XML 1.0 allows `c` in a document: tab, line feed, carriage return and the rest of Unicode
// but the other C0 controls, the surrogates and U+FFFE and U+FFFF.
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff) || (c >= 0xe000 && c <= 0xfffd) ||
           (c >= 0x10000 && c <= 0x10ffff);
}

std::string codePoint(std::uint32_t c) {
    if (c > 0x10ffff)
        return "a number beyond Unicode";
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

// Where the scan of checkCharacters() stops in a file of bytes: in every state, a control
// character other than tab, line feed and carriage return, '<', '&' and 0xEF (which starts U+FFFE
// and U+FFFF in UTF-8); in a tag also quotes and '>'; in a quoted value its closing quote.
enum ScanState { Text, Tag, DoubleQuoted, SingleQuoted, Special };

// The first of the `count` bytes at `bytes` from `k` on that the scan stops at in `state`
// (not Special), or `count`. Sixteen bytes at a time where SSE2 is there: most bytes of a BCF
// file are plain text, and a viewpoint may hold hundreds of megabytes of them.
const std::array<std::array<bool, 256>, Special> kNotable = [] {
    std::array<std::array<bool, 256>, Special> tables{};
    for (auto& table : tables) {
        for (unsigned c = 0; c < 0x20; ++c)
            table[c] = c != 0x9 && c != 0xa && c != 0xd;
        table['<'] = table['&'] = table[0xef] = true;
    }
    tables[Tag]['"'] = tables[Tag]['\''] = tables[Tag]['>'] = true;
    tables[DoubleQuoted]['"'] = tables[SingleQuoted]['\''] = true;
    return tables;
}();

// Inlined into the scan, so that its constants are made once per file.
inline __attribute__((always_inline)) std::size_t skipPlain(const unsigned char* bytes, std::size_t k,
                                                            std::size_t count, ScanState state) {
#if defined(__SSE2__)
    const auto splat = [](char c) { return _mm_set1_epi8(c); };
    const __m128i controls = splat(0x1f), tab = splat('\t'), lineFeed = splat('\n'), carriage = splat('\r');
    const __m128i lessThan = splat('<'), ampersand = splat('&'), ef = splat(static_cast<char>(0xef));
    const __m128i quote = splat('"'), apostrophe = splat('\''), greaterThan = splat('>');
    while (k + 16 <= count) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, controls), v);
        const __m128i allowed = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lineFeed)), _mm_cmpeq_epi8(v, carriage));
        __m128i hit =
            _mm_or_si128(_mm_andnot_si128(allowed, control),
                         _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lessThan), _mm_cmpeq_epi8(v, ampersand)),
                                      _mm_cmpeq_epi8(v, ef)));
        if (state == Tag)
            hit = _mm_or_si128(
                hit, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, apostrophe)),
                                  _mm_cmpeq_epi8(v, greaterThan)));
        else if (state == DoubleQuoted)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, quote));
        else if (state == SingleQuoted)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, apostrophe));
        if (const int mask = _mm_movemask_epi8(hit))
            return k + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        k += 16;
    }
#endif
    const auto& table = kNotable[state];
    while (k < count && !table[bytes[k]])
        ++k;
    return k;
}

// Refuses a file that holds a character XML does not allow, literally or as a character reference
// (&#0; cuts a text short, &#1; and &#xFFFE; make files other readers refuse), naming the byte
// offset. `unit(k)` is the k-th of `count` code units of `width` bytes (0 past the end); comments,
// CDATA sections and processing instructions hold no references. The units of a UTF-8 file
// (`utf8`) are its bytes, in which U+FFFE and U+FFFF are EF BF BE and EF BF BF.
// Inside a tag, quoted values are followed to their closing quote: a "<?" or "<!--" in an
// attribute value starts nothing, so it cannot hide the references after it. A '<' in an attribute
// value is refused, as every conforming XML reader refuses it.
template <typename Unit>
void checkCharacters(Unit unit, std::size_t count, std::size_t width, bool utf8, const std::string& entryName,
                     const unsigned char* bytes = nullptr) {
    using State = ScanState;
    const auto refuse = [&](std::size_t k, const std::string& what) {
        throw BcfError("invalid character", entryName,
                       what + " at offset " + std::to_string(k * width) + ": XML does not allow it");
    };
    const auto startsAt = [&](std::size_t k, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            if (unit(k + i) != static_cast<unsigned char>(text[i]))
                return false;
        return true;
    };
    State state = Text;
    bool element = false; // the tag the scan is in starts an element (not a declaration)
    std::string_view end; // of the comment, CDATA section or processing instruction the scan is in
    for (std::size_t k = 0; k < count; ++k) {
        if (bytes != nullptr && state != Special) {
            k = skipPlain(bytes, k, count, state);
            if (k == count)
                break;
        }
        const std::uint32_t c = unit(k);
        if (c < 0x20 && c != 0x9 && c != 0xa && c != 0xd)
            refuse(k, codePoint(c));
        if (utf8 ? c == 0xef && unit(k + 1) == 0xbf && (unit(k + 2) & 0xfe) == 0xbe
                 : c == 0xfffe || c == 0xffff)
            refuse(k, codePoint(utf8 ? 0xfffe | (unit(k + 2) & 1) : c));
        if (state == Special) {
            if (c == static_cast<unsigned char>(end.front()) && startsAt(k, end)) {
                k += end.size() - 1;
                state = Text;
            }
        } else if (state == DoubleQuoted || state == SingleQuoted) {
            if (c == (state == DoubleQuoted ? '"' : '\''))
                state = Tag;
            else if (c == '<' && element)
                throw BcfError("malformed XML", entryName,
                               "'<' in an attribute value at offset " + std::to_string(k * width));
        } else if (state == Tag && (c == '"' || c == '\'')) {
            state = c == '"' ? DoubleQuoted : SingleQuoted;
        } else if (state == Tag && c == '>') {
            state = Text;
        } else if (c == '<') {
            // A declaration's internal subset holds declarations, comments and instructions too.
            state = Tag;
            const std::uint32_t next = unit(k + 1);
            element = next != '!';
            if (next == '!' || next == '?')
                for (const auto& [start, stop] :
                     {std::pair<std::string_view, std::string_view>("<!--", "-->"),
                      {"<![CDATA[", "]]>"},
                      {"<?", "?>"}})
                    if (startsAt(k, start)) {
                        k += start.size() - 1;
                        end = stop;
                        state = Special;
                        break;
                    }
        }
        if (state != Special && c == '&' && unit(k + 1) == '#') {
            const bool hex = unit(k + 2) == 'x';
            std::size_t j = k + (hex ? 3 : 2);
            std::uint32_t value = 0;
            std::string text = hex ? "&#x" : "&#";
            for (;; ++j) {
                const std::uint32_t d = unit(j);
                std::uint32_t digit = 16;
                if (d >= '0' && d <= '9')
                    digit = d - '0';
                else if (hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f')
                    digit = (d | 0x20) - 'a' + 10;
                if (digit >= (hex ? 16u : 10u))
                    break;
                value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
                if (text.size() < 16)
                    text += static_cast<char>(d);
                else if (text.size() == 16)
                    text += "...";
            }
            // Anything but digits ending in ";" is no character reference: left to the parser.
            if (unit(j) == ';' && j > k + (hex ? 3 : 2) && !isXmlChar(value))
                refuse(k, text + "; (" + codePoint(value) + ")");
        }
    }
}

// Runs checkCharacters over the code units of `size` bytes at `data` in `encoding`.
void checkCharacters(const char* data, std::size_t size, pugi::xml_encoding encoding,
                     const std::string& entryName) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    switch (encoding) {
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be: {
        const bool big = encoding == pugi::encoding_utf16_be;
        const std::size_t count = size / 2;
        checkCharacters(
            [&](std::size_t k) -> std::uint32_t {
                if (k >= count)
                    return 0;
                const unsigned char* u = bytes + 2 * k;
                return big ? (u[0] << 8 | u[1]) : (u[1] << 8 | u[0]);
            },
            count, 2, false, entryName);
        break;
    }
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be: {
        const bool big = encoding == pugi::encoding_utf32_be;
        const std::size_t count = size / 4;
        checkCharacters(
            [&](std::size_t k) -> std::uint32_t {
                if (k >= count)
                    return 0;
                const unsigned char* u = bytes + 4 * k;
                return big ? std::uint32_t(u[0]) << 24 | u[1] << 16 | u[2] << 8 | u[3]
                           : std::uint32_t(u[3]) << 24 | u[2] << 16 | u[1] << 8 | u[0];
            },
            count, 4, false, entryName);
        break;
    }
    default:
        checkCharacters([&](std::size_t k) -> std::uint32_t { return k < size ? bytes[k] : 0; }, size, 1,
                        encoding == pugi::encoding_utf8, entryName, bytes);
    }
}

// A file in another encoding may hold bytes that make no UTF-8 when converted: such texts are
// refused as invalid UTF-8 is.
void checkTexts(const pugi::xml_document& document, const std::string& entryName) {
    const auto check = [&](const char* text, const char* where) {
        if (invalidUtf8At(text, std::strlen(text)) != std::string::npos)
            throw BcfError("invalid character", entryName,
                           std::string("a character reference or byte in ") + where +
                               " names no Unicode character");
    };
    pugi::xml_node node = document.first_child();
    while (node) {
        check(node.value(), node.parent().name());
        for (pugi::xml_attribute attribute : node.attributes())
            check(attribute.value(), node.name());
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent() == document ? pugi::xml_node() : node.parent();
        if (node)
            node = node.next_sibling();
    }
}

// BCF elements belong to no namespace; a file that binds a prefix to them (`<bcf:Markup>`) means
// the same elements, so they are read under their local names.
pugi::xml_node firstElement(pugi::xml_node node) {
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

void stripPrefixes(pugi::xml_node root) {
    // Depth first, without recursion.
    for (pugi::xml_node node = root; node;) {
        if (const char* colon = std::strchr(node.name(), ':'))
            node.set_name(std::string(colon + 1).c_str());
        pugi::xml_node next = firstElement(node.first_child());
        while (!next && node != root) {
            next = firstElement(node.next_sibling());
            if (!next)
                node = node.parent();
        }
        node = next;
    }
}

// What a scan of a file's tags found, to spare the parse what the file does not need.
struct MarkupSeen {
    // A text may be split by a comment, a processing instruction or a CDATA section, between
    // which white space is text too: "x<!--c--> <?pi?>z" reads "x z". Beyond the XML
    // declaration, since pugixml drops white space with siblings unless told to keep all of it,
    // which costs a node for every indentation.
    bool splitTexts = false;
    // An element name has a prefix (`<bcf:Markup>`), which stripPrefixes() then takes off.
    bool prefixedNames = false;
};

// Looks at every '<' of a file of bytes (UTF-8 or Latin-1), found by memchr, which runs at
// memory speed; a '<' inside a comment or a text only makes the answer more careful.
MarkupSeen scanMarkup(const char* data, std::size_t size) {
    MarkupSeen seen;
    if (size == 0)
        return seen; // an empty entry's buffer may have no address at all
    std::size_t start = 0;
    if (const void* declaration = ::memmem(data, std::min<std::size_t>(size, 8), "<?xml", 5)) {
        const void* end =
            ::memmem(declaration, size - (static_cast<const char*>(declaration) - data), "?>", 2);
        start = end ? static_cast<std::size_t>(static_cast<const char*>(end) - data) + 2 : size;
    }
    const char* const last = data + size;
    for (const char* at = data + start; at < last; ++at) {
        at = static_cast<const char*>(std::memchr(at, '<', static_cast<std::size_t>(last - at)));
        if (at == nullptr || at + 1 == last)
            break;
        if (at[1] == '!' || at[1] == '?') {
            seen.splitTexts = true;
        } else if (!seen.prefixedNames && at[1] != '/') {
            // The start tag's name ends at white space, '/' or '>'.
            static const auto stops = [] {
                std::array<bool, 256> table{};
                for (const unsigned char c : {' ', '\t', '\n', '\r', '/', '>', ':', '<'})
                    table[c] = true;
                return table;
            }();
            const char* c = at + 1;
            while (c < last && !stops[static_cast<unsigned char>(*c)])
                ++c;
            seen.prefixedNames = c < last && *c == ':';
        }
        if (seen.splitTexts && seen.prefixedNames)
            break;
    }
    return seen;
}

// Parses `size` bytes at `data`, in place (the document then refers into them) or from pugixml's
// own copy.
void parseBuffer(pugi::xml_document& document, void* data, std::size_t size, bool inPlace,
                 const std::string& entryName) {
    // Text that is only white space (a tab, a blank) is content too; white space between
    // elements, which always has siblings, is dropped unless a text may be split (see above).
    (void)allocatorInstalled;
    // The document type declaration is kept as a node only to see whether it declares entities.
    const pugi::xml_encoding encoding = encodingOf(static_cast<const char*>(data), size);
    const bool utf8 = encoding == pugi::encoding_utf8;
    if (utf8)
        checkUtf8(static_cast<const char*>(data), size, entryName);
    checkCharacters(static_cast<const char*>(data), size, encoding, entryName);
    // Files in UTF-16 or UTF-32 are rare: their names are always looked at for prefixes.
    const bool bytes = utf8 || encoding == pugi::encoding_latin1;
    const MarkupSeen seen =
        bytes ? scanMarkup(static_cast<const char*>(data), size) : MarkupSeen{false, true};
    const unsigned options = pugi::parse_default | pugi::parse_doctype |
                             (seen.splitTexts ? pugi::parse_ws_pcdata : pugi::parse_ws_pcdata_single);
    parsedEntry = entryName;
    parsedBytes = 0;
    overBudget = false;
    const pugi::xml_parse_result result = inPlace
                                              ? document.load_buffer_inplace(data, size, options, encoding)
                                              : document.load_buffer(data, size, options, encoding);
    if (overBudget && parseBudget)
        parseBudget->exceeded(entryName);
    if (result.status != pugi::status_ok)
        throw BcfError("malformed XML", entryName,
                       std::string(result.description()) + " at offset " + std::to_string(result.offset));
    if (!document.document_element())
        throw BcfError("malformed XML", entryName, "no document element");
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype && std::strstr(node.value(), "<!ENTITY"))
            throw BcfError("XML entity declarations are not supported", entryName,
                           "its texts could not be read as written");
    if (!utf8)
        checkTexts(document, entryName);
    if (seen.prefixedNames)
        stripPrefixes(document.document_element());
    if (overBudget && parseBudget)
        parseBudget->exceeded(entryName);
}

} // namespace

void parse(pugi::xml_document& document, const std::string& bytes, const std::string& entryName) {
    parseBuffer(document, const_cast<char*>(bytes.data()), bytes.size(), false, entryName);
}

void parseInPlace(pugi::xml_document& document, char* bytes, std::size_t size, const std::string& entryName) {
    parseBuffer(document, bytes, size, true, entryName);
}

namespace {

// Collects pugixml's output. pugixml escapes carriage returns in attributes but writes them raw
// in text, where every reader turns them into line feeds; the writers make no CDATA sections or
// comments, so a raw carriage return can only stand in text and becomes a reference here.
// Output beyond what an archive entry may hold stops the write early, and so does output that,
// with the tree it comes from (`tree` bytes), no longer fits in the budget.
class TextWriter : public pugi::xml_writer {
public:
    explicit TextWriter(std::uint64_t tree) : tree_(tree) {}

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
        if (parseBudget && !parseBudget->fits(tree_ + text.capacity()))
            parseBudget->exceeded("XML written");
    }

private:
    std::uint64_t tree_;
};

// libxml2, the XML library of many BCF tools and of `bcf validate`, refuses a text or attribute
// value longer than this unless asked for "huge" documents.
constexpr std::size_t kMaxValueBytes = 10'000'000;

// Refuses a tree holding a value that common XML readers refuse, before anything is written: one
// too long, or one holding a character XML does not allow (a control character pasted into a text,
// U+FFFE), which pugixml would write as a reference no reader takes.
void checkValues(const pugi::xml_document& document) {
    const auto check = [](const char* value) {
        const auto* begin = reinterpret_cast<const unsigned char*>(value);
        const unsigned char* p = begin;
        for (; *p != 0; ++p) {
            if ((*p < 0x20 && *p != 0x9 && *p != 0xa && *p != 0xd) ||
                (*p == 0xef && p[1] == 0xbf && (p[2] & 0xfe) == 0xbe)) {
                const std::uint32_t c = *p == 0xef ? 0xfffe | (p[2] & 1) : *p;
                // The 40 bytes before it, from the start of a whole UTF-8 sequence.
                const auto before = static_cast<std::size_t>(p - begin);
                std::size_t from = before > 40 ? before - 40 : 0;
                while (from > 0 && (begin[from] & 0xc0) == 0x80)
                    ++from;
                throw BcfError("write error", {},
                               "the text \"" + std::string(from > 0 ? "..." : "") +
                                   std::string(value + from, before - from) + "\" is followed by " +
                                   codePoint(c) + ", a character XML does not allow");
            }
        }
        const std::size_t size = static_cast<std::size_t>(p - begin);
        if (size > kMaxValueBytes)
            throw BcfError("write error", {},
                           "a text of " + std::to_string(size) +
                               " bytes, more than the 10,000,000 that XML readers such as libxml2 take");
    };
    for (pugi::xml_node node = document.first_child(); node;) {
        check(node.value());
        for (pugi::xml_attribute attribute : node.attributes())
            check(attribute.value());
        pugi::xml_node next = node.first_child();
        while (!next && node) {
            next = node.next_sibling();
            if (!next) {
                node = node.parent();
                if (node == document)
                    node = pugi::xml_node();
            }
        }
        node = next;
    }
}

} // namespace

std::string serialize(const pugi::xml_document& document) {
    // The tree is complete unless the budget refused a part of it; the next tree counts anew.
    const bool incomplete = overBudget;
    const std::uint64_t tree = parsedBytes;
    overBudget = false;
    parsedBytes = 0;
    if (incomplete && parseBudget)
        parseBudget->exceeded("XML written");
    checkValues(document);
    TextWriter writer(tree);
    document.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.text);
}

std::string text(pugi::xml_node element) {
    const pugi::xml_node first = element.first_child();
    if (!first)
        return {};
    if (!first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return first.value();
    // Comments and processing instructions split a text into several nodes; it is all of them.
    std::string joined;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            joined += child.value();
    return joined;
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
        // from_chars gives up where strtod saturates: to an infinity on overflow ("1e5000"), towards
        // zero on underflow. strtod itself, in the C locale, says which.
        static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
        return ::strtod_l(begin, nullptr, cLocale);
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
