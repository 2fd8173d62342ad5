#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Values as the phone keeps them. The three stores hold some values in
// different forms; a run compares them in the phone's form, so that a value
// that only looks different is never carried back and forth.

// The phone keeps names of up to this many characters (code points).
inline constexpr std::size_t kPhoneNameLength = 22;

// The name as the phone keeps it: its first 22 characters.
std::string PhoneName(std::string_view name);

// A contact ID in its plain form: a positive whole number in decimal,
// without blanks, sign, leading zeros or a zero fraction ("07", " 7", "+7"
// and "7.0" are all "7"). "" stays "" (no ID yet); nullopt for text that is
// no such number ("abc", "-1", "5.5", "0", one beyond 64 bits).
std::optional<std::string> PlainContactId(std::string_view text);

}  // namespace velmora
