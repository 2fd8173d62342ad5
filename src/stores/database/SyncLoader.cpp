#include "model/Error.h"
#include "model/NumberKinds.h"
#include "stores/database/RowText.h"
#include "stores/database/SyncDatabase.h"
#include "stores/outlook/NumberText.h"

namespace velmora {

namespace {

ColumnDefinition TextColumn(std::string_view name, bool notNull) {
    ColumnDefinition column;
    column.name = name;
    column.type = ColumnType::Text;
    column.notNull = notNull;
    return column;
}

// The contact ID of a sync row: the plain digits of a whole number.
std::string SyncContactId(const Recordset& row) {
    const std::string text = RequiredText(row, SyncColumn::ContactID);
    const auto id = WholeNumberOf(row.Field(SyncColumn::ContactID));
    if (!id) {
        std::string where = RowDescription(row);
        where[0] = 'R';
        throw Error(where + " has the contact ID \"" + text + "\", which is not a whole number.");
    }
    return std::to_string(*id);
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
        contacts.columns.push_back(TextColumn(kind.syncColumn, kind.kind != NumberKind::Email));

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

SyncObject& ImportSyncData(SyncSet& set, Recordset& syncObject) {
    SyncObject record;
    record.ContactID = SyncContactId(syncObject);
    record.ContactName = RequiredText(syncObject, SyncColumn::Name, record.ContactID);
    for (const NumberKindInfo& kind : kNumberKinds) {
        if (kind.kind == NumberKind::Email) {
            // A null address is no address.
            record.*kind.number = TextOf(syncObject.Field(kind.syncColumn)).value_or("");
        } else {
            record.*kind.number = RequiredText(syncObject, kind.syncColumn, record.ContactID);
        }
    }
    ApplySpeedDialTag(record, RequiredText(syncObject, SyncColumn::SpeedDial, record.ContactID));
    return set.Append(std::move(record));
}

void LoadSyncRecords(RunState& state, DatabaseEngine& engine) {
    const std::filesystem::path& path = state.settings.SyncPath;
    if (!engine.DatabaseExists(path)) CreateSyncDatabase(engine, path);
    const auto database = engine.OpenDatabase(path);
    const auto rows = database->OpenRecordset(kSyncTable);
    if (!rows->Eof()) rows->MoveFirst();
    while (!rows->Eof()) {
        ImportSyncData(state.SyncDataSet, *rows);
        rows->MoveNext();
    }
    rows->Close();
}

}  // namespace velmora
