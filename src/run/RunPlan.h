#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/Settings.h"

namespace velmora {

struct RunState;

// The contacts each store held when the run had loaded them.
struct LoadedCounts {
    int outlook = 0;
    int phoneBook = 0;
    int sync = 0;
};

// What a run is about to do to one store, counted in contacts.
struct StoreChanges {
    int added = 0;
    int changed = 0;
    int deleted = 0;

    int Total() const { return added + changed + deleted; }
    bool operator==(const StoreChanges&) const = default;
};

// What a run is about to write, counted from the flags once the engine has
// decided everything and before any writer runs.
struct RunPlan {
    LoadedCounts loaded;
    StoreChanges outlook;
    StoreChanges phoneBook;
    StoreChanges sync;
    int extraPhoneRows = 0;  // rows held twice that the phone book's writer removes

    // Nothing to write to either database. (The address book knows by itself
    // whether a card is to be stored: a "W" record may change nothing.)
    bool DatabasesUnchanged() const {
        return phoneBook.Total() == 0 && sync.Total() == 0 && extraPhoneRows == 0;
    }
};

// "2 added, 1 changed, 0 deleted"
std::string ChangesText(const StoreChanges& changes);

RunPlan PlanOf(const RunState& state, const LoadedCounts& loaded);

// The side a run deletes contacts from.
enum class DeletionSide { Outlook, PhoneBook };

// "Outlook" or "the PhoneBook", as the log names the sides.
std::string_view SideWords(DeletionSide side);

// A run that would delete much of one side: the question asked before writing.
struct MassDeletion {
    DeletionSide side = DeletionSide::PhoneBook;
    int deletions = 0;
    int contacts = 0;             // the side held this many when loaded
    bool otherSideEmpty = false;  // the other side held contacts after the last run, and none now

    // "This run would delete 212 of 230 contacts from the PhoneBook."
    std::string Summary() const;
    // The summary, what may have caused it, and what Continue and Stop do.
    std::string Question() const;

    bool operator==(const MassDeletion&) const = default;
};

// The sides the run should ask about: a side whose counterpart held contacts
// after the previous run (the sync database remembers them) and is empty now,
// or one that would lose more than the settings' share of its contacts and at
// least their minimum count. A side that loses nothing is never asked about.
std::vector<MassDeletion> FindMassDeletions(const RunPlan& plan, const Settings& settings);

}  // namespace velmora
