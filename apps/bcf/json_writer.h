// A small streaming JSON writer with two-space indentation.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bcf::cli {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The key of the next value inside an object.
    JsonWriter& key(const std::string& name);

    void value(const std::string& text);
    void value(const std::optional<std::string>& text); // null when absent
    void value(double number);                          // null when not finite
    void value(std::uint64_t number);
    void null();
    void boolean(bool flag);
    void boolean(const std::optional<bool>& flag);  // null when absent
    void integer(const std::optional<int>& number); // null when absent
    void stringArray(const std::vector<std::string>& texts);

private:
    void beforeValue();
    void newline();

    std::ostream& out_;
    std::vector<bool> hasItems_; // one per open container
    bool afterKey_ = false;
};

// `text` as a quoted JSON string; invalid UTF-8 becomes U+FFFD.
std::string quote(const std::string& text);
// The same, written to `stream` as it is made.
void writeQuoted(std::ostream& stream, const std::string& text);

} // namespace bcf::cli
