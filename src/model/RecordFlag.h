#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

// What a run is to do with one record of one set (SyncObject::Flag). The
// engine stages set the flags; each store's writer acts on those of its own
// set. A letter means the same step everywhere, but each set's writer carries
// it out in its own store: the table below says how, and who sets and reads
// each flag. The letter is the flag's name in the test notation and in
// messages; no store keeps it.
enum class RecordFlag : unsigned char {
    None,        // ""
    New,         // "N"
    Create,      // "C"
    Write,       // "W"
    Modified,    // "M"
    Delete,      // "D"
    AssignID,    // "I"
    SpeedDials,  // "S"
};

struct RecordFlagInfo {
    RecordFlag flag;
    std::string_view letter;
    std::string_view meaning;
    // What the writer of each set does with a record so flagged.
    std::string_view outlook;
    std::string_view phoneBook;
    std::string_view sync;
    std::string_view setBy;
    std::string_view readBy;
};

inline constexpr std::array<RecordFlagInfo, 8> kRecordFlags{{
    {RecordFlag::None, "", "Nothing to do: the record stands as its store holds it.", "nothing",
     "nothing", "nothing (the row stays as loaded)",
     "the loaders; the writers' callers, to keep a sync record as loaded when its contact's "
     "change could not be stored; SyncNewItems, for a new contact left without a choice",
     "SyncModifiedItems and SyncNewItems (an unflagged counterpart did not change), "
     "MarkModified and AssignContactIDs (they flag only unflagged records)"},
    {RecordFlag::New, "N",
     "A copy made in this run of a contact the set lacked; not yet decided on.", "nothing",
     "nothing", "adds a row, the name as given", "SyncSet::CloneNew (FlagNewItems)",
     "SyncNewItems, SyncModifiedItems, the conflict buttons, the sync writer, the run plan"},
    {RecordFlag::Create, "C", "To be added to its store.", "creates a card",
     "adds a row for each number", "adds a row, the name cut to the phone's 22 characters",
     "SyncNewItems, SyncModifiedItems (sync records), the conflict buttons",
     "the three writers, the run plan"},
    {RecordFlag::Write, "W", "To be rewritten with the record's values.",
     "rewrites what differs on the card", "changes, deletes and adds the contact's rows",
     "rewrites the row, keeping a stored address that holds a '/'",
     "SyncModifiedItems, the conflict buttons",
     "the three writers, ReleaseContactsLeavingThePhone (phone book), the run plan"},
    {RecordFlag::Modified, "M",
     "To receive the other side's change (in the sync set: to be rewritten).",
     "nothing (it has become W, or a conflict was left open)", "nothing (as for the address book)",
     "rewrites the row with every value",
     "FlagModifiedItems, AssignSpeedDials (sync records), CopyRecord",
     "SyncModifiedItems, the conflict buttons, the sync writer, the run plan"},
    {RecordFlag::Delete, "D", "To be deleted from its store (the sync data forgets it).",
     "deletes the card", "deletes the contact's rows", "deletes the row",
     "FlagDeletedItems; AssignContactIDs and ReleaseContactsLeavingThePhone (sync records)",
     "the three writers, FlagDeletedItems, FlagNewItems, FlagModifiedItems, "
     "ReleaseContactsLeavingThePhone, the capacity check, the run plan"},
    {RecordFlag::AssignID, "I",
     "Address book only: the card's contact ID (given or taken away) and speed-dial tag "
     "are to be saved.",
     "saves the contact ID and the speed-dial tag", "(never set)", "(never set)",
     "AssignContactIDs, ReleaseContactsLeavingThePhone",
     "the address-book writer, the conflict buttons (I becomes W), the run plan"},
    {RecordFlag::SpeedDials, "S", "Address book only: the card's speed-dial tag is to be saved.",
     "saves the speed-dial tag", "(never set)", "(never set)", "SyncModifiedItems",
     "the address-book writer, the conflict buttons (S becomes W), the run plan"},
}};

// The table is in the order of the enum, and no two flags share a letter.
static_assert([] {
    for (std::size_t i = 0; i < kRecordFlags.size(); ++i) {
        if (static_cast<std::size_t>(kRecordFlags[i].flag) != i) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (kRecordFlags[i].letter == kRecordFlags[j].letter) return false;
        }
    }
    return true;
}());

constexpr const RecordFlagInfo& FlagInfo(RecordFlag flag) {
    return kRecordFlags[static_cast<std::size_t>(flag)];
}

// "" for None, else one letter.
constexpr std::string_view LetterOf(RecordFlag flag) {
    return FlagInfo(flag).letter;
}

// The flag of a letter of the table; nullopt for any other text.
constexpr std::optional<RecordFlag> FlagOfLetter(std::string_view letter) {
    for (const RecordFlagInfo& info : kRecordFlags) {
        if (info.letter == letter) return info.flag;
    }
    return std::nullopt;
}

}  // namespace velmora
