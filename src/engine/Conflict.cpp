#include "engine/Conflict.h"

#include <string>

#include "engine/Records.h"
#include "model/Error.h"

namespace velmora {

namespace {

// Writes the kept values into one record of the conflict and advances its
// flag: "M" to "W", "N" to "C", "I" and "S" to "W" without a line (they have
// had theirs); any other letter stays, without a line.
void TakeValues(ActivityLog& log, SyncObject& record, const SyncObject& values, Store store) {
    CopyValues(record, values);
    // A card that was only to get its ID or speed dials now takes the kept
    // values as well.
    if (record.Flag == RecordFlag::AssignID || record.Flag == RecordFlag::SpeedDials) {
        record.Flag = RecordFlag::Write;
    } else if (record.Flag == RecordFlag::Modified) {
        record.Flag = RecordFlag::Write;
        WriteWillBeModified(log, record.ContactName, store);
    } else if (record.Flag == RecordFlag::New) {
        record.Flag = RecordFlag::Create;
        WriteWillBeAdded(log, record.ContactName, store);
    }
}

// Writes the kept values into the three records, address book first. The
// values may be one of the three records itself: copying a record onto
// itself changes nothing, and no record's values change before they are read.
void WriteKeptValues(RunState& state, const ConflictPositions& positions, ActivityLog& log,
                     const SyncObject& values) {
    TakeValues(log, state.OutlookSet.Item(positions.outlook), values, Store::Outlook);
    TakeValues(log, state.PhoneBookSet.Item(positions.phoneBook), values, Store::PhoneBook);
    TakeValues(log, state.SyncDataSet.Item(positions.sync), values, Store::Sync);
}

// Logs which side wins, naming the kept record as it was, then writes its values.
void Resolve(RunState& state, const ConflictPositions& positions, const SyncObject& values,
             const std::string& keptName, std::string_view outcome) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    WriteEvent(log, "Conflict resolution for ", keptName, outcome);
    WriteKeptValues(state, positions, log, values);
    log.Close();
}

}  // namespace

void KeepOutlook(RunState& state, const ConflictPositions& positions, const SyncObject& values) {
    Resolve(state, positions, values, state.OutlookSet.Item(positions.outlook).ContactName,
            ": Outlook data will overwrite PhoneBook data.");
}

void KeepPhoneBook(RunState& state, const ConflictPositions& positions, const SyncObject& values) {
    Resolve(state, positions, values, state.PhoneBookSet.Item(positions.phoneBook).ContactName,
            ": PhoneBook data will overwrite Outlook data.");
}

bool ShowConflict(RunState& state, RunUi& ui, ActivityLog& log, std::string_view walkedName,
                  const ConflictPositions& positions) {
    WriteEvent(log, "Conflict detected for ", walkedName);
    log.Close();
    const std::optional<ConflictChoice> choice = ui.ShowConflictDialog(
        state.OutlookSet.Item(positions.outlook), state.PhoneBookSet.Item(positions.phoneBook));
    if (choice) {
        if (choice->side == ConflictSide::Outlook) {
            KeepOutlook(state, positions, choice->values);
        } else {
            KeepPhoneBook(state, positions, choice->values);
        }
    }
    log = ActivityLog::OpenForAppend(state.settings.LogPath);
    return choice.has_value();
}

Side OutlookSide(RunState& state) {
    return {state.OutlookSet, Store::Outlook, "Outlook"};
}

Side PhoneBookSide(RunState& state) {
    return {state.PhoneBookSet, Store::PhoneBook, "PhoneBook"};
}

ConflictPositions PositionsFor(const Side& walked, int walkedPosition, int otherPosition,
                               int syncPosition) {
    if (walked.store == Store::Outlook) return {walkedPosition, otherPosition, syncPosition};
    return {otherPosition, walkedPosition, syncPosition};
}

int CounterpartPosition(const SyncSet& set, const SyncObject& record, std::string_view dataWord) {
    const int position = FindByContactID(record.ContactID, set);
    if (position == 0) {
        throw Error("The contact " + record.ContactName + " (contact ID " + record.ContactID +
                    ") has no record in the " + std::string(dataWord) + " data.");
    }
    return position;
}

}  // namespace velmora
