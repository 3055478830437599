// A streaming JSON writer with two-space indentation. The text is made in a buffer of its own and
// handed to the stream in large pieces, so a token costs an append, not a stream insertion.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace bcf::cli {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);
    // Hands what is still buffered to the stream.
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The key of the next value inside an object.
    JsonWriter& key(std::string_view name);

    // A quoted string; invalid UTF-8 becomes U+FFFD.
    void value(std::string_view text);
    void value(const std::string& text) { value(std::string_view(text)); }
    void value(const char* text) { value(std::string_view(text)); }
    void value(const std::optional<std::string>& text); // null when absent
    void value(double number);                          // null when not finite
    void value(std::uint64_t number);
    void null();
    void boolean(bool flag);
    void boolean(const std::optional<bool>& flag);  // null when absent
    void integer(const std::optional<int>& number); // null when absent
    void stringArray(const std::vector<std::string>& texts);

    // Hands the buffered text to the stream.
    void flush();

private:
    void beforeValue();
    void newline();
    void quoted(std::string_view text);
    // Appends without a check: every public call starts with less than a chunk buffered and
    // writes at most a chunk and a few bytes before it spills.
    void put(char c) { buffer_[used_++] = c; }
    void put(const char* data, std::size_t size) {
        std::memcpy(buffer_.get() + used_, data, size);
        used_ += size;
    }
    void put(std::string_view text) { put(text.data(), text.size()); }
    // Passes the buffer on once it has grown past a chunk.
    void spill() {
        if (used_ >= kChunk)
            flush();
    }

    static constexpr std::size_t kChunk = 1 << 16;
    std::ostream& out_;
    std::unique_ptr<char[]> buffer_; // 2 * kChunk + kSlack bytes
    std::size_t used_ = 0;
    std::vector<char> hasItems_; // one per open container: whether it has items yet
    bool afterKey_ = false;
};

// `text` as a quoted JSON string; invalid UTF-8 becomes U+FFFD.
std::string quote(std::string_view text);

} // namespace bcf::cli
