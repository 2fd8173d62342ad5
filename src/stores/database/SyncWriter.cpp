#include <algorithm>
#include <string>
#include <vector>

#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "run/ActivityLog.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"

namespace velmora {

namespace {

// How a record's values go into its row.
struct RowValues {
    bool cutName = false;               // Create: the name as the phone keeps it
    bool keepAddressWithSlash = false;  // Write: an address holding "/" is not stored
};

void SetColumns(Recordset& rows, const SyncObject& record, RowValues how) {
    rows.SetField(SyncColumn::ContactID, record.ContactID);
    rows.SetField(SyncColumn::Name, how.cutName ? Utf8Left(record.ContactName, kPhoneBookNameLength)
                                                : record.ContactName);
    rows.SetField(SyncColumn::SpeedDial, BuildSpeedDialTag(record));
    for (const NumberKindInfo& kind : kNumberKinds) {
        const std::string_view number = record.Number(kind.kind);
        const bool keepStored = kind.kind == NumberKind::Email && how.keepAddressWithSlash &&
                                number.find('/') != std::string_view::npos;
        if (!keepStored) rows.SetField(SyncColumnOf(kind.kind), std::string(number));
    }
}

bool IsWritten(const SyncObject& record) {
    using enum RecordFlag;
    const RecordFlag flag = record.Flag;
    return flag == New || flag == Create || flag == Write || flag == Modified || flag == Delete;
}

std::string WithoutFinalPeriod(std::string_view message) {
    if (!message.empty() && message.back() == '.') message.remove_suffix(1);
    return std::string(message);
}

// Writes one record's change inside a savepoint; the row is found through
// the table's index by contact ID.
class SyncWriter {
  public:
    SyncWriter(Database& database, Recordset& rows, std::vector<std::string>& lines)
        : database_(database), rows_(rows), lines_(lines) {}

    const WriteReport& Report() const { return report_; }

    void Write(const SyncObject& record) {
        const RecordFlag flag = record.Flag;
        const std::string& name = record.ContactName;
        if (flag == RecordFlag::New || flag == RecordFlag::Create) {
            Step("add " + name + " to the sync database", name + " has been added.", [&] {
                rows_.AddNew();
                SetColumns(rows_, record, RowValues{.cutName = flag == RecordFlag::Create});
                rows_.Update();
                return true;
            });
        } else if (flag == RecordFlag::Write || flag == RecordFlag::Modified) {
            Step("change " + name + " in the sync database", name + " has been modified.", [&] {
                if (!FindContactRow(record))
                    return false;  // a contact without a row is passed over
                rows_.Edit();
                SetColumns(rows_, record,
                           RowValues{.keepAddressWithSlash = flag == RecordFlag::Write});
                rows_.Update();
                return true;
            });
        } else if (flag == RecordFlag::Delete) {
            Step("delete " + name + " from the sync database", name + " has been deleted.", [&] {
                if (!FindContactRow(record)) return false;
                rows_.Delete();
                return true;
            });
        }
    }

  private:
    bool FindContactRow(const SyncObject& record) {
        return rows_.FindFirst(SyncColumn::ContactID, FieldValue(record.ContactID));
    }

    // Runs a change that reports whether it wrote anything. A refusal is
    // logged and counted and undone; a held lock ends the run.
    template <typename Change>
    void Step(const std::string& what, const std::string& done, Change&& change) {
        database_.SetSavepoint();
        try {
            const bool wrote = change();
            database_.ReleaseSavepoint();
            if (wrote) lines_.push_back(std::string(kEventPrefix) + done);
        } catch (const DatabaseLockedError&) {
            throw;
        } catch (const Error& error) {
            database_.RollbackToSavepoint();
            ++report_.failedWrites;
            lines_.push_back(std::string(kEventPrefix) + "Could not " + what + ": " +
                             WithoutFinalPeriod(error.what()) + ".");
        }
    }

    Database& database_;
    Recordset& rows_;
    std::vector<std::string>& lines_;
    WriteReport report_;
};

}  // namespace

WriteReport WriteSyncDatabase(const RunState& state, DatabaseEngine& engine) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to the sync database.");
    WriteReport report;
    if (std::any_of(state.SyncDataSet.begin(), state.SyncDataSet.end(), IsWritten)) {
        // The lines wait for the commit, so that the log shows only what the
        // file holds.
        std::vector<std::string> lines;
        const auto database = engine.OpenDatabase(state.settings.SyncPath);
        Transaction transaction(*database);
        // Rows are reached only by contact ID: the writer holds those of the
        // records it writes, not the table.
        RowKeys written{std::string(SyncColumn::ContactID), {}};
        for (const SyncObject& record : state.SyncDataSet) {
            if (IsWritten(record)) written.keys.emplace_back(record.ContactID);
        }
        const auto rows = database->OpenRecordsetWithKeys(kSyncTable, written);
        SyncWriter writer(*database, *rows, lines);
        for (const SyncObject& record : state.SyncDataSet)
            writer.Write(record);
        rows->Close();
        transaction.Commit();
        report = writer.Report();
        for (const std::string& line : lines)
            log.WriteLine(line);
    }
    log.Close();
    return report;
}

}  // namespace velmora
