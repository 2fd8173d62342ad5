#include "engine/ContactIds.h"

#include "engine/EngineLog.h"
#include "engine/UsedNumbers.h"

namespace velmora {

namespace {

// IDs still held only by the sync data count as used: such an ID belongs to
// a contact deleted on both sides since the previous run, and a new contact
// that received it would be taken for that contact and deleted again.
UsedNumbers UsedContactIDs(const RunState& state) {
    UsedNumbers used;
    for (const SyncSet* set : {&state.PhoneBookSet, &state.OutlookSet, &state.SyncDataSet}) {
        for (const SyncObject& record : *set)
            used.Add(record.ContactID);
    }
    return used;
}

// The phone book entry whose ID the record can take over: the last one with
// the same name, when no address-book record carries its ID yet.
const SyncObject* MatchByName(const RunState& state, const SyncObject& record) {
    const int p = FindByContactName(record.ContactName, state.PhoneBookSet);
    if (p == 0) return nullptr;
    const SyncObject& entry = state.PhoneBookSet.Item(p);
    if (FindByContactID(entry.ContactID, state.OutlookSet) != 0) return nullptr;
    return &entry;
}

}  // namespace

void AssignContactIDs(RunState& state) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Verifying that all Outlook Contact items contain a contact ID.");
    UsedNumbers used = UsedContactIDs(state);
    for (SyncObject& record : state.OutlookSet) {
        if (!record.ContactID.empty()) continue;
        if (const SyncObject* entry = MatchByName(state, record)) {
            used.Assign(record.ContactID, entry->ContactID);
            WriteEvent(log, record.ContactName, " in Outlook has been matched with ",
                       entry->ContactName, " in the PhoneBook and assigned a contact ID of ",
                       record.ContactID, ".");
        } else {
            used.Assign(record.ContactID, used.SmallestFree());
            WriteEvent(log, record.ContactName, " has been assigned a new contact ID of ",
                       record.ContactID, ".");
        }
        if (record.Flag.empty()) {
            record.Flag = "I";
            WriteWillBeModified(log, record.ContactName, Store::Outlook);
        }
    }
    log.Close();
}

}  // namespace velmora
