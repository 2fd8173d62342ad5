#include "engine/ContactIds.h"

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/EngineLog.h"
#include "engine/Records.h"
#include "engine/UsedNumbers.h"
#include "model/NumberKinds.h"
#include "model/PhoneForm.h"

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

// The phone book's entries by name, the last of each name.
std::unordered_map<std::string, const SyncObject*> EntriesByName(const SyncSet& phoneBook) {
    std::unordered_map<std::string, const SyncObject*> entries;
    for (const SyncObject& entry : phoneBook)
        entries[entry.ContactName] = &entry;
    return entries;
}

// The phone book entry whose ID the record can take over: the last one with
// the same name as the phone keeps it, when no address-book record carries
// its ID yet. So one phone contact is paired with one card at most.
const SyncObject* MatchByName(const RunState& state,
                              const std::unordered_map<std::string, const SyncObject*>& entries,
                              const SyncObject& record) {
    const auto found = entries.find(PhoneName(record.ContactName));
    if (found == entries.end()) return nullptr;
    const SyncObject* match = found->second;
    if (FindByContactID(match->ContactID, state.OutlookSet) != 0) return nullptr;
    return match;
}

// What a card without an ID takes its new one from.
struct IdSources {
    UsedNumbers used;
    std::unordered_map<std::string, const SyncObject*> entriesByName;
};

// Gives the record another ID, keeping the count of IDs in use right.
void SetId(SyncSet& set, UsedNumbers& used, SyncObject& record, std::string id) {
    used.Replace(record.ContactID, id);
    set.ChangeContactID(record, std::move(id));
}

void MarkForWriting(ActivityLog& log, SyncObject& record) {
    if (record.Flag != RecordFlag::None) return;
    record.Flag = RecordFlag::AssignID;
    WriteWillBeModified(log, record.ContactName, Store::Outlook);
}

// A copied card carries the ID of the card it was copied from. One card keeps
// the ID: the first that still holds what the sync data remembers of the
// contact, else the first in folder order. The others become new contacts;
// their speed dials are the kept card's and go with the ID.
void SeparateSharedIDs(RunState& state, ActivityLog& log) {
    SyncSet& cards = state.OutlookSet;
    for (SyncObject& record : cards) {
        if (record.ContactID.empty()) continue;
        const std::span<const int> positions = cards.PositionsOfContactID(record.ContactID);
        if (positions.size() < 2) continue;
        std::vector<SyncObject*> sharing;
        for (const int position : positions)
            sharing.push_back(&cards.Item(position));
        const SyncObject* sync = RecordWithID(state.SyncDataSet, record.ContactID);
        SyncObject* keeper = sharing.front();
        for (SyncObject* card : sharing) {
            if (sync != nullptr && RecordsEqual(*card, *sync)) {
                keeper = card;
                break;
            }
        }
        for (SyncObject* card : sharing) {
            if (card == keeper) continue;
            WriteEvent(log, card->ContactName, " carries the contact ID ", card->ContactID,
                       " of another card, which keeps it; it will be treated as a new contact.");
            cards.ChangeContactID(*card, "");
            for (const NumberKindInfo& kind : kNumberKinds)
                card->SetSpeed(kind.kind, "");
        }
    }
}

// A contact that holds nothing the phone can keep has no place there, so it
// holds no ID: kept, the phone's manager could give the same ID to a new
// contact, and the two would be taken for one. A card whose numbers were
// cleared since the previous run keeps its ID for this run, which carries
// the clearing to the phone book.
void ReleaseIDsWithoutNumbers(RunState& state, ActivityLog& log) {
    for (SyncObject& record : state.OutlookSet) {
        if (record.ContactID.empty() || HasNumbers(record)) continue;
        SyncObject* sync = RecordWithID(state.SyncDataSet, record.ContactID);
        if (sync != nullptr && HasNumbers(*sync)) continue;
        // The sync data remembered it without numbers: it is forgotten.
        if (sync != nullptr) sync->Flag = RecordFlag::Delete;
        state.OutlookSet.ChangeContactID(record, "");
        MarkForWriting(log, record);
    }
}

}  // namespace

void AssignContactIDs(RunState& state) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Verifying that all Outlook Contact items contain a contact ID.");
    SeparateSharedIDs(state, log);
    ReleaseIDsWithoutNumbers(state, log);
    // Made for the first card that needs an ID: on most runs none does.
    std::optional<IdSources> sources;
    for (SyncObject& record : state.OutlookSet) {
        if (!record.ContactID.empty() || !HasNumbers(record)) continue;
        if (!sources) sources.emplace(UsedContactIDs(state), EntriesByName(state.PhoneBookSet));
        UsedNumbers& used = sources->used;
        if (const SyncObject* entry = MatchByName(state, sources->entriesByName, record)) {
            SetId(state.OutlookSet, used, record, entry->ContactID);
            WriteEvent(log, record.ContactName, " in Outlook has been matched with ",
                       entry->ContactName, " in the PhoneBook and assigned a contact ID of ",
                       record.ContactID, ".");
        } else {
            SetId(state.OutlookSet, used, record, used.SmallestFree());
            WriteEvent(log, record.ContactName, " has been assigned a new contact ID of ",
                       record.ContactID, ".");
        }
        MarkForWriting(log, record);
    }
    log.Close();
}

void ReleaseContactsLeavingThePhone(RunState& state) {
    for (SyncObject& record : state.OutlookSet) {
        if (record.ContactID.empty() || record.Flag == RecordFlag::Delete || HasNumbers(record))
            continue;
        SyncObject* phoneBook = RecordWithID(state.PhoneBookSet, record.ContactID);
        // Only when the phone book is about to lose every row of the contact.
        if (phoneBook == nullptr || phoneBook->Flag != RecordFlag::Write || HasNumbers(*phoneBook))
            continue;
        if (SyncObject* sync = RecordWithID(state.SyncDataSet, record.ContactID))
            sync->Flag = RecordFlag::Delete;
        state.OutlookSet.ChangeContactID(record, "");
        if (record.Flag != RecordFlag::Write) record.Flag = RecordFlag::AssignID;
    }
}

}  // namespace velmora
