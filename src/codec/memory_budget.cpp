#include "codec/memory_budget.h"

namespace bcf {

void MemoryBudget::charge(std::uint64_t bytes, const std::string& subject) {
    if (!fits(bytes))
        exceeded(subject);
    used_ += bytes;
}

void MemoryBudget::exceeded(const std::string& subject) const {
    throw BudgetExceeded("archive too large to open (limit " + std::to_string(limit_ >> 20) + " MiB)",
                         subject);
}

} // namespace bcf
