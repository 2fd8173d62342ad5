#pragma once

#include <string>
#include <vector>

#include "support/SyncSession.h"

namespace velmora::scenarios {

// One line per broken rule after a run, given the agreed stores before the
// edits, the edited ones and the result: all three agree, each contact holds
// the version of the side that changed it, and only free speed dials are given.
std::vector<std::string> CheckInvariants(const LoadedStores& agreed, const LoadedStores& edited,
                                         const LoadedStores& after);

// "12:Ann Lee:H=5551234567/3,M=5559876543/4": a record in one line.
std::string Describe(const SyncObject& record);

}  // namespace velmora::scenarios
