// The memory one opened archive may cost: everything decompressed from it and the XML trees
// parsed from it, summed over all its entries, whatever the entries claim about themselves.
#pragma once

#include "codec/bcf_error.h"

#include <cstdint>
#include <string>

namespace bcf {

// The budget ran out: unlike damage to one entry, this is a limit of the whole archive, so
// whoever catches the errors of single entries lets it pass.
class BudgetExceeded : public BcfError {
public:
    using BcfError::BcfError;
};

// What one archive may cost in all: several times the XML of the largest real archives and
// their images, well below what a desktop has to spare.
inline constexpr std::uint64_t kMaxOpenBytes = 512u * 1024 * 1024;

class MemoryBudget {
public:
    MemoryBudget() = default;
    explicit MemoryBudget(std::uint64_t limit) : limit_(limit) {}

    // Counts `bytes` more, for `subject` (an entry name); beyond the limit nothing is counted and
    // BudgetExceeded("archive too large to open (limit N MiB)", subject) is thrown.
    void charge(std::uint64_t bytes, const std::string& subject);
    // True when `bytes` more would still be within the limit.
    bool fits(std::uint64_t bytes) const { return bytes <= limit_ - used_; }
    [[noreturn]] void exceeded(const std::string& subject) const;

    std::uint64_t used() const { return used_; }
    std::uint64_t limit() const { return limit_; }

private:
    std::uint64_t limit_ = kMaxOpenBytes;
    std::uint64_t used_ = 0;
};

} // namespace bcf
