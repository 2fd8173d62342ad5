#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "model/NumberKinds.h"
#include "model/SyncSet.h"
#include "run/RunState.h"
#include "stores/database/DatabaseEngine.h"
#include "stores/database/RowText.h"

namespace velmora {

// The sync database at SyncPath: Velmora's own memory of every contact as it
// stood after the previous run, one row per contact in table SyncContacts.
inline constexpr std::string_view kSyncTable = "SyncContacts";
inline constexpr std::string_view kSyncMetaTable = "VelmoraMeta";
inline constexpr std::int64_t kSyncSchemaVersion = 1;

// The number column of each kind.
inline constexpr PerKind<std::string_view> kSyncNumberColumns{
    "Work2", "DirectConnect", "Home", "Work1", "Mobile", "Fax", "Pager", "Other", "Email"};

constexpr std::string_view SyncColumnOf(NumberKind kind) {
    return EntryOf(kSyncNumberColumns, kind);
}

// The other columns.
namespace SyncColumn {
inline constexpr std::string_view ContactID = "ContactID";
inline constexpr std::string_view Name = "Name";
inline constexpr std::string_view SpeedDial = "SpeedDial";
inline constexpr std::string_view SchemaVersion = "SchemaVersion";
}  // namespace SyncColumn

// The columns of SyncContacts that Velmora reads and writes, in table order.
std::vector<std::string_view> SyncColumns();

// The tables of a new sync database: an empty SyncContacts (ContactID a
// whole number not below 0; Name, SpeedDial and eight number columns text,
// none of them null; Email text that may be null) and VelmoraMeta holding
// one row with SchemaVersion 1.
std::vector<TableDefinition> SyncDatabaseTables();

// Makes a new, empty sync database (and its folder).
void CreateSyncDatabase(DatabaseEngine& engine, const std::filesystem::path& path);

// Reads SyncContacts into state.SyncDataSet, a record per row. When no file
// exists at SyncPath yet, an empty sync database is created there first.
// Before reading, the file must pass SQLite's quick check and be a sync
// database of this layout: a file without SyncContacts or VelmoraMeta, or of
// another SchemaVersion, is refused with a message saying what to do, and
// never replaced; so is a SyncContacts without one of its columns. A contact
// ID that is not a positive whole number, or a null in any column but Email,
// is an error naming the file, the row or contact ID, the column and the
// value.
void LoadSyncRecords(RunState& state, DatabaseEngine& engine);

// The columns of SyncContacts a load reads, found once for all its rows.
struct SyncRowColumns {
    explicit SyncRowColumns(const RowSource& rows);
    RowColumn contactId;
    RowColumn name;
    RowColumn speedDial;
    PerKind<RowColumn> numbers;
};

// Appends a record built from the current SyncContacts row and returns it.
SyncObject& ImportSyncData(SyncSet& set, const RowSource& syncObject,
                           const SyncRowColumns& columns);

// Stores the outcome of the run in one transaction: records of
// state.SyncDataSet flagged "N" or "C" add a row, "W" or "M" rewrite the
// contact's row, "D" deletes it; each change is logged. A change the table
// refuses is logged as "... Could not ..." and counted in the report, and
// the writer goes on; a lock that stays held ends the run with nothing
// stored.
WriteReport WriteSyncDatabase(const RunState& state, DatabaseEngine& engine);

}  // namespace velmora
