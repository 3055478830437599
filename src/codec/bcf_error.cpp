#include "codec/bcf_error.h"

namespace bcf {

static std::string describe(const std::string& reason, const std::string& subject,
                            const std::string& detail) {
    std::string text = reason;
    if (!subject.empty())
        text += ": " + subject;
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

BcfError::BcfError(const std::string& reason, const std::string& subject, const std::string& detail)
    : std::runtime_error(describe(reason, subject, detail)), reason_(reason), subject_(subject) {}

} // namespace bcf
