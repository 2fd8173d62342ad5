#include "stores/outlook/OutlookPort.h"

#include <array>

namespace velmora {

namespace {

constexpr std::array<std::string_view, kContactFieldCount> kFieldNames{
    "User1",
    "User2",
    "User3",
    "User4",
    "FileAs",
    "FullName",
    "FirstName",
    "LastName",
    "NickName",
    "Business2TelephoneNumber",
    "BusinessTelephoneNumber",
    "HomeTelephoneNumber",
    "MobileTelephoneNumber",
    "BusinessFaxNumber",
    "PagerNumber",
    "OtherTelephoneNumber",
    "Email1Address",
    "Email1DisplayName",
    "Email1AddressType",
};

}  // namespace

std::string_view FieldName(ContactField field) {
    return kFieldNames[static_cast<std::size_t>(field)];
}

std::optional<ContactField> FieldByName(std::string_view name) {
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (kFieldNames[i] == name) return static_cast<ContactField>(i);
    }
    return std::nullopt;
}

}  // namespace velmora
