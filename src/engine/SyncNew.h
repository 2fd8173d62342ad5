#pragma once

#include "run/RunState.h"
#include "run/RunUi.h"

namespace velmora {

// Marks "C" (to be created) the copies that the new-items check made for
// contacts new on the other side, and their sync records. When the record a
// copy was made from has since been marked and no longer agrees with it, the
// pair is put before the person in the conflict dialog instead.
void SyncNewItems(RunState& state, RunUi& ui);

}  // namespace velmora
