#include "stores/outlook/OutlookLoader.h"

#include "model/NumberKinds.h"
#include "model/Text.h"
#include "run/RunState.h"
#include "stores/outlook/NumberText.h"

namespace velmora {

namespace {

// The e-mail address of a contact, in lower case. An address of the mail
// server's own form (with "/" or "=") gives way to the display name, and a
// display form "Name (address)" yields the address between the parentheses.
// A "(" without a ")" after it leaves the text as it is.
std::string EmailAddressOf(const ContactItem& contact) {
    std::string address = ToLowerText(contact.Get(ContactField::Email1Address));
    if (address.find_first_of("/=") != std::string::npos) {
        address = ToLowerText(contact.Get(ContactField::Email1DisplayName));
    }
    const std::size_t open = address.find('(');
    if (open == std::string::npos) return address;
    const std::size_t close = address.find(')', open + 1);
    if (close == std::string::npos) return address;
    return address.substr(open + 1, close - open - 1);
}

// Excluded contacts carry no contact ID or speed dials of ours.
void Unmark(ContactItem& contact) {
    const bool unmarked = contact.Get(ContactField::User2) == "No" &&
                          contact.Get(ContactField::User3).empty() &&
                          contact.Get(ContactField::User4).empty();
    if (unmarked) return;  // saving would store the same, and touch the file for nothing
    contact.Set(ContactField::User2, "No");
    contact.Set(ContactField::User3, "");
    contact.Set(ContactField::User4, "");
    contact.Save();
}

}  // namespace

std::optional<ContactField> NameFieldOf(std::string_view nameField) {
    if (nameField == "File As") return ContactField::FileAs;
    if (nameField == "Full Name") return ContactField::FullName;
    if (nameField == "Nickname") return ContactField::NickName;
    return std::nullopt;
}

bool IsIncluded(const ContactItem& contact) {
    const std::string flag = ToUpperText(contact.Get(ContactField::User2));
    return flag == "Y" || flag == "YES";
}

SyncObject& ImportOutlookData(SyncSet& set, const ContactItem& contact,
                              std::string_view nameField) {
    SyncObject record;
    record.ContactID = contact.Get(ContactField::User3);
    if (const auto field = NameFieldOf(nameField)) record.ContactName = contact.Get(*field);
    for (const NumberKindInfo& kind : kNumberKinds) {
        const auto field = FieldByName(kind.outlookField);
        if (kind.kind == NumberKind::Email || !field) continue;
        const std::string text = contact.Get(*field);
        // The direct connect number is kept as typed; phone numbers are digits.
        record.*kind.number = kind.kind == NumberKind::DirectConnect ? text : DigitsOnly(text);
    }
    record.EmailAddress = EmailAddressOf(contact);
    ApplySpeedDialTag(record, contact.Get(ContactField::User4));
    // The tag outlives a number the person removed. Its entry then means
    // nothing, and kept, it would make a number removed on both sides look
    // like two different changes.
    for (const NumberKindInfo& kind : kNumberKinds) {
        if ((record.*kind.number).empty()) (record.*kind.speed).clear();
    }
    record.Flag = "";
    return set.Append(std::move(record));
}

void LoadOutlookContacts(RunState& state, const OutlookApplicationFactory& makeApplication) {
    const auto application = makeApplication();
    const auto items = application->GetDefaultContactsFolder().Items();
    const int count = items->Count();
    for (int index = 1; index <= count; ++index) {
        const auto item = items->Item(index);
        ContactItem* contact = item->AsContact();
        if (item->TypeName() != kContactItemType || contact == nullptr) continue;
        if (IsIncluded(*contact)) {
            ImportOutlookData(state.OutlookSet, *contact, state.settings.NameField);
        } else {
            Unmark(*contact);
        }
    }
    application->Logoff();
}

}  // namespace velmora
