#include "engine/ChangeFlags.h"

#include <algorithm>

#include "engine/EngineLog.h"
#include "engine/Records.h"
#include "model/NumberKinds.h"

namespace velmora {

namespace {

// Copies every record of `from` not flagged "D" into `other` and into the
// sync data when they lack its contact. Both lookups come before either copy.
// A sync record about to be forgotten ("D") does not count.
void CopyNewContacts(ActivityLog& log, const SyncSet& from, SyncSet& other, Store otherStore,
                     SyncSet& syncData) {
    for (const SyncObject& record : from) {
        // A contact without an ID waits until it holds something for the phone.
        if (record.Flag == RecordFlag::Delete || record.ContactID.empty()) continue;
        const bool otherLacksIt = FindByContactID(record.ContactID, other) == 0;
        const SyncObject* sync = RecordWithID(syncData, record.ContactID);
        const bool syncLacksIt = sync == nullptr || sync->Flag == RecordFlag::Delete;
        // Carried to the phone book and remembered, it would be missing
        // there on the next run and be taken for a contact deleted on the
        // phone: the address book would lose it. It waits for a number.
        if (otherLacksIt && otherStore == Store::PhoneBook && !HasNumbers(record)) continue;
        if (otherLacksIt) {
            other.CloneNew(record);
            WriteEvent(log, record.ContactName, " is new to ", StoreWords(otherStore), ".");
        }
        if (syncLacksIt) {
            syncData.CloneNew(record);
            WriteEvent(log, record.ContactName, " is new to the sync database.");
        }
    }
}

}  // namespace

void FlagDeletedItems(RunState& state) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Checking for items that have been deleted.");
    for (SyncObject& sync : state.SyncDataSet) {
        if (sync.Flag == RecordFlag::Delete) continue;  // already let go of when IDs were checked
        SyncObject* phoneBook = RecordWithID(state.PhoneBookSet, sync.ContactID);
        SyncObject* outlook = RecordWithID(state.OutlookSet, sync.ContactID);
        if (phoneBook != nullptr && outlook != nullptr) continue;
        sync.Flag = RecordFlag::Delete;
        // Remembered without numbers, the contact never was in the phone
        // book, so it was not deleted there: it is only forgotten.
        if (phoneBook == nullptr && outlook != nullptr && !HasNumbers(sync)) continue;
        if (phoneBook != nullptr) {
            phoneBook->Flag = RecordFlag::Delete;
            WriteEvent(log, phoneBook->ContactName, " has been deleted from Outlook.");
        } else if (outlook != nullptr) {
            outlook->Flag = RecordFlag::Delete;
            WriteEvent(log, outlook->ContactName, " has been deleted from the PhoneBook.");
        } else {
            WriteEvent(log, sync.ContactName,
                       " has been deleted from both Outlook and the PhoneBook.");
        }
    }
    log.Close();
}

void FlagNewItems(RunState& state) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Checking for new items in Outlook.");
    CopyNewContacts(log, state.OutlookSet, state.PhoneBookSet, Store::PhoneBook, state.SyncDataSet);
    log.WriteLine("Checking for new items in the PhoneBook.");
    CopyNewContacts(log, state.PhoneBookSet, state.OutlookSet, Store::Outlook, state.SyncDataSet);
    log.Close();
}

void FlagModifiedItems(RunState& state) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Checking for items that have been modified.");
    for (SyncObject& sync : state.SyncDataSet) {
        if (sync.Flag == RecordFlag::Delete) continue;
        SyncObject* outlook = RecordWithID(state.OutlookSet, sync.ContactID);
        SyncObject* phoneBook = RecordWithID(state.PhoneBookSet, sync.ContactID);
        const bool outlookChanged = outlook != nullptr && !RecordsEqual(sync, *outlook);
        const bool phoneBookChanged = phoneBook != nullptr && !RecordsEqual(sync, *phoneBook);
        // The "M" goes on the record that has to receive the change.
        if (outlookChanged) {
            if (phoneBook != nullptr) MarkModified(*phoneBook);
            MarkModified(sync);
            WriteEvent(log, sync.ContactName, " has been modified in Outlook.");
        }
        if (phoneBookChanged) {
            if (outlook != nullptr) MarkModified(*outlook);
            MarkModified(sync);
            WriteEvent(log, sync.ContactName, " has been modified in the PhoneBook.");
        }
    }
    log.Close();
}

}  // namespace velmora
