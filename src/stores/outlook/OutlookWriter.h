#pragma once

#include "stores/outlook/OutlookPort.h"

namespace velmora {

class RunUi;
struct RunState;

// The address-book writer stage: acts on each record of OutlookSet by its
// flag ("D" delete, "W" rewrite what differs, "C" create, "S" speed dials,
// "I" contact ID and speed dials) on the card the record was loaded from, and
// logs every action; then stores the changed cards, each once. New and
// changed names are confirmed in the name prompt shown through `ui`. A card
// that cannot be stored is logged as "... Could not ..." and counted in
// state.FailedWrites, and its contact's sync record is left as loaded.
void WriteOutlookContacts(RunState& state, AddressBook& book, RunUi& ui);

}  // namespace velmora
