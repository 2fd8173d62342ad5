#pragma once

#include "app/SyncStages.h"
#include "support/SyncSession.h"

namespace velmora::test {

// Stores that fail the test, naming the attempt, at any write, and refuse it.
StoreBackends WriteRefusing(const StoreBackends& backends);

// A run that must complete without a write, a dialog or a logged event.
void ExpectQuietRun(const scenarios::SyncSession& session);

}  // namespace velmora::test
