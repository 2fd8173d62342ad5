#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/SyncSet.h"

namespace velmora {

struct RunState;

// Non-empty numbers and e-mail addresses over the records not flagged "D".
std::int64_t CountOutlookNumbers(const SyncSet& outlookSet);

// A result that does not fit the phone.
struct CapacityOverflow {
    std::int64_t count;
    std::int64_t limit;
    std::string_view text;  // " names in ..." or " phone numbers in ..."

    // "The 251 phone numbers in Outlook exceeds your phone's capacity of 250."
    std::string Message() const;
};

inline constexpr std::string_view kNamesOverflowText =
    " names in Outlook exceeds your phone's capacity of ";
inline constexpr std::string_view kNumbersOverflowText =
    " phone numbers in Outlook exceeds your phone's capacity of ";

// Checks the address-book set against the phone's limits; nullopt when it fits.
std::optional<CapacityOverflow> CheckCapacity(const RunState& state);

}  // namespace velmora
