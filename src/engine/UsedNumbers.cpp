#include "engine/UsedNumbers.h"

#include <optional>
#include <utility>

namespace velmora {

namespace {

// Far beyond any value a run hands out, and safe from overflow.
constexpr std::size_t kMaxDigits = 18;

std::optional<std::int64_t> PlainPositiveNumber(std::string_view text) {
    if (text.empty() || text.size() > kMaxDigits || text.front() == '0') return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

void UsedNumbers::Add(std::string_view text) {
    if (auto value = PlainPositiveNumber(text)) ++counts_[*value];
}

void UsedNumbers::Remove(std::string_view text) {
    const auto value = PlainPositiveNumber(text);
    if (!value) return;
    const auto it = counts_.find(*value);
    if (it == counts_.end()) return;
    if (--it->second > 0) return;
    counts_.erase(it);
    if (*value < lowestCandidate_) lowestCandidate_ = *value;
}

std::string UsedNumbers::SmallestFree() {
    while (counts_.contains(lowestCandidate_))
        ++lowestCandidate_;
    return std::to_string(lowestCandidate_);
}

void UsedNumbers::Replace(std::string_view old, std::string_view text) {
    Remove(old);
    Add(text);
}

}  // namespace velmora
