#pragma once

#include "run/RunState.h"
#include "run/RunUi.h"

namespace velmora {

// Carries the changes marked "M" across: a change made on one side only is
// copied to the other side and the sync data; the same change made on both
// sides goes into the sync data; different changes on both sides are put
// before the person in the conflict dialog.
void SyncModifiedItems(RunState& state, RunUi& ui);

}  // namespace velmora
