#pragma once

#include <string>
#include <vector>

#include "support/SyncSession.h"

namespace velmora::scenarios {

// What must hold after a run, given the stores as they stood in agreement
// before the edits (all empty before the first run), after the edits, and
// after the run:
// - the address book, the phone book and the sync database hold the same
//   contacts, each once, and agree on every contact's name, numbers and
//   speed dials; every number has a speed dial;
// - every contact that neither side deleted is still there, and every
//   contact deleted on one side is gone from both;
// - each contact holds the version of the side that changed it (either
//   side's when both did): the address book's name and numbers, or the
//   phone book's name, numbers and speed dials; a contact that neither side
//   changed is as it was;
// - no two numbers share a speed dial unless the phone book already held
//   each of them with it, before the edits or after them: the run hands out
//   only free speed dials.
// Returns one line per violation; none when everything holds.
std::vector<std::string> CheckInvariants(const LoadedStores& agreed, const LoadedStores& edited,
                                         const LoadedStores& after);

// "12:Ann Lee:H=5551234567/3,M=5559876543/4": a record in one line.
std::string Describe(const SyncObject& record);

}  // namespace velmora::scenarios
