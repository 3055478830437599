#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace bcf::cli {

namespace {

// Length of the valid UTF-8 sequence at `i`, or 0 when the bytes there are not one.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
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

} // namespace

std::string quote(const std::string& text) {
    std::ostringstream out;
    writeQuoted(out, text);
    return out.str();
}

void writeQuoted(std::ostream& stream, const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        // A long text goes out in pieces: escaped, it can be six times its size.
        if (out.size() >= 1 << 16) {
            stream << out;
            out.clear();
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            out += "\xef\xbf\xbd";
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            const char* hex = "0123456789abcdef";
            const char escaped[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            out.append(escaped, sizeof escaped);
        } else {
            out += static_cast<char>(c);
        }
        i += length;
    }
    stream << out << '"';
}

void JsonWriter::newline() {
    out_ << '\n' << std::string(hasItems_.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back())
            out_ << ',';
        hasItems_.back() = true;
        newline();
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    out_ << '{';
    hasItems_.push_back(false);
}

void JsonWriter::endObject() {
    const bool had = hasItems_.back();
    hasItems_.pop_back();
    if (had)
        newline();
    out_ << '}';
    if (hasItems_.empty())
        out_ << '\n';
}

void JsonWriter::beginArray() {
    beforeValue();
    out_ << '[';
    hasItems_.push_back(false);
}

void JsonWriter::endArray() {
    const bool had = hasItems_.back();
    hasItems_.pop_back();
    if (had)
        newline();
    out_ << ']';
}

JsonWriter& JsonWriter::key(const std::string& name) {
    beforeValue();
    out_ << quote(name) << ": ";
    afterKey_ = true;
    return *this;
}

void JsonWriter::value(const std::string& text) {
    beforeValue();
    writeQuoted(out_, text);
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
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.write(buffer, result.ptr - buffer);
}

void JsonWriter::value(std::uint64_t number) {
    beforeValue();
    out_ << number;
}

void JsonWriter::boolean(const std::optional<bool>& flag) {
    beforeValue();
    out_ << (!flag ? "null" : *flag ? "true" : "false");
}

void JsonWriter::null() {
    beforeValue();
    out_ << "null";
}

void JsonWriter::boolean(bool flag) {
    beforeValue();
    out_ << (flag ? "true" : "false");
}

void JsonWriter::integer(const std::optional<int>& number) {
    beforeValue();
    if (number)
        out_ << *number;
    else
        out_ << "null";
}

void JsonWriter::stringArray(const std::vector<std::string>& texts) {
    beginArray();
    for (const std::string& text : texts)
        value(text);
    endArray();
}

} // namespace bcf::cli
