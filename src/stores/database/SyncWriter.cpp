#include "model/NumberKinds.h"
#include "model/Text.h"
#include "run/ActivityLog.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "stores/outlook/NumberText.h"

namespace velmora {

namespace {

// How a record's values go into its row.
struct RowValues {
    bool cutName = false;               // "C": the name as the phone keeps it
    bool keepAddressWithSlash = false;  // "W": an address holding "/" is not stored
};

void SetColumns(Recordset& rows, const SyncObject& record, RowValues how) {
    rows.SetField(SyncColumn::ContactID, record.ContactID);
    rows.SetField(SyncColumn::Name, how.cutName ? Utf8Left(record.ContactName, kPhoneBookNameLength)
                                                : record.ContactName);
    rows.SetField(SyncColumn::SpeedDial, BuildSpeedDialTag(record));
    for (const NumberKindInfo& kind : kNumberKinds) {
        const std::string& number = record.*kind.number;
        const bool keepStored = kind.kind == NumberKind::Email && how.keepAddressWithSlash &&
                                number.find('/') != std::string::npos;
        if (!keepStored) rows.SetField(kind.syncColumn, number);
    }
}

// Moves to the first row of the contact from the start of the table; false
// when it has none. The search always starts from the first row, also when
// an earlier search ran to the end.
bool FindContactRow(Recordset& rows, const std::string& contactId) {
    rows.MoveFirst();
    while (!rows.Eof() && TextOf(rows.Field(SyncColumn::ContactID)) != contactId)
        rows.MoveNext();
    return !rows.Eof();
}

}  // namespace

void WriteSyncDatabase(RunState& state, DatabaseEngine& engine) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to the sync database.");
    const auto database = engine.OpenDatabase(state.settings.SyncPath);
    const auto rows = database->OpenRecordset(kSyncTable);
    const std::string prefix(kEventPrefix);
    for (const SyncObject& record : state.SyncDataSet) {
        const std::string& flag = record.Flag;
        if (flag == "N" || flag == "C") {
            rows->AddNew();
            SetColumns(*rows, record, RowValues{.cutName = flag == "C"});
            rows->Update();
            log.WriteLine(prefix + record.ContactName + " has been added.");
        } else if ((flag == "W" || flag == "M") && FindContactRow(*rows, record.ContactID)) {
            rows->Edit();
            SetColumns(*rows, record, RowValues{.keepAddressWithSlash = flag == "W"});
            rows->Update();
            log.WriteLine(prefix + record.ContactName + " has been modified.");
        } else if (flag == "D" && FindContactRow(*rows, record.ContactID)) {
            rows->Delete();
            log.WriteLine(prefix + record.ContactName + " has been deleted.");
        }
    }
    rows->Close();
    log.Close();
}

}  // namespace velmora
