#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <absl/container/flat_hash_map.h>
#include <absl/container/inlined_vector.h>

#include "model/SyncObject.h"

namespace velmora {

// An ordered set of contact records with 1-based positions. Records keep their
// address for as long as they are in the set, so a record fetched by position
// can be changed in place while the set grows.
class SyncSet {
    using Storage = std::vector<std::unique_ptr<SyncObject>>;

    template <typename Record, typename Base>
    class BasicIterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = SyncObject;
        using difference_type = std::ptrdiff_t;
        using pointer = Record*;
        using reference = Record&;

        BasicIterator() = default;
        explicit BasicIterator(Base it) : it_(it) {}
        reference operator*() const { return **it_; }
        pointer operator->() const { return it_->get(); }
        BasicIterator& operator++() {
            ++it_;
            return *this;
        }
        BasicIterator operator++(int) {
            BasicIterator old = *this;
            ++it_;
            return old;
        }
        bool operator==(const BasicIterator&) const = default;

      private:
        Base it_{};
    };

  public:
    using iterator = BasicIterator<SyncObject, Storage::iterator>;
    using const_iterator = BasicIterator<const SyncObject, Storage::const_iterator>;

    SyncSet() = default;
    SyncSet(SyncSet&&) noexcept = default;
    SyncSet& operator=(SyncSet&&) noexcept = default;
    SyncSet(const SyncSet&) = delete;
    SyncSet& operator=(const SyncSet&) = delete;
    ~SyncSet() = default;

    // The record at a 1-based position; a position outside 1..Count() throws.
    SyncObject& Item(int position);
    const SyncObject& Item(int position) const;
    int Count() const { return static_cast<int>(records_.size()); }

    // Removes the record at a 1-based position; later records move one place down.
    void Remove(int position);

    // Appends a record at position Count() + 1 and returns the set's copy.
    SyncObject& Append(SyncObject record);

    // Appends a copy of another set's record with the flag "N" (the source's
    // flag is not copied) and returns it.
    SyncObject& CloneNew(const SyncObject& cData);

    // Gives a record of this set another contact ID. IDs of records in a set
    // change only through here, which keeps the set's index of IDs exact.
    void ChangeContactID(SyncObject& record, std::string contactId);

    // Position of the last record with exactly that contact ID, 0 when none
    // has it; by the index, not by walking the set.
    int PositionOfContactID(std::string_view contactId) const;
    // Positions of every record with exactly that contact ID, ascending; the
    // view lasts until the set next changes.
    std::span<const int> PositionsOfContactID(std::string_view contactId) const;

    iterator begin() { return iterator(records_.begin()); }
    iterator end() { return iterator(records_.end()); }
    const_iterator begin() const { return const_iterator(records_.begin()); }
    const_iterator end() const { return const_iterator(records_.end()); }

  private:
    // Positions of the records of one contact ID, ascending, after any 0s:
    // positions that left the front of the list (see TakeOut).
    using Positions = absl::InlinedVector<int, 1>;
    static Positions::iterator FirstLive(Positions& positions);
    static std::span<const int> Live(const Positions& positions);
    static void TakeOut(Positions& positions, Positions::iterator at);

    std::size_t Index(int position) const;
    void IndexRecord(int position);
    void RebuildIndex();

    Storage records_;
    // Positions of the records of each contact ID; nearly every ID has one
    // record, kept in the table itself. A flat table, looked
    // up by string_view: a table of nodes, each with a vector of its own, made
    // a run with nothing to do at 100 000 contacts spend a sixth of its time
    // in cache misses.
    struct IdHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view id) const {
            return std::hash<std::string_view>{}(id);
        }
    };
    absl::flat_hash_map<std::string, Positions, IdHash, std::equal_to<>> positionsById_;
};

// Position of the last record whose ContactID equals the text exactly, 0
// when none does; found through the set's index.
int FindByContactID(std::string_view contactId, const SyncSet& set);

// Removes every record.
void ClearSet(SyncSet& set);

}  // namespace velmora
