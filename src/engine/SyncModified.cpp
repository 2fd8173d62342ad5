#include "engine/SyncModified.h"

#include "engine/Conflict.h"
#include "engine/ContactIds.h"
#include "engine/Records.h"
#include "model/NumberText.h"

namespace velmora {

namespace {

// A sync record made in this run is to be added, any other rewritten.
void MarkSyncRecordForWriting(ActivityLog& log, SyncObject& sync) {
    if (sync.Flag == RecordFlag::New) {
        sync.Flag = RecordFlag::Create;
        WriteWillBeAdded(log, sync.ContactName, Store::Sync);
    } else {
        sync.Flag = RecordFlag::Write;
        WriteWillBeModified(log, sync.ContactName, Store::Sync);
    }
}

// Only the other side changed the contact: its data goes to the walked record
// and the sync record.
void CopyFromOtherSide(ActivityLog& log, const Side& walkedSide, const Side& otherSide,
                       SyncObject& walked, SyncObject& other, SyncObject& sync) {
    // The address book keeps its speed dials in one tag: when its data is the
    // source, the tag still has to be saved if the phone book's differ (for
    // example a speed dial given to a new number in this run).
    if (otherSide.store == Store::Outlook &&
        BuildSpeedDialTag(walked) != BuildSpeedDialTag(other)) {
        other.Flag = RecordFlag::SpeedDials;
        WriteEvent(log, "The speed dial values for ", other.ContactName,
                   " will be modified in Outlook.");
    }
    CopyRecord(walked, other);
    WriteEvent(log, "Information for ", walked.ContactName, " has been copied from the ",
               otherSide.dataWord, " data to the ", walkedSide.dataWord, " data.");
    CopyRecord(sync, other);
    WriteEvent(log, "Information for ", walked.ContactName, " has been copied from the ",
               otherSide.dataWord, " data to the sync data.");
    walked.Flag = RecordFlag::Write;
    WriteWillBeModified(log, walked.ContactName, walkedSide.store);
    MarkSyncRecordForWriting(log, sync);
}

// Both sides made the same change: only the sync data has to take it.
void TakeIdenticalChange(ActivityLog& log, const Side& walkedSide, const Side& otherSide,
                         const SyncObject& walked, SyncObject& sync) {
    WriteEvent(log, "Identical changes have been detected in the ", walkedSide.dataWord,
               " data and the ", otherSide.dataWord, " data.");
    CopyRecord(sync, walked);
    WriteEvent(log, "Information for ", walked.ContactName, " has been copied from the ",
               walkedSide.dataWord, " data to the sync data.");
    MarkSyncRecordForWriting(log, sync);
}

// Walks one side for records marked "M", which are to receive the other
// side's change.
void ReconcilePass(RunState& state, RunUi& ui, ActivityLog& log, const Side& walkedSide,
                   const Side& otherSide) {
    for (int c = 1; c <= walkedSide.set.Count(); ++c) {
        SyncObject& walked = walkedSide.set.Item(c);
        if (walked.Flag != RecordFlag::Modified) continue;
        const int o = CounterpartPosition(otherSide.set, walked, otherSide.dataWord);
        const int s = CounterpartPosition(state.SyncDataSet, walked, "sync");
        SyncObject& other = otherSide.set.Item(o);
        SyncObject& sync = state.SyncDataSet.Item(s);
        if (other.Flag == RecordFlag::None) {
            CopyFromOtherSide(log, walkedSide, otherSide, walked, other, sync);
        } else if (!RecordsEqual(walked, other)) {
            ShowConflict(state, ui, log, walked.ContactName, PositionsFor(walkedSide, c, o, s));
        } else {
            TakeIdenticalChange(log, walkedSide, otherSide, walked, sync);
        }
    }
}

}  // namespace

void SyncModifiedItems(RunState& state, RunUi& ui) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Synchronizing modified items.");
    const Side outlook = OutlookSide(state);
    const Side phoneBook = PhoneBookSide(state);
    // A conflict left without a choice in the first pass keeps its flags and
    // is met once more by the second; each pass walks its set once, so the
    // stage always ends.
    ReconcilePass(state, ui, log, outlook, phoneBook);
    ReconcilePass(state, ui, log, phoneBook, outlook);
    ReleaseContactsLeavingThePhone(state);
    log.Close();
}

}  // namespace velmora
