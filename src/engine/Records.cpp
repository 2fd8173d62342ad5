#include "engine/Records.h"

#include <algorithm>

#include "model/NumberKinds.h"

namespace velmora {

bool RecordsEqual(const SyncObject& a, const SyncObject& b) {
    if (a.ContactName != b.ContactName) return false;
    return std::all_of(kNumberKinds.begin(), kNumberKinds.end(), [&](const NumberKindInfo& info) {
        return a.*info.number == b.*info.number && a.*info.speed == b.*info.speed;
    });
}

void CopyValues(SyncObject& target, const SyncObject& source) {
    target.ContactName = source.ContactName;
    for (const NumberKindInfo& info : kNumberKinds) {
        target.*info.number = source.*info.number;
        target.*info.speed = source.*info.speed;
    }
}

void CopyRecord(SyncObject& target, const SyncObject& source) {
    target.ContactID = source.ContactID;
    CopyValues(target, source);
    MarkModified(target);
}

void MarkModified(SyncObject& record) {
    if (record.Flag.empty()) record.Flag = "M";
}

SyncObject* RecordWithID(SyncSet& set, std::string_view contactId) {
    const int position = FindByContactID(contactId, set);
    return position > 0 ? &set.Item(position) : nullptr;
}

}  // namespace velmora
