// Payload bytes (snapshot images, document contents) that copies of a model, and every reference
// to one archive entry, share instead of copying: the buffer never changes once made.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace bcf {

class SharedBytes {
public:
    SharedBytes() = default;
    // Takes the bytes over (also none: an empty file still has its bytes).
    SharedBytes(std::string bytes) // NOLINT(google-explicit-constructor): payload fields take strings
        : bytes_(std::make_shared<const std::string>(std::move(bytes))) {}
    SharedBytes(const char* text) : SharedBytes(std::string(text)) {} // NOLINT(google-explicit-constructor)
    explicit SharedBytes(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}

    const std::string& str() const { return bytes_ ? *bytes_ : empty_(); }
    operator const std::string&() const { return str(); } // NOLINT(google-explicit-constructor)
    const char* data() const { return str().data(); }
    std::size_t size() const { return bytes_ ? bytes_->size() : 0; }
    bool empty() const { return size() == 0; }
    // True when there are no bytes at all, as for a payload whose entry is missing; an empty
    // file is empty but not null. Compared, both are equal.
    bool isNull() const { return !bytes_; }
    void clear() { bytes_.reset(); }
    // True when both hold the very same buffer.
    bool sharesBufferWith(const SharedBytes& other) const { return bytes_ && bytes_ == other.bytes_; }

    friend bool operator==(const SharedBytes& a, const SharedBytes& b) {
        return a.bytes_ == b.bytes_ || a.str() == b.str();
    }

private:
    static const std::string& empty_() {
        static const std::string none;
        return none;
    }
    std::shared_ptr<const std::string> bytes_;
};

} // namespace bcf
