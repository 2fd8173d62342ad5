#pragma once

#include "model/SyncSet.h"
#include "run/RunState.h"

namespace velmora {

// Gives every number of every address-book record that lacks a speed dial the
// value the phone book holds for it, or else the smallest value that no
// record of the three sets holds, and writes it into the contact's phone book
// and sync records too. Writes nothing to the log.
void AssignSpeedDials(RunState& state);

}  // namespace velmora
