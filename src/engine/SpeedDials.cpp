#include "engine/SpeedDials.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/Records.h"
#include "engine/UsedNumbers.h"
#include "model/NumberKinds.h"

namespace velmora {

namespace {

// The order in which a contact's numbers get their speed dials.
constexpr std::array<NumberKind, 9> kSpeedDialAssignmentOrder{
    NumberKind::DirectConnect, NumberKind::Fax,   NumberKind::Home,
    NumberKind::Mobile,        NumberKind::Other, NumberKind::Pager,
    NumberKind::Work1,         NumberKind::Work2, NumberKind::Email};

UsedNumbers UsedSpeedDials(const RunState& state) {
    UsedNumbers used;
    for (const SyncSet* set : {&state.OutlookSet, &state.PhoneBookSet, &state.SyncDataSet}) {
        for (const SyncObject& record : *set) {
            for (const NumberKindInfo& info : kNumberKinds)
                used.Add(record.Speed(info.kind));
        }
    }
    return used;
}

void SetSpeedDial(UsedNumbers& used, SyncObject& record, NumberKind kind, std::string_view value) {
    used.Replace(record.Speed(kind), value);
    record.SetSpeed(kind, value);
}

// The counterparts get the value where they hold a number of the kind, and no
// speed dial where they do not. A side the contact lacks (a record whose
// contact was deleted from the phone book) is skipped.
void GiveNewValue(UsedNumbers& used, SyncObject& record, SyncObject* phoneBook, SyncObject* sync,
                  NumberKind kind) {
    const std::string value = used.SmallestFree();
    SetSpeedDial(used, record, kind, value);
    for (SyncObject* counterpart : {phoneBook, sync}) {
        if (counterpart == nullptr) continue;
        SetSpeedDial(used, *counterpart, kind, counterpart->Number(kind).empty() ? "" : value);
        MarkModified(*counterpart);
    }
}

// The phone book's value is taken as it is, even when another contact uses it.
void AdoptPhoneBookValue(UsedNumbers& used, SyncObject& record, const SyncObject& phoneBook,
                         SyncObject* sync, NumberKind kind) {
    const std::string_view value = phoneBook.Speed(kind);
    SetSpeedDial(used, record, kind, value);
    if (sync != nullptr && sync->Speed(kind) != value) {
        SetSpeedDial(used, *sync, kind, value);
        MarkModified(*sync);
    }
}

bool LacksSpeedDial(const SyncObject& record) {
    return std::any_of(kNumberKinds.begin(), kNumberKinds.end(), [&](const NumberKindInfo& kind) {
        return !record.Number(kind.kind).empty() && record.Speed(kind.kind).empty();
    });
}

}  // namespace

void AssignSpeedDials(RunState& state) {
    // Counted for the first number without a speed dial: on most runs none lacks one.
    std::optional<UsedNumbers> counted;
    for (SyncObject& record : state.OutlookSet) {
        if (!LacksSpeedDial(record)) continue;
        if (!counted) counted = UsedSpeedDials(state);
        UsedNumbers& used = *counted;
        SyncObject* phoneBook = RecordWithID(state.PhoneBookSet, record.ContactID);
        SyncObject* sync = RecordWithID(state.SyncDataSet, record.ContactID);
        for (NumberKind kind : kSpeedDialAssignmentOrder) {
            if (record.Number(kind).empty() || !record.Speed(kind).empty()) continue;
            if (phoneBook != nullptr && !phoneBook->Speed(kind).empty()) {
                AdoptPhoneBookValue(used, record, *phoneBook, sync, kind);
            } else {
                GiveNewValue(used, record, phoneBook, sync, kind);
            }
        }
    }
}

}  // namespace velmora
