#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/SyncSet.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

struct RunState;

// The contact field that holds a contact's name under the NameField setting:
// "File As", "Full Name" or "Nickname"; nullopt for any other value.
std::optional<ContactField> NameFieldOf(std::string_view nameField);

// A contact takes part when its User2 reads "Y" or "YES" in any letter case.
bool IsIncluded(const AddressBook& book, CardHandle card);

// The e-mail address of a contact, in lower case. An address of the mail
// server's own form (with "/" or "=") gives way to the display name, and a
// display form "Name (address)" yields the address between the parentheses.
// A "(" without a ")" after it leaves the text as it is.
std::string EmailAddressOf(const AddressBook& book, CardHandle card);

// Builds a record from a contact (its card, ID, name under `nameField`,
// numbers as the phone dials them, the e-mail address by the e-mail rule,
// speed dials from the tag), appends it to the set and returns it.
SyncObject& ImportOutlookData(SyncSet& set, const AddressBook& book, CardHandle card,
                              std::string_view nameField);

// The first stage of a run: every included contact becomes a record of
// OutlookSet, in folder order, its contact ID in plain form (a card that
// wrote it otherwise is set to the plain form, to be stored with the run's
// other changes). A contact ID that is no whole number stops the run, naming
// the card. A contact that does not take part loses a contact ID or speed
// dials of ours, if it has any. Distribution lists are passed over.
void LoadOutlookContacts(RunState& state, AddressBook& book);

}  // namespace velmora
