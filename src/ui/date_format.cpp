#include "ui/mainwindow_p.h"

#include <cstddef>

namespace {

bool isDigits(const std::string& text, std::size_t first, std::size_t count) {
    if (text.size() < first + count)
        return false;
    for (std::size_t i = first; i < first + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// "YYYY-MM-DD" at the start of the text.
bool startsWithDate(const std::string& text) {
    return isDigits(text, 0, 4) && text[4] == '-' && isDigits(text, 5, 2) && text[7] == '-' &&
           isDigits(text, 8, 2);
}

// "YYYY-MM-DDThh:mm" at the start of the text (a blank instead of the T is accepted too).
bool startsWithDateTime(const std::string& text) {
    return startsWithDate(text) && text.size() >= 16 &&
           (text[10] == 'T' || text[10] == 't' || text[10] == ' ') && isDigits(text, 11, 2) &&
           text[13] == ':' && isDigits(text, 14, 2);
}

} // namespace

std::string formatDateTime(const std::string& text) {
    // The pieces are cut from the text's own positions: the wall-clock time written in the file is
    // shown, without any time zone conversion.
    if (startsWithDateTime(text)) {
        return text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4) + ", " +
               text.substr(11, 2) + ":" + text.substr(14, 2);
    }
    if (startsWithDate(text))
        return text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4);
    // Anything else is shown as it stands rather than cut into meaningless pieces.
    return text;
}
