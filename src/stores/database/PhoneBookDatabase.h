#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/NumberKinds.h"
#include "model/SyncSet.h"
#include "run/RunState.h"
#include "stores/database/DatabaseEngine.h"

namespace velmora {

// The phone book writer's word for each kind in its log lines.
inline constexpr PerKind<std::string_view> kKindWords{
    "secondary work number", "direct connect number", "home number",
    "work number",           "mobile number",         "FAX number",
    "pager number",          "'other' number",        "email address"};

constexpr std::string_view KindWord(NumberKind kind) {
    return EntryOf(kKindWords, kind);
}

// The word for a NumberType code; empty for codes of no kind.
inline std::string_view KindWordOfNumberType(long long numberType) {
    const NumberKindInfo* info = KindByNumberType(numberType);
    return info != nullptr ? KindWord(info->kind) : std::string_view{};
}

// The phone book: table tblContactList of the database at PhoneBookPath, one
// row per number (or e-mail address) of a contact. The table belongs to the
// phone's own manager program: Velmora never creates it, uses the six columns
// below, and leaves any others alone.
inline constexpr std::string_view kPhoneBookTable = "tblContactList";

namespace PhoneBookColumn {
inline constexpr std::string_view ContactID = "ContactID";
inline constexpr std::string_view ContactName = "ContactName";
inline constexpr std::string_view Number = "Number";
inline constexpr std::string_view NumberType = "NumberType";
inline constexpr std::string_view SpeedDial = "SpeedDial";
inline constexpr std::string_view PhoneNumberLength = "PhoneNumberLength";
}  // namespace PhoneBookColumn

// The phone keeps names of up to this many characters (code points).
inline constexpr std::size_t kPhoneBookNameLength = 22;

// PhoneNumberLength of the direct connect number and the e-mail address.
inline constexpr std::uint8_t kUnmeasuredLengthCode = 255;

// Two or more rows of one contact for one kind of number, left by runs that
// interleaved or by another program. The phone keeps one row per kind, so
// the writer removes all but one.
struct DuplicatePhoneRows {
    struct Row {
        std::int64_t rowId = 0;
        std::string number;
        std::string speedDial;
    };
    std::string contactId;
    std::string contactName;  // as the phone book holds it
    NumberKind kind = NumberKind::Work2;
    std::vector<Row> rows;  // every row of the kind, in stored order
    std::size_t kept = 0;   // the row that stays
};
using PhoneBookDuplicates = std::vector<DuplicatePhoneRows>;

// Reads tblContactList into state.PhoneBookSet, folding the rows of each
// contact (matched by contact ID, wherever they stand) into one record: the
// name from its first row, each kind's number and speed dial from the first
// row of that kind. Before reading it checks the file (SQLite's quick check)
// and that the table has the six columns. A missing or damaged file, a
// missing table or column, a contact ID that is not a positive whole number,
// or a null the load cannot read is an error that names the file, the row
// or contact ID (where there is one), the column and the value. Returns the
// kinds that a contact holds in more than one row.
PhoneBookDuplicates LoadPhoneBookRecords(RunState& state, DatabaseEngine& engine);

// Run once the sync records are loaded: chooses, for each duplicated kind,
// the row that stays (the one whose number and speed dial, or else whose
// number, match the contact's sync record; else the first), and gives the
// phone book record that row's values, so that the run sees the phone book
// as the repair will leave it.
void ChoosePhoneRowsToKeep(RunState& state, PhoneBookDuplicates& duplicates);

// Carries the records of state.PhoneBookSet flagged "C" (add a row per
// number), "W" (delete, rename, renumber, re-dial and add rows) and "D"
// (delete every row) into tblContactList, logging each change, after logging
// and removing the extra rows of the duplicates. Everything goes in one
// transaction, with a savepoint per contact: a step that fails is logged as
// "... Could not ..." with the reason and reported, the contact's earlier
// changes are undone, the contact is reported as unstored so that the sync
// database does not record the change (see docs/databases.md), and the
// writer goes on with the next contact. A lock that stays held ends the run
// (DatabaseLockedError) with nothing stored.
WriteReport WritePhoneBookDatabase(const RunState& state, DatabaseEngine& engine,
                                   const PhoneBookDuplicates& duplicates = {});

// PhoneNumberLength of a number of this many characters: 6 for 10, 7 for 11,
// 0 for any other count.
std::uint8_t NumberLengthCode(std::size_t characterCount);

}  // namespace velmora
