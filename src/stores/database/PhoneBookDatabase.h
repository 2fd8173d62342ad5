#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/SyncSet.h"
#include "run/RunState.h"
#include "stores/database/DatabaseEngine.h"

namespace velmora {

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

// Reads tblContactList into state.PhoneBookSet, folding the rows of each
// contact (matched by contact ID, wherever they stand) into one record. A
// missing file, table or column, or a null the load cannot read, is an error
// that names the file, the contact ID (where there is one) and the column.
void LoadPhoneBookRecords(RunState& state, DatabaseEngine& engine);

// Appends a record built from the current row, the first met for a contact:
// its ID, its name, and the number and speed dial of the row's kind (none
// for a NumberType of no kind). Returns the new record.
SyncObject& ImportPhoneBookData(SyncSet& set, Recordset& phoneBookObject);

// Adds the current row, a later one of the contact at `position` of the set,
// to that record: the row's number and speed dial replace those of its kind.
// The row's name is not read.
void LoadPhoneBookNumbers(Recordset& phoneBookObject, SyncSet& set, int position);

// Carries the records of state.PhoneBookSet flagged "C" (add a row per
// number), "W" (delete, rename, renumber and add rows) and "D" (delete every
// row) into tblContactList, logging each change. A step that fails is logged
// as "... Could not ..." with the reason, counted in state.FailedWrites, and
// the writer goes on with the next step; the contact's sync record is then
// set so that the sync database records only what the phone book holds (see
// docs/databases.md).
void WritePhoneBookDatabase(RunState& state, DatabaseEngine& engine);

// PhoneNumberLength of a number of this many characters: 6 for 10, 7 for 11,
// 0 for any other count.
std::uint8_t NumberLengthCode(std::size_t characterCount);

}  // namespace velmora
