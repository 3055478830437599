// The one exception type of the codec: a short fixed reason and the file or entry it concerns.
#pragma once

#include <stdexcept>
#include <string>

namespace bcf {

class BcfError : public std::runtime_error {
public:
    // `reason` is a short fixed text ("bad zip", "write error", ...); `subject` names the
    // archive file or entry concerned, or is empty; `detail` says more when there is more to say.
    BcfError(const std::string& reason, const std::string& subject = {}, const std::string& detail = {});

    const std::string& reason() const noexcept { return reason_; }
    const std::string& subject() const noexcept { return subject_; }

private:
    std::string reason_;
    std::string subject_;
};

} // namespace bcf
