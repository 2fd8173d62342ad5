#pragma once

#include "stores/outlook/OutlookPort.h"

namespace velmora {

class RunUi;
struct RunState;

// The address-book writer stage: acts on each record of OutlookSet by its
// flag ("D" delete, "W" rewrite what differs, "C" create, "S" speed dials,
// "I" contact ID and speed dials) and logs every action. New and changed
// names are confirmed in the name prompt shown through `ui`.
void WriteOutlookContacts(RunState& state, const OutlookApplicationFactory& makeApplication,
                          RunUi& ui);

}  // namespace velmora
