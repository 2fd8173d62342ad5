#include "stores/outlook/OutlookLoader.h"

#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/NumberText.h"
#include "model/PhoneForm.h"
#include "model/Text.h"
#include "run/RunState.h"
#include "stores/outlook/OutlookKinds.h"

namespace velmora {

std::string EmailAddressOf(const AddressBook& book, CardHandle card) {
    std::string address = ToLowerText(book.Get(card, ContactField::Email1Address));
    if (address.find_first_of("/=") != std::string::npos) {
        address = ToLowerText(book.Get(card, ContactField::Email1DisplayName));
    }
    const std::size_t open = address.find('(');
    if (open == std::string::npos) return address;
    const std::size_t close = address.find(')', open + 1);
    if (close == std::string::npos) return address;
    return address.substr(open + 1, close - open - 1);
}

namespace {

// A contact that does not take part carries no contact ID or speed dials of
// ours. One that has none is left alone: an absent marker already means
// "not taking part", and writing it would touch a card for nothing.
void Unmark(AddressBook& book, CardHandle card) {
    book.Set(card, ContactField::User3, "");
    book.Set(card, ContactField::User4, "");
}

// The contact ID in plain form, the card set to it when it wrote it otherwise.
void TakePlainContactId(AddressBook& book, SyncSet& set, SyncObject& record) {
    const auto plain = PlainContactId(record.ContactID);
    if (!plain) {
        throw Error("The contact " + record.ContactName + " in " + book.Describe(record.Card) +
                    " has the contact ID \"" + record.ContactID +
                    "\", which is no whole number above 0. Please remove its "
                    "X-VELMORA-CONTACT-ID line (Velmora then gives it a new ID) and run "
                    "the synchronization again.");
    }
    if (*plain == record.ContactID) return;
    book.Set(record.Card, ContactField::User3, *plain);
    set.ChangeContactID(record, *plain);
}

}  // namespace

std::optional<ContactField> NameFieldOf(std::string_view nameField) {
    if (nameField == "File As") return ContactField::FileAs;
    if (nameField == "Full Name") return ContactField::FullName;
    if (nameField == "Nickname") return ContactField::NickName;
    return std::nullopt;
}

bool IsIncluded(const AddressBook& book, CardHandle card) {
    const std::string flag = ToUpperText(book.Get(card, ContactField::User2));
    return flag == "Y" || flag == "YES";
}

SyncObject& ImportOutlookData(SyncSet& set, const AddressBook& book, CardHandle card,
                              std::string_view nameField) {
    SyncObject record;
    record.Card = card;
    record.ContactID = book.Get(card, ContactField::User3);
    if (const auto field = NameFieldOf(nameField)) record.ContactName = book.Get(card, *field);
    for (const NumberKindInfo& kind : kNumberKinds) {
        if (kind.kind == NumberKind::Email) continue;
        const std::string text = book.Get(card, FieldOf(kind.kind));
        // The direct connect number is kept as typed; phone numbers as dialled.
        record.SetNumber(kind.kind,
                         kind.kind == NumberKind::DirectConnect ? text : DigitsOnly(text));
    }
    record.SetNumber(NumberKind::Email, EmailAddressOf(book, card));
    ApplySpeedDialTag(record, book.Get(card, ContactField::User4));
    // The tag outlives a number the person removed. Its entry then means
    // nothing, and kept, it would make a number removed on both sides look
    // like two different changes.
    for (const NumberKindInfo& kind : kNumberKinds) {
        if (record.Number(kind.kind).empty()) record.SetSpeed(kind.kind, "");
    }
    record.Flag = RecordFlag::None;
    return set.Append(std::move(record));
}

void LoadOutlookContacts(RunState& state, AddressBook& book) {
    for (CardHandle card = 1; card <= book.Count(); ++card) {
        if (!book.IsContact(card)) continue;
        if (IsIncluded(book, card)) {
            SyncObject& record =
                ImportOutlookData(state.OutlookSet, book, card, state.settings.NameField);
            TakePlainContactId(book, state.OutlookSet, record);
        } else {
            Unmark(book, card);
        }
    }
}

}  // namespace velmora
