#include "model/SyncSet.h"

#include <string>

#include "model/Error.h"

namespace velmora {

std::size_t SyncSet::Index(int position) const {
    if (position < 1 || position > Count()) {
        throw Error("Contact set position " + std::to_string(position) + " is outside 1.." +
                    std::to_string(Count()) + ".");
    }
    return static_cast<std::size_t>(position - 1);
}

SyncObject& SyncSet::Item(int position) {
    return *records_[Index(position)];
}

const SyncObject& SyncSet::Item(int position) const {
    return *records_[Index(position)];
}

void SyncSet::Remove(int position) {
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(Index(position)));
}

SyncObject& SyncSet::Append(SyncObject record) {
    records_.push_back(std::make_unique<SyncObject>(std::move(record)));
    return *records_.back();
}

SyncObject& SyncSet::CloneNew(const SyncObject& cData) {
    SyncObject copy = cData;
    copy.Flag = "N";
    copy.Card = 0;  // the copy belongs to another store
    return Append(std::move(copy));
}

namespace {

int FindLast(const SyncSet& set, std::string SyncObject::*field, std::string_view text) {
    int found = 0;
    int position = 1;
    for (const SyncObject& record : set) {
        if (record.*field == text) found = position;
        ++position;
    }
    return found;
}

}  // namespace

int FindByContactID(std::string_view contactId, const SyncSet& set) {
    return FindLast(set, &SyncObject::ContactID, contactId);
}

int FindByContactName(std::string_view name, const SyncSet& set) {
    return FindLast(set, &SyncObject::ContactName, name);
}

void ClearSet(SyncSet& set) {
    while (set.Count() >= 1)
        set.Remove(set.Count());
}

}  // namespace velmora
