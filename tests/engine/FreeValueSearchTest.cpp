#include <random>

#include "engine/ContactIds.h"
#include "engine/EngineTest.h"
#include "engine/SpeedDials.h"
#include "model/NumberKinds.h"

namespace velmora::test {
namespace {

// The two stages as first described, searching every set for every candidate.
// The stages keep an index of used values instead; both must agree.
void ScanningAssignContactIDs(RunState& state) {
    for (SyncObject& record : state.OutlookSet) {
        if (!record.ContactID.empty()) continue;
        const int p = FindByContactName(record.ContactName, state.PhoneBookSet);
        if (p > 0 && FindByContactID(state.PhoneBookSet.Item(p).ContactID, state.OutlookSet) == 0) {
            record.ContactID = state.PhoneBookSet.Item(p).ContactID;
        } else {
            int n = 1;
            while (FindByContactID(std::to_string(n), state.PhoneBookSet) != 0 ||
                   FindByContactID(std::to_string(n), state.OutlookSet) != 0 ||
                   FindByContactID(std::to_string(n), state.SyncDataSet) != 0)
                ++n;
            record.ContactID = std::to_string(n);
        }
        if (record.Flag.empty()) record.Flag = "I";
    }
}

void ScanningAssignSpeedDials(RunState& state) {
    for (SyncObject& record : state.OutlookSet) {
        for (NumberKind kind : kSpeedDialAssignmentOrder) {
            if (NumberOf(record, kind).empty() || !SpeedOf(record, kind).empty()) continue;
            const int p = FindByContactID(record.ContactID, state.PhoneBookSet);
            const int s = FindByContactID(record.ContactID, state.SyncDataSet);
            SyncObject* phoneBook = p > 0 ? &state.PhoneBookSet.Item(p) : nullptr;
            SyncObject* sync = s > 0 ? &state.SyncDataSet.Item(s) : nullptr;
            if (phoneBook != nullptr && !SpeedOf(*phoneBook, kind).empty()) {
                SpeedOf(record, kind) = SpeedOf(*phoneBook, kind);
                if (sync != nullptr && SpeedOf(*sync, kind) != SpeedOf(*phoneBook, kind)) {
                    SpeedOf(*sync, kind) = SpeedOf(*phoneBook, kind);
                    if (sync->Flag.empty()) sync->Flag = "M";
                }
                continue;
            }
            int n = 1;
            while (FindBySpeedDial(std::to_string(n), state.OutlookSet) != 0 ||
                   FindBySpeedDial(std::to_string(n), state.PhoneBookSet) != 0 ||
                   FindBySpeedDial(std::to_string(n), state.SyncDataSet) != 0)
                ++n;
            SpeedOf(record, kind) = std::to_string(n);
            for (SyncObject* counterpart : {phoneBook, sync}) {
                if (counterpart == nullptr) continue;
                SpeedOf(*counterpart, kind) =
                    NumberOf(*counterpart, kind).empty() ? "" : std::to_string(n);
                if (counterpart->Flag.empty()) counterpart->Flag = "M";
            }
        }
    }
}

// Three sets of overlapping contacts with missing sides, shared names, IDs
// and speed dials in odd forms ("07", "0"), numbers with and without speed
// dials, and flags of every kind.
void FillRandomly(RunState& state, std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* names[] = {"Ann", "Bob", "Cy", "ann"};
    const char* flags[] = {"", "", "", "D", "N", "M", "I"};
    auto randomRecord = [&](int id, bool outlook) {
        SyncObject record;
        record.ContactID =
            outlook && pick(3) == 0 ? "" : (pick(8) == 0 ? "0" : "") + std::to_string(id);
        record.ContactName = names[pick(4)];
        record.Flag = flags[pick(7)];
        for (const NumberKindInfo& info : kNumberKinds) {
            if (pick(2) == 0) record.*info.number = std::to_string(pick(5));
            const int speed = pick(12);
            if (speed < 6) continue;
            record.*info.speed =
                speed == 6 ? "0" : (speed == 7 ? "0" : "") + std::to_string(pick(14) + 1);
        }
        return record;
    };
    const int contacts = pick(12);
    for (int id = 1; id <= contacts; ++id) {
        if (pick(4) != 0) state.OutlookSet.Append(randomRecord(id, true));
        if (pick(4) != 0) state.PhoneBookSet.Append(randomRecord(id, false));
        if (pick(4) != 0) state.SyncDataSet.Append(randomRecord(id, false));
    }
}

// Over many random sets, the stages give the same IDs and speed dials as a
// search that scans every set for every candidate.
TEST_F(EngineTest, IndexedSearchesGiveTheSameValuesAsScanningTheSets) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        RunState expected;
        FillRandomly(expected, random);
        std::mt19937 again(seed);
        state.OutlookSet = SyncSet{};
        state.PhoneBookSet = SyncSet{};
        state.SyncDataSet = SyncSet{};
        FillRandomly(state, again);

        ScanningAssignContactIDs(expected);
        ScanningAssignSpeedDials(expected);
        AssignContactIDs(state);
        AssignSpeedDials(state);
        ASSERT_EQ(Outlook(), Render(expected.OutlookSet)) << "seed " << seed;
        ASSERT_EQ(PhoneBook(), Render(expected.PhoneBookSet)) << "seed " << seed;
        ASSERT_EQ(Sync(), Render(expected.SyncDataSet)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace velmora::test
