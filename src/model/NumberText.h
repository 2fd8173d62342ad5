#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/SyncObject.h"

namespace velmora {

// A phone number as the phone dials it: the ASCII digits as typed, in their
// order, letters as their keypad digits (1-800-FLOWERS is 18003569377), and a
// leading "+" kept. An extension marker ("x12", "ext. 12") is dropped, its
// digits kept. Blanks and punctuation go.
std::string DigitsOnly(std::string_view text);

// A digit string as the address book shows it under a mask option:
// 1 digits only, 2 "(nnn) nnn-nnnn", 3 "nnn-nnn-nnnn", 4 "nnn.nnn.nnnn".
// Only 7, 10 and 11 digits are masked; anything else comes back unchanged.
std::string MaskPhoneNumber(std::string_view digits, std::uint8_t maskOption);

// The speed-dial tag of a record, such as "W2:5,H:12,M:3": one entry per
// non-empty number, in NumberType order.
std::string BuildSpeedDialTag(const SyncObject& record);

// The whole number after the first occurrence of the prefix in the tag (0 when
// no number follows it). The caller makes sure that the prefix occurs.
std::int64_t GetTagValue(std::string_view prefix, std::string_view tag);

// Sets the speed dials of the kinds whose prefix occurs in the tag; other
// speed dials and all numbers stay as they are.
void ApplySpeedDialTag(SyncObject& record, std::string_view tag);

}  // namespace velmora
