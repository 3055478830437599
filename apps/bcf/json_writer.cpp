#include "json_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>

namespace bcf::cli {

namespace {

// Length of the valid UTF-8 sequence of two or more bytes at `i`, or 0 when the bytes there are
// not one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    std::size_t length = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xc0) != 0x80)
            return 0;
    if ((length == 2 && c < 0xc2) || (length == 3 && c == 0xe0 && byte(i + 1) < 0xa0) ||
        (length == 3 && c == 0xed && byte(i + 1) >= 0xa0) ||
        (length == 4 && c == 0xf0 && byte(i + 1) < 0x90) ||
        (length == 4 && (c > 0xf4 || (c == 0xf4 && byte(i + 1) >= 0x90))))
        return 0;
    return length;
}

// True for the bytes that a JSON string cannot hold as they are, or that start a multi-byte
// sequence to be checked: one look-up per byte in the loop that copies plain runs.
const std::array<bool, 256> kNeedsCare = [] {
    std::array<bool, 256> table{};
    for (unsigned c = 0; c < 256; ++c)
        table[c] = c < 0x20 || c == '"' || c == '\\' || c >= 0x7f;
    return table;
}();

bool needsCare(unsigned char c) {
    return kNeedsCare[c];
}

// True when none of the eight bytes in `word` needs care: no byte below 0x20, no quote, no
// backslash, no 0x7f and no byte of 0x80 or above.
bool plainWord(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const auto below = [&](std::uint64_t v, std::uint64_t n) { return (v - ones * n) & ~v & highs; };
    const auto zero = [&](std::uint64_t v) { return below(v, 1); };
    return ((word & highs) | below(word, 0x20) | zero(word ^ (ones * '"')) | zero(word ^ (ones * '\\')) |
            zero(word ^ (ones * 0x7f))) == 0;
}

} // namespace

std::string quote(std::string_view text) {
    std::ostringstream out;
    JsonWriter(out).value(text);
    return out.str();
}

namespace {

// Beyond two chunks: room for the longest piece put between two spills (a run of plain text of
// at most a chunk after an escape) and an indentation step.
constexpr std::size_t kSlack = 256;
constexpr std::string_view kSpaces = "                                                                ";

} // namespace

JsonWriter::JsonWriter(std::ostream& out) : out_(out), buffer_(new char[2 * kChunk + kSlack]) {}

JsonWriter::~JsonWriter() {
    flush();
}

void JsonWriter::flush() {
    if (used_ > 0)
        out_.write(buffer_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
}

void JsonWriter::quoted(std::string_view text) {
    put('"');
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain bytes go in as one run, at most a chunk at a time: a long text goes out in
        // pieces, never copied whole (escaped, it can be six times its size).
        std::size_t run = i;
        const std::size_t end = std::min(text.size(), i + kChunk);
        for (std::uint64_t word; run + 8 <= end; run += 8) {
            std::memcpy(&word, text.data() + run, 8);
            if (!plainWord(word))
                break;
        }
        while (run < end && !needsCare(static_cast<unsigned char>(text[run])))
            ++run;
        put(text.data() + i, run - i);
        i = run;
        spill();
        if (i == text.size())
            break;
        if (run == end)
            continue;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(text, i);
            if (length == 0) {
                put("\xef\xbf\xbd", 3);
                ++i;
            } else {
                put(text.data() + i, length);
                i += length;
            }
            continue;
        }
        ++i;
        if (c == '"' || c == '\\') {
            put('\\');
            put(static_cast<char>(c));
        } else if (c == '\n') {
            put("\\n", 2);
        } else if (c == '\r') {
            put("\\r", 2);
        } else if (c == '\t') {
            put("\\t", 2);
        } else {
            const char* hex = "0123456789abcdef";
            const char escaped[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            put(escaped, sizeof escaped);
        }
    }
    put('"');
    spill();
}

void JsonWriter::newline() {
    put('\n');
    for (std::size_t indent = hasItems_.size() * 2; indent > 0;) {
        const std::size_t step = std::min(indent, kSpaces.size());
        put(kSpaces.data(), step);
        indent -= step;
        spill();
    }
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back())
            put(',');
        hasItems_.back() = true;
        newline();
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    put('{');
    hasItems_.push_back(false);
    spill();
}

void JsonWriter::endObject() {
    const bool had = hasItems_.back();
    hasItems_.pop_back();
    if (had)
        newline();
    put('}');
    if (hasItems_.empty())
        put('\n');
    spill();
}

void JsonWriter::beginArray() {
    beforeValue();
    put('[');
    hasItems_.push_back(false);
    spill();
}

void JsonWriter::endArray() {
    const bool had = hasItems_.back();
    hasItems_.pop_back();
    if (had)
        newline();
    put(']');
    spill();
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    quoted(name);
    put(": ", 2);
    spill();
    afterKey_ = true;
    return *this;
}

void JsonWriter::value(std::string_view text) {
    beforeValue();
    quoted(text);
}

void JsonWriter::value(const std::optional<std::string>& text) {
    if (text)
        value(*text);
    else
        null();
}

void JsonWriter::value(double number) {
    if (!std::isfinite(number)) {
        null();
        return;
    }
    beforeValue();
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    put(digits, static_cast<std::size_t>(result.ptr - digits));
    spill();
}

void JsonWriter::value(std::uint64_t number) {
    beforeValue();
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    put(digits, static_cast<std::size_t>(result.ptr - digits));
    spill();
}

void JsonWriter::boolean(const std::optional<bool>& flag) {
    beforeValue();
    put(!flag ? "null" : *flag ? "true" : "false");
    spill();
}

void JsonWriter::null() {
    beforeValue();
    put("null", 4);
    spill();
}

void JsonWriter::boolean(bool flag) {
    beforeValue();
    put(flag ? std::string_view("true") : std::string_view("false"));
    spill();
}

void JsonWriter::integer(const std::optional<int>& number) {
    if (!number) {
        null();
        return;
    }
    beforeValue();
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, *number);
    put(digits, static_cast<std::size_t>(result.ptr - digits));
    spill();
}

void JsonWriter::stringArray(const std::vector<std::string>& texts) {
    beginArray();
    for (const std::string& text : texts)
        value(text);
    endArray();
}

} // namespace bcf::cli
