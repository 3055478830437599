#include "codec/save_notes.h"

#include <algorithm>

namespace bcf {

void SaveNotes::add(const std::string& text, std::size_t count) {
    auto it =
        std::find_if(notes_.begin(), notes_.end(), [&](const SaveNote& note) { return note.text == text; });
    if (it == notes_.end())
        notes_.push_back({text, count});
    else
        it->count += count;
}

} // namespace bcf
