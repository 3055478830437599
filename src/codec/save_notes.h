// What a save had to change or could not carry, returned to the caller as plain values.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bcf {

// One kind of change a save made, with how often it made it. `text` reads after the count:
// "field of view values clamped to 45..60 (BCF 2.1 allows no other)".
struct SaveNote {
    std::string text;
    std::size_t count = 0;
    bool operator==(const SaveNote&) const = default;
};

// The notes of one save, one per kind, in the order in which each kind first occurred.
class SaveNotes {
public:
    // Counts one more change of the kind `text`.
    void add(const std::string& text, std::size_t count = 1);
    const std::vector<SaveNote>& all() const { return notes_; }
    bool empty() const { return notes_.empty(); }

private:
    std::vector<SaveNote> notes_;
};

} // namespace bcf
