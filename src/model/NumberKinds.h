#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/SyncObject.h"

namespace velmora {

// What the contact record knows about one kind (model/SyncObject.h): its code in the
// phone book, its entry in the speed-dial tag. Each layer keeps its own words
// for the kinds next to this table: the sync table's columns and the phone
// book writer's log words in stores/database, the address book's fields and
// log lines in stores/outlook (OutlookKinds.h), the conflict captions in
// run/RunUi.h, the box names in gui/VelmoraConflict.cpp. Code that treats the
// kinds alike walks this table instead of repeating itself.
struct NumberKindInfo {
    NumberKind kind;
    int numberType;              // NumberType code in the phone book
    std::string_view tagPrefix;  // entry prefix in the speed-dial tag
};

inline constexpr std::array<NumberKindInfo, kNumberKindCount> kNumberKinds{{
    {NumberKind::Work2, 0, "W2:"},
    {NumberKind::DirectConnect, 1, "DC:"},
    {NumberKind::Home, 2, "H:"},
    {NumberKind::Work1, 3, "W1:"},
    {NumberKind::Mobile, 4, "M:"},
    {NumberKind::Fax, 5, "F:"},
    {NumberKind::Pager, 6, "P:"},
    {NumberKind::Other, 9, "O:"},
    {NumberKind::Email, 10, "E:"},
}};

// A table of something per kind, in the canonical order, and its entry for one kind.
template <typename Value>
using PerKind = std::array<Value, kNumberKindCount>;
template <typename Value>
constexpr const Value& EntryOf(const PerKind<Value>& table, NumberKind kind) {
    return table[static_cast<std::size_t>(kind)];
}

constexpr const NumberKindInfo& KindInfo(NumberKind kind) {
    return kNumberKinds[static_cast<std::size_t>(kind)];
}

// The kind of a phone book NumberType code; nullptr for 7, 8 and any other code.
const NumberKindInfo* KindByNumberType(long long numberType);

}  // namespace velmora
