#include "support/ScenarioInvariants.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "engine/Records.h"
#include "model/NumberKinds.h"
#include "model/PhoneForm.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"

namespace velmora::scenarios {

namespace {

using Violations = std::vector<std::string>;

// Names as the phone keeps them: their first 22 characters.
bool SameNamesAndNumbers(const SyncObject& a, const SyncObject& b) {
    if (PhoneName(a.ContactName) != PhoneName(b.ContactName)) return false;
    for (const NumberKindInfo& kind : kNumberKinds)
        if (a.Number(kind.kind) != b.Number(kind.kind)) return false;
    return true;
}

const SyncObject* WithId(const SyncSet& set, const std::string& id) {
    const int position = FindByContactID(id, set);
    return position > 0 ? &set.Item(position) : nullptr;
}

// The last record of that name as the phone keeps it.
const SyncObject* WithName(const SyncSet& set, const std::string& name) {
    const SyncObject* found = nullptr;
    for (const SyncObject& record : set)
        if (PhoneName(record.ContactName) == PhoneName(name)) found = &record;
    return found;
}

// Each record once, and each with an ID.
void CheckIds(const SyncSet& set, const std::string& store, Violations& violations) {
    std::set<std::string> seen;
    for (const SyncObject& record : set) {
        // Only a card the phone cannot hold is without an ID.
        if (record.ContactID.empty() && !HasNumbers(record)) continue;
        if (record.ContactID.empty()) {
            violations.push_back(store + " holds " + Describe(record) + " without a contact ID");
        } else if (!seen.insert(record.ContactID).second) {
            violations.push_back(store + " holds contact ID " + record.ContactID + " twice");
        }
    }
}

void CheckAgreement(const LoadedStores& after, Violations& violations) {
    CheckIds(after.addressBook, "the address book", violations);
    CheckIds(after.phoneBook, "the phone book", violations);
    CheckIds(after.sync, "the sync database", violations);
    const auto compare = [&](const SyncSet& set, const SyncSet& other, const std::string& store,
                             const std::string& otherStore) {
        for (const SyncObject& record : set) {
            if (record.ContactID.empty()) continue;  // checked above
            const SyncObject* counterpart = WithId(other, record.ContactID);
            if (counterpart == nullptr) {
                violations.push_back(store + " holds " + Describe(record) + ", " + otherStore +
                                     " does not");
            } else if (&set == &after.addressBook && !RecordsEqual(record, *counterpart)) {
                violations.push_back(store + " holds " + Describe(record) + ", " + otherStore +
                                     " " + Describe(*counterpart));
            }
        }
    };
    compare(after.addressBook, after.phoneBook, "the address book", "the phone book");
    compare(after.addressBook, after.sync, "the address book", "the sync database");
    compare(after.phoneBook, after.addressBook, "the phone book", "the address book");
    compare(after.sync, after.addressBook, "the sync database", "the address book");
    for (const SyncObject& record : after.phoneBook) {
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!record.Number(kind.kind).empty() && record.Speed(kind.kind).empty()) {
                violations.push_back("the phone book's " + std::string(KindWord(kind.kind)) +
                                     " of " + Describe(record) + " has no speed dial");
            }
        }
    }
}

// The speed dials the address book's tag states (a new number has none) are the other's.
bool StatedSpeedDialsKept(const SyncObject& addressBook, const SyncObject& other) {
    for (const NumberKindInfo& kind : kNumberKinds) {
        const std::string_view speed = addressBook.Speed(kind.kind);
        if (!speed.empty() && !addressBook.Number(kind.kind).empty() &&
            speed != other.Speed(kind.kind))
            return false;
    }
    return true;
}

// A version a contact may end with: the address book's or the phone book's.
struct Version {
    const SyncObject* record;
    bool fromPhoneBook;

    bool Matches(const SyncObject& result) const {
        if (fromPhoneBook) return RecordsEqual(*record, result);
        return SameNamesAndNumbers(*record, result) && StatedSpeedDialsKept(*record, result);
    }
};

struct Expectation {
    std::string what;  // for messages
    std::vector<Version> versions;
};

void CheckOutcome(const SyncObject* result, const Expectation& expected, Violations& violations) {
    if (result == nullptr) {
        violations.push_back(expected.what + " is missing after the run");
        return;
    }
    for (const Version& version : expected.versions)
        if (version.Matches(*result)) return;
    std::string line = expected.what + " ends as " + Describe(*result) + ", expected";
    for (const Version& version : expected.versions) {
        line += (version.fromPhoneBook ? " the phone book's " : " the address book's ") +
                Describe(*version.record);
    }
    violations.push_back(line);
}

void CheckContacts(const LoadedStores& agreed, const LoadedStores& edited,
                   const LoadedStores& after, Violations& violations) {
    std::set<std::string> expectedIds;
    std::set<std::string> linkedIds;  // new phone book contacts an address book one was linked to
    int survivors = 0;

    for (const SyncObject& before : agreed.phoneBook) {
        const SyncObject* outlook = WithId(edited.addressBook, before.ContactID);
        const SyncObject* phoneBook = WithId(edited.phoneBook, before.ContactID);
        const std::string what = "contact " + Describe(before);
        const SyncObject* result = WithId(after.phoneBook, before.ContactID);
        if (outlook == nullptr || phoneBook == nullptr) {
            if (result != nullptr || WithId(after.addressBook, before.ContactID) != nullptr)
                violations.push_back(what + ", deleted on one side, is still there");
            continue;
        }
        if (!HasNumbers(*outlook)) {
            // It leaves the phone book unless the phone book's version was kept.
            if (result == nullptr) continue;
            if (RecordsEqual(*phoneBook, before)) {
                violations.push_back(what +
                                     ", without numbers in the address book, is still "
                                     "in the phone book");
            }
            ++survivors;
            CheckOutcome(result, {what, {{phoneBook, true}}}, violations);
            continue;
        }
        ++survivors;
        const bool outlookChanged =
            !SameNamesAndNumbers(*outlook, before) || !StatedSpeedDialsKept(*outlook, before);
        const bool phoneBookChanged = !RecordsEqual(*phoneBook, before);
        Expectation expected{what, {}};
        if (outlookChanged) expected.versions.push_back({outlook, false});
        if (phoneBookChanged) expected.versions.push_back({phoneBook, true});
        if (expected.versions.empty()) expected.versions.push_back({&before, true});
        CheckOutcome(result, expected, violations);
    }

    // A contact new in this run with the card's name and numbers, each taken once.
    std::set<std::string> claimed;
    const auto newContactLike = [&](const SyncObject& card) -> const SyncObject* {
        for (const SyncObject& result : after.phoneBook) {
            if (WithId(agreed.phoneBook, result.ContactID) == nullptr &&
                WithId(edited.phoneBook, result.ContactID) == nullptr &&
                !claimed.contains(result.ContactID) && SameNamesAndNumbers(card, result)) {
                claimed.insert(result.ContactID);
                return &result;
            }
        }
        return nullptr;
    };
    std::set<std::string> seenIds;
    for (const SyncObject& added : edited.addressBook) {
        if (!HasNumbers(added)) continue;  // nothing of it for the phone
        if (!added.ContactID.empty()) {
            if (WithId(agreed.phoneBook, added.ContactID) == nullptr) {
                violations.push_back("the address book held " + Describe(added) +
                                     " with an ID no run gave");
            }
            if (seenIds.insert(added.ContactID).second) continue;
            // A copied card: the copy is a new contact of the same name and numbers.
            ++survivors;
            if (newContactLike(added) == nullptr) {
                violations.push_back("the copied card " + Describe(added) +
                                     " is no contact of its own after the run");
            }
            continue;
        }
        ++survivors;
        // The first run links a contact to a new phone book entry of the same name.
        const SyncObject* namesake = WithName(edited.phoneBook, added.ContactName);
        if (namesake != nullptr && WithId(agreed.phoneBook, namesake->ContactID) == nullptr) {
            linkedIds.insert(namesake->ContactID);
            CheckOutcome(WithId(after.phoneBook, namesake->ContactID),
                         {"new contact " + Describe(added) + " linked to the phone book's " +
                              namesake->ContactID,
                          {{&added, false}, {namesake, true}}},
                         violations);
            continue;
        }
        // Of several of one name, the one with the card's numbers.
        const SyncObject* result = newContactLike(added);
        if (result == nullptr) result = WithName(after.phoneBook, added.ContactName);
        if (result != nullptr && (WithId(agreed.phoneBook, result->ContactID) != nullptr ||
                                  WithId(edited.phoneBook, result->ContactID) != nullptr)) {
            violations.push_back("new contact " + Describe(added) + " received the ID " +
                                 result->ContactID + " of another contact");
        }
        CheckOutcome(result, {"new contact " + Describe(added), {{&added, false}}}, violations);
    }

    for (const SyncObject& added : edited.phoneBook) {
        if (WithId(agreed.phoneBook, added.ContactID) != nullptr) continue;
        if (linkedIds.contains(added.ContactID)) continue;
        ++survivors;
        CheckOutcome(WithId(after.phoneBook, added.ContactID),
                     {"new contact " + Describe(added), {{&added, true}}}, violations);
    }

    if (after.phoneBook.Count() != survivors) {
        violations.push_back("the phone book holds " + std::to_string(after.phoneBook.Count()) +
                             " contacts after the run, expected " + std::to_string(survivors));
    }
}

struct Holder {
    std::string id;
    const NumberKindInfo* kind;
};

std::map<std::string, std::vector<Holder>> SpeedDialHolders(const SyncSet& phoneBook) {
    std::map<std::string, std::vector<Holder>> holders;
    for (const SyncObject& record : phoneBook) {
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!record.Number(kind.kind).empty())
                holders[std::string(record.Speed(kind.kind))].push_back({record.ContactID, &kind});
        }
    }
    return holders;
}

bool HeldIn(const SyncSet& phoneBook, const Holder& holder, const std::string& value) {
    const SyncObject* record = WithId(phoneBook, holder.id);
    return record != nullptr && !record->Number(holder.kind->kind).empty() &&
           record->Speed(holder.kind->kind) == value;
}

// A shared speed dial is fine only if every number holding it held it in the
// phone book before or after the edits: the run hands out only free ones.
void CheckSpeedDials(const LoadedStores& agreed, const LoadedStores& edited,
                     const LoadedStores& after, Violations& violations) {
    for (const auto& [value, holders] : SpeedDialHolders(after.phoneBook)) {
        if (holders.size() < 2 || value.empty()) continue;
        const bool allHeldItBefore =
            std::all_of(holders.begin(), holders.end(), [&](const Holder& holder) {
                return HeldIn(agreed.phoneBook, holder, value) ||
                       HeldIn(edited.phoneBook, holder, value);
            });
        if (allHeldItBefore) continue;
        std::string line = "speed dial " + value + " is shared after the run by";
        for (const Holder& holder : holders)
            line += " " + holder.id + " " + std::string(SyncColumnOf(holder.kind->kind));
        violations.push_back(line);
    }
}

}  // namespace

std::string Describe(const SyncObject& record) {
    std::string numbers;
    for (const NumberKindInfo& kind : kNumberKinds) {
        const std::string_view number = record.Number(kind.kind);
        const std::string_view speed = record.Speed(kind.kind);
        if (number.empty() && speed.empty()) continue;
        numbers += (numbers.empty() ? "" : ",") + std::string(SyncColumnOf(kind.kind)) + "=" +
                   std::string(number) + "/" + std::string(speed);
    }
    return record.ContactID + ":" + record.ContactName + ":" + numbers;
}

std::vector<std::string> CheckInvariants(const LoadedStores& agreed, const LoadedStores& edited,
                                         const LoadedStores& after) {
    Violations violations;
    CheckAgreement(after, violations);
    CheckContacts(agreed, edited, after, violations);
    CheckSpeedDials(agreed, edited, after, violations);
    return violations;
}

}  // namespace velmora::scenarios
