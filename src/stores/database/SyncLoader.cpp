#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/NumberText.h"
#include "stores/database/RowText.h"
#include "stores/database/SyncDatabase.h"

namespace velmora {

namespace {

ColumnDefinition TextColumn(std::string_view name, bool notNull) {
    ColumnDefinition column;
    column.name = name;
    column.type = ColumnType::Text;
    column.notNull = notNull;
    return column;
}

// What to do about a file Velmora cannot use as its sync database.
constexpr std::string_view kUseAnotherFile =
    " Velmora does not replace it: in the settings, point the sync database (SyncPath) at a "
    "file that does not exist yet, and Velmora makes a new one there; the next run then "
    "matches the contacts of both sides by name.";

// Refuses a file that is not a sync database of the layout this version
// reads, before anything reads or writes its rows.
void CheckSyncLayout(Database& database) {
    const std::string file = database.Path().string();
    if (!database.HasTable(kSyncTable)) {
        throw Error("The file " + file + " has no table " + std::string(kSyncTable) +
                    ", so it is not a sync database of Velmora." + std::string(kUseAnotherFile));
    }
    if (!database.HasTable(kSyncMetaTable)) {
        throw Error("The sync database " + file + " has no table " + std::string(kSyncMetaTable) +
                    ", so its layout is unknown (another program or a damaged copy may have "
                    "made it)." +
                    std::string(kUseAnotherFile));
    }
    const auto meta = database.OpenRecordset(kSyncMetaTable);
    FieldValue version;
    if (meta->HasColumn(SyncColumn::SchemaVersion) && !meta->Eof()) {
        version = meta->Field(SyncColumn::SchemaVersion);
    }
    meta->Close();
    const auto number = WholeNumberOf(version);
    if (number == kSyncSchemaVersion) return;
    if (number && *number > kSyncSchemaVersion) {
        throw Error("The sync database " + file + " has layout version " + std::to_string(*number) +
                    ", made by a newer Velmora than this one (which " + "reads version " +
                    std::to_string(kSyncSchemaVersion) +
                    "). Use that newer version of Velmora, or point the sync database (SyncPath) "
                    "at a file that does not exist yet, and Velmora makes a new one there.");
    }
    throw Error("The sync database " + file + " has the unknown layout version " +
                DescribeValue(version) + " in table " + std::string(kSyncMetaTable) + "." +
                std::string(kUseAnotherFile));
}

}  // namespace

std::vector<TableDefinition> SyncDatabaseTables() {
    TableDefinition contacts;
    contacts.name = kSyncTable;
    ColumnDefinition contactId;
    contactId.name = SyncColumn::ContactID;
    contactId.type = ColumnType::Integer;
    contactId.notNull = true;
    contactId.minimum = 0;
    contacts.columns.push_back(contactId);
    contacts.columns.push_back(TextColumn(SyncColumn::Name, true));
    contacts.columns.push_back(TextColumn(SyncColumn::SpeedDial, true));
    for (const NumberKindInfo& kind : kNumberKinds)
        contacts.columns.push_back(
            TextColumn(SyncColumnOf(kind.kind), kind.kind != NumberKind::Email));

    TableDefinition meta;
    meta.name = kSyncMetaTable;
    ColumnDefinition version;
    version.name = SyncColumn::SchemaVersion;
    version.type = ColumnType::Integer;
    meta.columns.push_back(version);
    meta.rows.push_back({FieldValue(kSyncSchemaVersion)});
    return {contacts, meta};
}

void CreateSyncDatabase(DatabaseEngine& engine, const std::filesystem::path& path) {
    engine.CreateDatabase(path, SyncDatabaseTables());
}

SyncRowColumns::SyncRowColumns(const RowSource& rows)
    : contactId(ColumnOf(rows, SyncColumn::ContactID)),
      name(ColumnOf(rows, SyncColumn::Name)),
      speedDial(ColumnOf(rows, SyncColumn::SpeedDial)) {
    for (const NumberKindInfo& kind : kNumberKinds)
        numbers[static_cast<std::size_t>(kind.kind)] = ColumnOf(rows, SyncColumnOf(kind.kind));
}

SyncObject& ImportSyncData(SyncSet& set, const RowSource& syncObject,
                           const SyncRowColumns& columns) {
    SyncObject record;
    record.ContactID = PositiveContactId(syncObject, columns.contactId);
    record.ContactName = RequiredText(syncObject, columns.name, record.ContactID);
    for (const NumberKindInfo& kind : kNumberKinds) {
        const RowColumn& column = EntryOf(columns.numbers, kind.kind);
        if (kind.kind == NumberKind::Email) {
            // A null address is no address.
            record.SetNumber(kind.kind, syncObject.TextAt(column.index).value_or(""));
        } else {
            record.SetNumber(kind.kind, RequiredText(syncObject, column, record.ContactID));
        }
    }
    ApplySpeedDialTag(record, RequiredText(syncObject, columns.speedDial, record.ContactID));
    return set.Append(std::move(record));
}

void LoadSyncRecords(RunState& state, DatabaseEngine& engine) {
    const std::filesystem::path& path = state.settings.SyncPath;
    if (!engine.DatabaseExists(path)) CreateSyncDatabase(engine, path);
    const auto database = engine.OpenDatabase(path);
    database->CheckIntegrity();
    CheckSyncLayout(*database);
    const auto rows = database->ReadRows(kSyncTable);
    RequireColumns(*rows, SyncColumns());
    const SyncRowColumns columns(*rows);
    while (rows->Next())
        ImportSyncData(state.SyncDataSet, *rows, columns);
}

std::vector<std::string_view> SyncColumns() {
    std::vector<std::string_view> columns{SyncColumn::ContactID, SyncColumn::Name,
                                          SyncColumn::SpeedDial};
    for (const NumberKindInfo& kind : kNumberKinds)
        columns.push_back(SyncColumnOf(kind.kind));
    return columns;
}

}  // namespace velmora
