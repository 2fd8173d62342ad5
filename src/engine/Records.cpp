#include "engine/Records.h"

#include <algorithm>

#include "model/NumberKinds.h"
#include "model/PhoneForm.h"
#include "model/Text.h"

namespace velmora {

bool RecordsEqual(const SyncObject& a, const SyncObject& b) {
    if (a.ContactName != b.ContactName && PhoneName(a.ContactName) != PhoneName(b.ContactName)) {
        return false;
    }
    return std::all_of(kNumberKinds.begin(), kNumberKinds.end(), [&](const NumberKindInfo& info) {
        const std::string_view x = a.Number(info.kind);
        const std::string_view y = b.Number(info.kind);
        const bool sameNumber =
            x == y || (info.kind == NumberKind::Email && EqualsIgnoringCase(x, y));
        return sameNumber && a.Speed(info.kind) == b.Speed(info.kind);
    });
}

bool HasNumbers(const SyncObject& record) {
    return std::any_of(kNumberKinds.begin(), kNumberKinds.end(), [&](const NumberKindInfo& kind) {
        return !record.Number(kind.kind).empty();
    });
}

void CopyValues(SyncObject& target, const SyncObject& source) {
    target.ContactName = source.ContactName;
    for (const NumberKindInfo& info : kNumberKinds) {
        target.SetNumber(info.kind, source.Number(info.kind));
        target.SetSpeed(info.kind, source.Speed(info.kind));
    }
}

void CopyRecord(SyncObject& target, const SyncObject& source) {
    target.ContactID = source.ContactID;
    CopyValues(target, source);
    MarkModified(target);
}

void MarkModified(SyncObject& record) {
    if (record.Flag == RecordFlag::None) record.Flag = RecordFlag::Modified;
}

SyncObject* RecordWithID(SyncSet& set, std::string_view contactId) {
    const int position = FindByContactID(contactId, set);
    return position > 0 ? &set.Item(position) : nullptr;
}

}  // namespace velmora
