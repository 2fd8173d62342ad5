#include "run/RunPlan.h"

#include <algorithm>
#include <initializer_list>

#include "run/RunState.h"

namespace velmora {

namespace {

bool IsOneOf(RecordFlag flag, std::initializer_list<RecordFlag> flags) {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

// Counts the records by the flags the store's writer acts on.
StoreChanges Count(const SyncSet& set, std::initializer_list<RecordFlag> added,
                   std::initializer_list<RecordFlag> changed) {
    StoreChanges changes;
    for (const SyncObject& record : set) {
        if (IsOneOf(record.Flag, added)) ++changes.added;
        if (IsOneOf(record.Flag, changed)) ++changes.changed;
        if (record.Flag == RecordFlag::Delete) ++changes.deleted;
    }
    return changes;
}

}  // namespace

std::string ChangesText(const StoreChanges& changes) {
    return std::to_string(changes.added) + " added, " + std::to_string(changes.changed) +
           " changed, " + std::to_string(changes.deleted) + " deleted";
}

RunPlan PlanOf(const RunState& state, const LoadedCounts& loaded) {
    RunPlan plan;
    plan.loaded = loaded;
    using enum RecordFlag;
    plan.outlook = Count(state.OutlookSet, {Create}, {Write, SpeedDials, AssignID});
    plan.phoneBook = Count(state.PhoneBookSet, {Create}, {Write});
    plan.sync = Count(state.SyncDataSet, {New, Create}, {Write, Modified});
    plan.extraPhoneRows = state.ExtraPhoneRows;
    return plan;
}

std::string_view SideWords(DeletionSide side) {
    return side == DeletionSide::Outlook ? "Outlook" : "the PhoneBook";
}

std::string MassDeletion::Summary() const {
    return "This run would delete " + std::to_string(deletions) + " of " +
           std::to_string(contacts) + " contacts from " + std::string(SideWords(side)) + ".";
}

std::string MassDeletion::Question() const {
    std::string text = Summary();
    if (otherSideEmpty) {
        text += side == DeletionSide::PhoneBook
                    ? " Outlook holds no contacts now: if its folder was moved, renamed or is not "
                      "mounted, stop and check the settings."
                    : " The PhoneBook holds no contacts now: if its database was replaced or "
                      "moved, stop and check the settings.";
    }
    return text + " Continue deletes them (the stores are backed up first); Stop writes nothing.";
}

std::vector<MassDeletion> FindMassDeletions(const RunPlan& plan, const Settings& settings) {
    std::vector<MassDeletion> found;
    const bool remembered = plan.loaded.sync > 0;
    const auto check = [&](DeletionSide side, int deletions, int contacts, int otherContacts) {
        if (deletions == 0) return;
        const bool otherSideEmpty = remembered && otherContacts == 0;
        // Whole numbers: more than share percent of the contacts.
        const bool overShare = static_cast<long long>(deletions) * 100 >
                               static_cast<long long>(settings.MassDeleteShare) * contacts;
        if (otherSideEmpty || (overShare && deletions >= settings.MassDeleteMinimum)) {
            found.push_back({side, deletions, contacts, otherSideEmpty});
        }
    };
    check(DeletionSide::Outlook, plan.outlook.deleted, plan.loaded.outlook, plan.loaded.phoneBook);
    check(DeletionSide::PhoneBook, plan.phoneBook.deleted, plan.loaded.phoneBook,
          plan.loaded.outlook);
    return found;
}

}  // namespace velmora
