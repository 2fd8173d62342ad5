#include "engine/SyncNew.h"

#include "engine/Conflict.h"
#include "engine/Records.h"

namespace velmora {

namespace {

// Walks one side for copies marked "N" by the new-items check.
void CreatePass(RunState& state, RunUi& ui, ActivityLog& log, const Side& walkedSide,
                const Side& otherSide) {
    for (int c = 1; c <= walkedSide.set.Count(); ++c) {
        SyncObject& copy = walkedSide.set.Item(c);
        if (copy.Flag != RecordFlag::New) continue;
        const int o = CounterpartPosition(otherSide.set, copy, otherSide.dataWord);
        const int s = CounterpartPosition(state.SyncDataSet, copy, "sync");
        const SyncObject& source = otherSide.set.Item(o);
        SyncObject& sync = state.SyncDataSet.Item(s);
        if (source.Flag != RecordFlag::None && !RecordsEqual(copy, source)) {
            const bool chosen =
                ShowConflict(state, ui, log, copy.ContactName, PositionsFor(walkedSide, c, o, s));
            // Left without a choice, the contact is created on neither side;
            // its sync record, made in this run, must then not be stored
            // either, or the next run would take the missing copy for a
            // deletion and delete the contact from the side that has it.
            if (!chosen && (sync.Flag == RecordFlag::New || sync.Flag == RecordFlag::Create))
                sync.Flag = RecordFlag::None;
            continue;
        }
        copy.Flag = RecordFlag::Create;
        WriteWillBeAdded(log, copy.ContactName, walkedSide.store);
        sync.Flag = RecordFlag::Create;
        WriteWillBeAdded(log, sync.ContactName, Store::Sync);
    }
}

}  // namespace

void SyncNewItems(RunState& state, RunUi& ui) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Synchronizing new items.");
    CreatePass(state, ui, log, OutlookSide(state), PhoneBookSide(state));
    CreatePass(state, ui, log, PhoneBookSide(state), OutlookSide(state));
    log.Close();
}

}  // namespace velmora
