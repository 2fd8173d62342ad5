#include "model/SyncSet.h"

#include <algorithm>
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
    const std::size_t index = Index(position);
    const bool last = position == Count();
    if (last) {
        auto& positions = positionsById_[records_.back()->ContactID];
        positions.pop_back();
        if (Live(positions).empty()) positionsById_.erase(records_.back()->ContactID);
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    // Later records move one place down.
    if (!last) RebuildIndex();
}

SyncObject& SyncSet::Append(SyncObject record) {
    records_.push_back(std::make_unique<SyncObject>(std::move(record)));
    IndexRecord(Count());
    return *records_.back();
}

void SyncSet::IndexRecord(int position) {
    positionsById_[records_[static_cast<std::size_t>(position - 1)]->ContactID].push_back(position);
}

void SyncSet::RebuildIndex() {
    positionsById_.clear();
    for (int position = 1; position <= Count(); ++position)
        IndexRecord(position);
}

SyncSet::Positions::iterator SyncSet::FirstLive(Positions& positions) {
    return std::lower_bound(positions.begin(), positions.end(), 1);
}

std::span<const int> SyncSet::Live(const Positions& positions) {
    return {std::lower_bound(positions.begin(), positions.end(), 1), positions.end()};
}

// Takes a position out of an ID's list. A first run gives thousands of cards
// without an ID their IDs in set order, so their positions leave the front of
// one long list: each is marked gone (0) rather than erased, which would move
// all the others every time, and the marks are cleared once they are half the
// list.
void SyncSet::TakeOut(Positions& positions, Positions::iterator at) {
    if (at != FirstLive(positions)) {
        positions.erase(at);
        return;
    }
    *at = 0;
    const auto gone = at - positions.begin() + 1;
    if (2 * gone >= std::ssize(positions)) positions.erase(positions.begin(), at + 1);
}

void SyncSet::ChangeContactID(SyncObject& record, std::string contactId) {
    if (record.ContactID == contactId) return;
    const auto found = positionsById_.find(record.ContactID);
    int position = 0;
    if (found != positionsById_.end()) {
        auto& positions = found->second;
        const auto at = std::find_if(FirstLive(positions), positions.end(),
                                     [&](int p) { return &Item(p) == &record; });
        if (at != positions.end()) {
            position = *at;
            TakeOut(positions, at);
            if (Live(positions).empty()) positionsById_.erase(found);
        }
    }
    if (position == 0) throw Error("The record of " + record.ContactName + " is not in this set.");
    record.ContactID = std::move(contactId);
    auto& positions = positionsById_[record.ContactID];
    positions.insert(std::upper_bound(positions.begin(), positions.end(), position), position);
}

int SyncSet::PositionOfContactID(std::string_view contactId) const {
    const auto found = positionsById_.find(contactId);
    return found == positionsById_.end() ? 0 : found->second.back();
}

std::span<const int> SyncSet::PositionsOfContactID(std::string_view contactId) const {
    const auto found = positionsById_.find(contactId);
    if (found == positionsById_.end()) return {};
    return Live(found->second);
}

SyncObject& SyncSet::CloneNew(const SyncObject& cData) {
    SyncObject copy = cData;
    copy.Flag = RecordFlag::New;
    copy.Card = 0;  // the copy belongs to another store
    return Append(std::move(copy));
}

#ifndef NDEBUG
namespace {

// The index's answer found the slow way, to check it against.
int LastWithContactID(const SyncSet& set, std::string_view contactId) {
    int found = 0;
    int position = 1;
    for (const SyncObject& record : set) {
        if (record.ContactID == contactId) found = position;
        ++position;
    }
    return found;
}

}  // namespace
#endif

int FindByContactID(std::string_view contactId, const SyncSet& set) {
    const int position = set.PositionOfContactID(contactId);
#ifndef NDEBUG
    // Every test run checks that no ID was changed behind the index's back.
    if (position != LastWithContactID(set, contactId)) {
        throw Error("The index of contact IDs is out of step for the ID \"" +
                    std::string(contactId) + "\": a record's ID was changed in place.");
    }
#endif
    return position;
}

void ClearSet(SyncSet& set) {
    set = SyncSet();
}

}  // namespace velmora
