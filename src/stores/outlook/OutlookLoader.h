#pragma once

#include <optional>
#include <string_view>

#include "model/SyncSet.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

struct RunState;

// The contact field that holds a contact's name under the NameField setting:
// "File As", "Full Name" or "Nickname"; nullopt for any other value.
std::optional<ContactField> NameFieldOf(std::string_view nameField);

// A contact takes part when its User2 reads "Y" or "YES" in any letter case.
bool IsIncluded(const ContactItem& contact);

// Builds a record from a contact (ID, name under `nameField`, numbers as
// digits, the e-mail address by the e-mail rule, speed dials from the tag),
// appends it to the set and returns it.
SyncObject& ImportOutlookData(SyncSet& set, const ContactItem& contact, std::string_view nameField);

// The first stage of a run: every included contact becomes a record of
// OutlookSet, in folder order; every other contact is unmarked (User2 "No",
// no contact ID, no speed dials) and saved. Distribution lists are passed over.
void LoadOutlookContacts(RunState& state, const OutlookApplicationFactory& makeApplication);

}  // namespace velmora
