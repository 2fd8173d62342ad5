#include "stores/outlook/OutlookPort.h"

#include <array>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/outlook/ContactFilter.h"

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
    // The stores ask by the exact name for every field of every contact; the
    // case-folding comparison is only needed for names typed in filters.
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (kFieldNames[i] == name) return static_cast<ContactField>(i);
    }
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (EqualsIgnoringCase(kFieldNames[i], name)) return static_cast<ContactField>(i);
    }
    return std::nullopt;
}

std::unique_ptr<ContactItem> TakeContact(std::unique_ptr<OutlookItem> item) {
    ContactItem* contact = item ? item->AsContact() : nullptr;
    if (contact == nullptr) return nullptr;
    static_cast<void>(item.release());  // `contact` is this very object
    return std::unique_ptr<ContactItem>(contact);
}

std::unique_ptr<OutlookItem> OutlookItems::Item(int index) {
    if (index < 1 || index > Count()) {
        throw Error("There is no item " + std::to_string(index) +
                    " in the address book; it holds " + std::to_string(Count()) + ".");
    }
    return ItemAt(index);
}

std::unique_ptr<ContactItem> OutlookItems::Find(std::string_view filter) {
    const ContactFilter parsed = ContactFilter::Parse(filter);
    const int count = Count();
    for (int index = 1; index <= count; ++index) {
        auto contact = TakeContact(Item(index));
        if (contact && parsed.Matches(*contact)) return contact;
    }
    return nullptr;
}

}  // namespace velmora
