#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/SyncObject.h"

namespace velmora {

// The nine kinds of number a contact can carry, in their canonical order (the
// order of the phone book's NumberType codes, the speed-dial tag and the sync
// table's columns).
enum class NumberKind { Work2, DirectConnect, Home, Work1, Mobile, Fax, Pager, Other, Email };

// What the contact record knows about one kind: its members, its code in the
// phone book, its entry in the speed-dial tag. Each layer keeps its own words
// for the kinds next to this table: the sync table's columns and the phone
// book writer's log words in stores/database, the address book's fields and
// log lines in stores/outlook (OutlookKinds.h), the conflict captions in
// run/RunUi.h, the box names in gui/VelmoraConflict.cpp. Code that treats the
// kinds alike walks this table instead of repeating itself.
struct NumberKindInfo {
    NumberKind kind;
    std::string SyncObject::*number;  // number (or e-mail address) member of the record
    std::string SyncObject::*speed;   // speed dial member of the record
    int numberType;                   // NumberType code in the phone book
    std::string_view tagPrefix;       // entry prefix in the speed-dial tag
};

inline constexpr std::array<NumberKindInfo, 9> kNumberKinds{{
    {NumberKind::Work2, &SyncObject::Work2Number, &SyncObject::Work2Speed, 0, "W2:"},
    {NumberKind::DirectConnect, &SyncObject::DCNumber, &SyncObject::DCSpeed, 1, "DC:"},
    {NumberKind::Home, &SyncObject::HomeNumber, &SyncObject::HomeSpeed, 2, "H:"},
    {NumberKind::Work1, &SyncObject::Work1Number, &SyncObject::Work1Speed, 3, "W1:"},
    {NumberKind::Mobile, &SyncObject::MobileNumber, &SyncObject::MobileSpeed, 4, "M:"},
    {NumberKind::Fax, &SyncObject::FaxNumber, &SyncObject::FaxSpeed, 5, "F:"},
    {NumberKind::Pager, &SyncObject::PagerNumber, &SyncObject::PagerSpeed, 6, "P:"},
    {NumberKind::Other, &SyncObject::OtherNumber, &SyncObject::OtherSpeed, 9, "O:"},
    {NumberKind::Email, &SyncObject::EmailAddress, &SyncObject::EmailSpeed, 10, "E:"},
}};

// A table of something per kind, in the canonical order, and its entry for one kind.
template <typename Value>
using PerKind = std::array<Value, 9>;
template <typename Value>
constexpr const Value& EntryOf(const PerKind<Value>& table, NumberKind kind) {
    return table[static_cast<std::size_t>(kind)];
}

constexpr const NumberKindInfo& KindInfo(NumberKind kind) {
    return kNumberKinds[static_cast<std::size_t>(kind)];
}

// The kind of a phone book NumberType code; nullptr for 7, 8 and any other code.
const NumberKindInfo* KindByNumberType(long long numberType);

inline std::string& NumberOf(SyncObject& record, NumberKind kind) {
    return record.*KindInfo(kind).number;
}
inline const std::string& NumberOf(const SyncObject& record, NumberKind kind) {
    return record.*KindInfo(kind).number;
}
inline std::string& SpeedOf(SyncObject& record, NumberKind kind) {
    return record.*KindInfo(kind).speed;
}
inline const std::string& SpeedOf(const SyncObject& record, NumberKind kind) {
    return record.*KindInfo(kind).speed;
}

}  // namespace velmora
