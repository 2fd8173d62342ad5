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

// Everything the program knows about one kind, in every store and on screen.
// Code that treats the kinds alike walks this table instead of repeating itself.
struct NumberKindInfo {
    NumberKind kind;
    std::string SyncObject::*number;      // number (or e-mail address) member of the record
    std::string SyncObject::*speed;       // speed dial member of the record
    int numberType;                       // NumberType code in the phone book
    std::string_view tagPrefix;           // entry prefix in the speed-dial tag
    std::string_view syncColumn;          // number column of the sync table
    std::string_view outlookField;        // address-book contact field
    std::string_view kindWord;            // phone book writer's log word
    std::string_view changeLinePrefix;    // address-book writer's change line
    std::string_view addedLineStart;      // address-book writer's added-values line
    std::string_view addedLineSpeedDial;  // text between the value and its speed dial
    std::string_view conflictLabel;       // row label of the conflict dialog
    std::string_view conflictNumberBox;   // box name after "ol"/"pb"
    std::string_view conflictSpeedBox;    // speed box name after "ol"/"pb"
};

inline constexpr std::array<NumberKindInfo, 9> kNumberKinds{{
    {NumberKind::Work2, &SyncObject::Work2Number, &SyncObject::Work2Speed, 0, "W2:", "Work2",
     "Business2TelephoneNumber", "secondary work number", "... The secondary work number for ",
     "........ Secondary work number: ", ", Speed dial: ", "Work 2 ................", "Work2",
     "Work2Speed"},
    {NumberKind::DirectConnect, &SyncObject::DCNumber, &SyncObject::DCSpeed, 1,
     "DC:", "DirectConnect", "User1", "direct connect number", "... The direct connect number for ",
     "........ Direct connect number: ", ", Speed dial: ", "Direct Connect ....", "DirectConnect",
     "DCSpeed"},
    {NumberKind::Home, &SyncObject::HomeNumber, &SyncObject::HomeSpeed, 2, "H:", "Home",
     "HomeTelephoneNumber", "home number", "... The home number for ",
     "........ Home number: ", ", Speed dial: ", "Home ..................", "Home", "HomeSpeed"},
    {NumberKind::Work1, &SyncObject::Work1Number, &SyncObject::Work1Speed, 3, "W1:", "Work1",
     "BusinessTelephoneNumber", "work number", "... The work number for ",
     "........ Work number: ", ", Speed dial: ", "Work 1 ................", "Work1", "Work1Speed"},
    {NumberKind::Mobile, &SyncObject::MobileNumber, &SyncObject::MobileSpeed, 4, "M:", "Mobile",
     "MobileTelephoneNumber", "mobile number", "... The mobile number for ",
     "........ Mobile number: ", ", Speed dial: ", "Mobile .................", "Mobile",
     "MobileSpeed"},
    {NumberKind::Fax, &SyncObject::FaxNumber, &SyncObject::FaxSpeed, 5, "F:", "Fax",
     "BusinessFaxNumber", "FAX number", "... The FAX number for ",
     "........ FAX number: ", ", Speed dial: ", "Fax ......................", "Fax", "FaxSpeed"},
    {NumberKind::Pager, &SyncObject::PagerNumber, &SyncObject::PagerSpeed, 6, "P:", "Pager",
     "PagerNumber", "pager number", "... The pager number for ", "........ Pager number: ",
     ", Speed dial: ", "Pager ..................", "Pager", "PagerSpeed"},
    {NumberKind::Other, &SyncObject::OtherNumber, &SyncObject::OtherSpeed, 9, "O:", "Other",
     "OtherTelephoneNumber", "'other' number", "... The 'other' number for ",
     "........ 'Other' number: ", ", Speed dial: ", "Other ...................", "Other",
     "OtherSpeed"},
    // The e-mail line has two blanks after "Speed dial:"; the stored logs have always had them.
    {NumberKind::Email, &SyncObject::EmailAddress, &SyncObject::EmailSpeed, 10, "E:", "Email",
     "Email1Address", "email address", "... The email address for ", "........ Email address: ",
     ", Speed dial:  ", "Email ...................", "Email", "EmailSpeed"},
}};

// The conflict dialog's other captions.
inline constexpr std::string_view kConflictNameLabel = "Name ..................";
inline constexpr std::string_view kConflictSpeedDialLabel = "Speed Dial";

// Orders in which particular stages walk the kinds.
inline constexpr std::array<NumberKind, 9> kSpeedDialAssignmentOrder{
    NumberKind::DirectConnect, NumberKind::Fax,   NumberKind::Home,
    NumberKind::Mobile,        NumberKind::Other, NumberKind::Pager,
    NumberKind::Work1,         NumberKind::Work2, NumberKind::Email};
inline constexpr std::array<NumberKind, 7> kOutlookPhoneFieldOrder{
    NumberKind::Fax,   NumberKind::Home,  NumberKind::Mobile, NumberKind::Other,
    NumberKind::Pager, NumberKind::Work1, NumberKind::Work2};
inline constexpr std::array<NumberKind, 9> kAddedValuesOrder{
    NumberKind::DirectConnect, NumberKind::Email,  NumberKind::Fax,
    NumberKind::Home,          NumberKind::Mobile, NumberKind::Other,
    NumberKind::Pager,         NumberKind::Work1,  NumberKind::Work2};

constexpr const NumberKindInfo& KindInfo(NumberKind kind) {
    return kNumberKinds[static_cast<std::size_t>(kind)];
}

// The kind of a phone book NumberType code; nullptr for 7, 8 and any other code.
const NumberKindInfo* KindByNumberType(long long numberType);

// The phone book writer's word for a NumberType code; empty for codes of no kind.
std::string_view KindWordOfNumberType(long long numberType);

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
