#pragma once

#include <string_view>

#include "engine/EngineLog.h"
#include "run/RunState.h"
#include "run/RunUi.h"

namespace velmora {

// The 1-based positions of the three records of one contact.
struct ConflictPositions {
    int outlook;
    int phoneBook;
    int sync;
};

// The conflict dialog's two buttons. Each writes the nineteen values of the
// kept column (name, numbers and speed dials, as the person may have edited
// them; ContactID and Flag of `values` are not used) into the three records
// at `positions`, in the order address book, phone book, sync data. On each
// record "M" becomes "W" and "N" becomes "C", each with its log line; "I"
// and "S" become "W" without one; other flags stay. They open the log for
// appending and close it again.
void KeepOutlook(RunState& state, const ConflictPositions& positions, const SyncObject& values);
void KeepPhoneBook(RunState& state, const ConflictPositions& positions, const SyncObject& values);

// Logs "... Conflict detected for <name>" and shows the conflict dialog with the log closed (the
// buttons append to it themselves), then reopens `log` for appending. The choice, if any, is
// applied through KeepOutlook or KeepPhoneBook. Returns false when the dialog
// was closed without a choice: nothing has been changed then.
bool ShowConflict(RunState& state, RunUi& ui, ActivityLog& log, std::string_view walkedName,
                  const ConflictPositions& positions);

// One side of a reconciling pass: its set, its store, and the word for its
// data in the log ("Outlook", "PhoneBook").
struct Side {
    SyncSet& set;
    Store store;
    std::string_view dataWord;
};
Side OutlookSide(RunState& state);
Side PhoneBookSide(RunState& state);

// The conflict positions of a contact met while walking `walked`.
ConflictPositions PositionsFor(const Side& walked, int walkedPosition, int otherPosition,
                               int syncPosition);

// Position in `set` of the record with the contact ID of `record`. The
// earlier stages give every contact reached by the reconciling passes a record
// in each set; a missing one means the stores contradict each other, and the
// run stops with a message naming the contact. `dataWord` names the set in
// that message: "Outlook", "PhoneBook", "sync".
int CounterpartPosition(const SyncSet& set, const SyncObject& record, std::string_view dataWord);

}  // namespace velmora
