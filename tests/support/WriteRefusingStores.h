#pragma once

#include "app/SyncStages.h"
#include "support/SyncSession.h"

namespace velmora::test {

// Decorators of the stores that let a run read everything and fail the test
// at any attempt to write: an AddNew, Edit, Update or Delete of a recordset;
// a change, deletion or creation of a card of the address book.
// Each failure says what was tried where, and the attempt throws
// velmora::Error so that nothing is stored. (A database the run would create
// is there already, and creating it again fails the run.)
StoreBackends WriteRefusing(const StoreBackends& backends);

// Runs a synchronization through write-refusing decorators of the session's
// stores and expects a run with nothing to do: the outcome is Complete, no
// dialog or message was shown, the activity log holds no event line, and
// the three stores render exactly as before.
void ExpectQuietRun(const scenarios::SyncSession& session);

}  // namespace velmora::test
