#pragma once

#include "run/RunState.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

class RunUi;

// The address-book writer stage: acts on each record of OutlookSet by its
// flag ("D" delete, "W" rewrite what differs, "C" create, "S" speed dials,
// "I" contact ID and speed dials) on the card the record was loaded from, and
// logs every action; then stores the changed cards, each once. New and
// changed names are confirmed in the name prompt shown through `ui`. A card
// that cannot be stored is logged as "... Could not ..." and reported, with
// its contact, for the caller to apply (ApplyWriteReport).
WriteReport WriteOutlookContacts(const RunState& state, AddressBook& book, RunUi& ui);

}  // namespace velmora
