#pragma once

#include <string>
#include <string_view>

#include "model/PackedTexts.h"
#include "model/RecordFlag.h"

namespace velmora {

// The nine kinds of number a contact can carry, in their canonical order (the
// order of the phone book's NumberType codes, the speed-dial tag and the sync
// table's columns). model/NumberKinds.h says what each one means to a store.
enum class NumberKind { Work2, DirectConnect, Home, Work1, Mobile, Fax, Pager, Other, Email };
inline constexpr std::size_t kNumberKindCount = 9;

// One contact as any of the three stores holds it, with what the run is to do
// with it (model/RecordFlag.h). Every value is text and an empty text means
// "absent": no number of that kind, no speed dial, no contact ID yet. The
// record checks and normalises nothing.
//
// A run holds three records per contact and compares them all, so the nine
// numbers and nine speed dials, mostly short or empty, share one buffer
// rather than taking a string each: a record is a few cache lines, not ten.
// A view a getter returns lasts until the record's next Set.
struct SyncObject {
    RecordFlag Flag = RecordFlag::None;
    std::string ContactName;
    std::string ContactID;

    // The address-book card the record was loaded from (its handle, 1-based),
    // 0 for a record of another store or one not yet in the address book.
    // Every write of the contact goes to this card.
    int Card = 0;

    // The number (or e-mail address) of a kind, and its speed dial.
    std::string_view Number(NumberKind kind) const { return texts_[NumberSlot(kind)]; }
    std::string_view Speed(NumberKind kind) const { return texts_[NumberSlot(kind) + 1]; }
    void SetNumber(NumberKind kind, std::string_view text) { texts_.Set(NumberSlot(kind), text); }
    void SetSpeed(NumberKind kind, std::string_view text) {
        texts_.Set(NumberSlot(kind) + 1, text);
    }

    bool operator==(const SyncObject&) const = default;

  private:
    static constexpr std::size_t NumberSlot(NumberKind kind) {
        return 2 * static_cast<std::size_t>(kind);
    }

    // Slot 2k is kind k's number, 2k + 1 its speed dial.
    PackedTexts<2 * kNumberKindCount> texts_;
};

}  // namespace velmora
