#pragma once

#include <array>
#include <string_view>

#include "model/NumberKinds.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

// How the address book holds each number kind, and the words its writer logs.
struct OutlookKindInfo {
    NumberKind kind;
    ContactField field;
    std::string_view changeLinePrefix;    // the line of a changed or deleted number
    std::string_view addedLineStart;      // the line of a new card's number
    std::string_view addedLineSpeedDial;  // text between that number and its speed dial
};

inline constexpr PerKind<OutlookKindInfo> kOutlookKinds{{
    {NumberKind::Work2, ContactField::Business2TelephoneNumber,
     "... The secondary work number for ", "........ Secondary work number: ", ", Speed dial: "},
    {NumberKind::DirectConnect, ContactField::User1, "... The direct connect number for ",
     "........ Direct connect number: ", ", Speed dial: "},
    {NumberKind::Home, ContactField::HomeTelephoneNumber, "... The home number for ",
     "........ Home number: ", ", Speed dial: "},
    {NumberKind::Work1, ContactField::BusinessTelephoneNumber, "... The work number for ",
     "........ Work number: ", ", Speed dial: "},
    {NumberKind::Mobile, ContactField::MobileTelephoneNumber, "... The mobile number for ",
     "........ Mobile number: ", ", Speed dial: "},
    {NumberKind::Fax, ContactField::BusinessFaxNumber, "... The FAX number for ",
     "........ FAX number: ", ", Speed dial: "},
    {NumberKind::Pager, ContactField::PagerNumber, "... The pager number for ",
     "........ Pager number: ", ", Speed dial: "},
    {NumberKind::Other, ContactField::OtherTelephoneNumber, "... The 'other' number for ",
     "........ 'Other' number: ", ", Speed dial: "},
    // The e-mail line has two blanks after "Speed dial:"; the stored logs have always had them.
    {NumberKind::Email, ContactField::Email1Address, "... The email address for ",
     "........ Email address: ", ", Speed dial:  "},
}};

constexpr const OutlookKindInfo& OutlookKind(NumberKind kind) {
    return EntryOf(kOutlookKinds, kind);
}

constexpr ContactField FieldOf(NumberKind kind) {
    return OutlookKind(kind).field;
}

// The seven telephone fields, in the order the writer sets them.
inline constexpr std::array<NumberKind, 7> kOutlookPhoneFieldOrder{
    NumberKind::Fax,   NumberKind::Home,  NumberKind::Mobile, NumberKind::Other,
    NumberKind::Pager, NumberKind::Work1, NumberKind::Work2};

// The order of the number lines logged for a new card.
inline constexpr std::array<NumberKind, 9> kAddedValuesOrder{
    NumberKind::DirectConnect, NumberKind::Email,  NumberKind::Fax,
    NumberKind::Home,          NumberKind::Mobile, NumberKind::Other,
    NumberKind::Pager,         NumberKind::Work1,  NumberKind::Work2};

// The table is in the canonical order of the kinds.
static_assert([] {
    for (std::size_t i = 0; i < kOutlookKinds.size(); ++i) {
        if (static_cast<std::size_t>(kOutlookKinds[i].kind) != i) return false;
    }
    return true;
}());

}  // namespace velmora
