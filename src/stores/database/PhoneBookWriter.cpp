#include <array>
#include <optional>
#include <string>
#include <type_traits>

#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/Text.h"
#include "run/ActivityLog.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/RowText.h"

namespace velmora {

namespace {

using KindFlags = std::array<bool, kNumberKinds.size()>;

std::size_t IndexOf(const NumberKindInfo& kind) {
    return static_cast<std::size_t>(kind.kind);
}

const NumberKindInfo* KindOfCode(const FieldValue& numberType) {
    const auto code = WholeNumberOf(numberType);
    return code ? KindByNumberType(*code) : nullptr;
}

std::string WithoutFinalPeriod(std::string_view message) {
    if (!message.empty() && message.back() == '.') message.remove_suffix(1);
    return std::string(message);
}

// The record's contact ID as the whole number the table stores.
std::int64_t ContactIdNumber(const SyncObject& record) {
    const auto id = WholeNumberOf(FieldValue(record.ContactID));
    if (!id) {
        throw Error("The contact ID " + DescribeValue(record.ContactID) + " of " +
                    record.ContactName + " is not a whole number.");
    }
    return *id;
}

bool IsRowOf(const Recordset& rows, std::int64_t contactId) {
    return WholeNumberOf(rows.Field(PhoneBookColumn::ContactID)) == contactId;
}

std::uint8_t LengthCodeOf(const NumberKindInfo& kind, std::string_view number) {
    if (kind.kind == NumberKind::DirectConnect || kind.kind == NumberKind::Email) {
        return kUnmeasuredLengthCode;
    }
    return NumberLengthCode(Utf8Length(number));
}

// Moves one row on, and fails rather than loop for ever when the recordset
// does not reach another row or its end.
void StepOn(Recordset& rows, bool backward) {
    const auto before = rows.CurrentRowId();
    if (backward) {
        rows.MovePrevious();
    } else {
        rows.MoveNext();
    }
    const bool past = backward ? rows.Bof() : rows.Eof();
    const auto now = rows.CurrentRowId();
    if (!past && (!now || now == before)) {
        throw Error("The rows of table " + rows.TableName() + " in " +
                    rows.DatabasePath().string() + " do not move on from " +
                    (before ? "row " + std::to_string(*before) : std::string("where they stand")) +
                    ".");
    }
}

// A row of the contact as it stood when the first pass met it.
struct OldRow {
    const NumberKindInfo* kind = nullptr;
    std::string number;
    std::string name;
};

// Writes the flagged records of the phone book set. Once the table is open,
// a failing step (a move, a read, a conversion or a store) is logged as not
// done and the writer goes on with the next one.
class PhoneBookWriter {
  public:
    PhoneBookWriter(RunState& state, Recordset& rows, ActivityLog& log)
        : state_(state), rows_(rows), log_(log) {}

    void Write(const SyncObject& record) {
        failed_ = false;
        stored_ = false;
        if (record.Flag == "D") {
            DeleteContact(record);
        } else if (record.Flag == "W") {
            ModifyContact(record);
        } else if (record.Flag == "C") {
            AddRows(record);
        }
        if (failed_) KeepSyncRecordInStep(record);
    }

  private:
    void Log(const std::string& event) { log_.WriteLine(std::string(kEventPrefix) + event); }

    // Runs one step; a failure is logged with what was tried (a text, or a
    // function that makes it, for steps taken on every row) and counted.
    template <typename What, typename Step>
    bool Attempt(const What& what, Step&& step) {
        try {
            step();
            return true;
        } catch (const Error& error) {
            failed_ = true;
            ++state_.FailedWrites;
            std::string tried;
            if constexpr (std::is_invocable_v<What>) {
                tried = what();
            } else {
                tried = what;
            }
            Log("Could not " + tried + ": " + WithoutFinalPeriod(error.what()) + ".");
            return false;
        }
    }

    // What reading the current row for a contact is called in the log.
    auto ReadingRowFor(const SyncObject& record) const {
        return [this, &record] { return "read " + RowLabel() + " for " + record.ContactName; };
    }

    std::string RowLabel() const {
        const auto rowId = rows_.CurrentRowId();
        return (rowId ? "row " + std::to_string(*rowId) : std::string("a row")) + " of " +
               rows_.TableName();
    }

    // Calls visit on each row from the last to the first. A move that fails
    // ends the walk.
    template <typename Visit>
    void WalkBackward(const SyncObject& record, Visit&& visit) {
        const std::string what =
            "go through the rows of " + rows_.TableName() + " for " + record.ContactName;
        bool onRow = false;
        const auto moved = [&](auto move) {
            return Attempt(what, [&] {
                move();
                onRow = !rows_.Bof();
            });
        };
        // Straight to the last row, wherever the previous pass left the
        // recordset (at its end, after a forward pass).
        if (!moved([&] { rows_.MoveLast(); })) return;
        while (onRow) {
            visit();
            if (!moved([&] { StepOn(rows_, true); })) return;
        }
    }

    void AddRows(const SyncObject& record) {
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!(record.*kind.number).empty()) AddRow(record, kind);
        }
    }

    void AddRow(const SyncObject& record, const NumberKindInfo& kind) {
        const std::string& number = record.*kind.number;
        const std::string word(kind.kindWord);
        const bool added =
            Attempt("add a " + word + " of " + number + " for " + record.ContactName, [&] {
                const std::int64_t contactId = ContactIdNumber(record);
                rows_.AddNew();
                rows_.SetField(PhoneBookColumn::ContactID, contactId);
                rows_.SetField(PhoneBookColumn::ContactName,
                               Utf8Left(record.ContactName, kPhoneBookNameLength));
                rows_.SetField(PhoneBookColumn::SpeedDial, record.*kind.speed);
                rows_.SetField(PhoneBookColumn::Number, number);
                rows_.SetField(PhoneBookColumn::NumberType, kind.numberType);
                rows_.SetField(PhoneBookColumn::PhoneNumberLength, LengthCodeOf(kind, number));
                rows_.Update();
            });
        if (!added) return;
        stored_ = true;
        Log("A " + word + " of " + number + " was added for " + record.ContactName + ".");
    }

    // Three passes: change or delete the contact's rows from the last to the
    // first, note which kinds it has rows for, add rows for the others.
    void ModifyContact(const SyncObject& record) {
        std::int64_t contactId = 0;
        if (!Attempt("change " + record.ContactName + " in " + rows_.TableName(),
                     [&] { contactId = ContactIdNumber(record); })) {
            return;
        }
        KindFlags deleted{};
        WalkBackward(record, [&] { ChangeRow(record, contactId, deleted); });
        const auto present = PresentKinds(record, contactId);
        if (!present) return;  // adding rows without knowing them could double a number
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!(*present)[IndexOf(kind)] && !(record.*kind.number).empty()) {
                AddRow(record, kind);
            }
        }
    }

    std::optional<OldRow> ReadOwnRow(std::int64_t contactId) const {
        if (!IsRowOf(rows_, contactId)) return std::nullopt;
        const NumberKindInfo* kind = KindOfCode(rows_.Field(PhoneBookColumn::NumberType));
        if (kind == nullptr) return std::nullopt;
        // A null number or name is an absent one.
        return OldRow{kind, TextOf(rows_.Field(PhoneBookColumn::Number)).value_or(""),
                      TextOf(rows_.Field(PhoneBookColumn::ContactName)).value_or("")};
    }

    void ChangeRow(const SyncObject& record, std::int64_t contactId, KindFlags& deleted) {
        std::optional<OldRow> old;
        if (!Attempt(ReadingRowFor(record), [&] { old = ReadOwnRow(contactId); })) {
            return;
        }
        if (!old) return;
        const NumberKindInfo& kind = *old->kind;
        const std::string& number = record.*kind.number;
        const std::string word(kind.kindWord);

        if (!deleted[IndexOf(kind)] && number.empty() && !old->number.empty()) {
            if (Attempt("delete the " + word + " for " + record.ContactName,
                        [&] { rows_.Delete(); })) {
                deleted[IndexOf(kind)] = true;
                stored_ = true;
                Log("The " + word + " for " + record.ContactName + " has been deleted.");
            }
            return;
        }

        std::string storedName = old->name;
        if (record.ContactName != old->name && !old->name.empty()) {
            const bool renamed =
                Attempt("change the name for " + old->name + " to " + record.ContactName, [&] {
                    rows_.Edit();
                    rows_.SetField(PhoneBookColumn::ContactName, record.ContactName);
                    rows_.Update();
                });
            if (renamed) {
                stored_ = true;
                storedName = record.ContactName;
                Log("The name for " + old->name + " has been changed to " + record.ContactName +
                    ".");
            }
        }

        if (number != old->number) {
            const bool changed = Attempt("change the " + word + " for " + record.ContactName +
                                             " from " + old->number + " to " + number,
                                         [&] {
                                             rows_.Edit();
                                             rows_.SetField(PhoneBookColumn::Number, number);
                                             SetChangedLength(kind, old->number, number);
                                             rows_.Update();
                                         });
            if (changed) {
                stored_ = true;
                Log("The " + word + " for " + storedName + " has been changed from " + old->number +
                    " to " + number + ".");
            }
        }
    }

    void SetChangedLength(const NumberKindInfo& kind, std::string_view oldNumber,
                          std::string_view newNumber) {
        const std::size_t length = Utf8Length(newNumber);
        if (LengthCodeOf(kind, newNumber) == kUnmeasuredLengthCode) return;
        if (length == Utf8Length(oldNumber)) return;
        rows_.SetField(PhoneBookColumn::PhoneNumberLength, NumberLengthCode(length));
    }

    // The kinds the contact has rows for; nullopt when the rows could not be
    // read to the end.
    std::optional<KindFlags> PresentKinds(const SyncObject& record, std::int64_t contactId) {
        KindFlags present{};
        const bool read = Attempt(
            "check which numbers " + record.ContactName + " has in " + rows_.TableName(), [&] {
                rows_.MoveFirst();
                while (!rows_.Eof()) {
                    if (IsRowOf(rows_, contactId)) {
                        const auto* kind = KindOfCode(rows_.Field(PhoneBookColumn::NumberType));
                        if (kind != nullptr) present[IndexOf(*kind)] = true;
                    }
                    StepOn(rows_, false);
                }
            });
        return read ? std::optional(present) : std::nullopt;
    }

    void DeleteContact(const SyncObject& record) {
        WalkBackward(record, [&] { DeleteRow(record); });
    }

    void DeleteRow(const SyncObject& record) {
        bool own = false;
        FieldValue numberType;
        if (!Attempt(ReadingRowFor(record), [&] {
                own = TextOf(rows_.Field(PhoneBookColumn::ContactID)) == record.ContactID;
                if (own) numberType = rows_.Field(PhoneBookColumn::NumberType);
            })) {
            return;
        }
        if (!own) return;
        const auto code = WholeNumberOf(numberType);
        // Rows of a NumberType outside 0 to 10 go without a line; 7 and 8
        // have an empty kind word.
        const bool logged = code && *code >= 0 && *code <= 10;
        const std::string word = logged ? std::string(KindWordOfNumberType(*code)) : "";
        const std::string what = word.empty()
                                     ? "delete " + RowLabel() + " (NumberType " +
                                           DescribeValue(numberType) + ") for " + record.ContactName
                                     : "delete the " + word + " for " + record.ContactName;
        if (!Attempt(what, [&] { rows_.Delete(); })) return;
        stored_ = true;
        if (logged) Log("The " + word + " for " + record.ContactName + " has been deleted.");
    }

    // After a failed step the sync database must not record the contact as
    // if the change had reached the phone book, or the next run would take
    // the phone book's state for the other side's. When nothing was stored,
    // the sync record's flag is cleared so its row stays as loaded (and a
    // contact that was new is not added). When part of the change was stored,
    // the sync record takes what the phone book now holds for the contact, so
    // the next run finds the phone book unchanged and carries the rest again.
    void KeepSyncRecordInStep(const SyncObject& record) {
        const int position = FindByContactID(record.ContactID, state_.SyncDataSet);
        if (position == 0) return;
        SyncObject& sync = state_.SyncDataSet.Item(position);
        const bool adds = sync.Flag == "N" || sync.Flag == "C";
        const bool rewrites = sync.Flag == "W" || sync.Flag == "M";
        if (sync.Flag == "D" || ((adds || rewrites) && !stored_)) {
            sync.Flag.clear();
            return;
        }
        if (!adds && !rewrites) return;
        std::optional<SyncObject> held;
        if (!Attempt("read back what " + rows_.TableName() + " holds for " + record.ContactName,
                     [&] { held = ReadHeldContact(record); })) {
            sync.Flag.clear();
            return;
        }
        if (!held) {
            // The phone book holds no row of the contact any more: neither
            // may the sync database, or the contact would count as deleted.
            sync.Flag = rewrites ? "D" : "";
            return;
        }
        sync.ContactName = held->ContactName;
        for (const NumberKindInfo& kind : kNumberKinds) {
            sync.*kind.number = (*held).*kind.number;
            sync.*kind.speed = (*held).*kind.speed;
        }
    }

    // The contact as the loader would read it from the table now.
    std::optional<SyncObject> ReadHeldContact(const SyncObject& record) {
        const std::int64_t contactId = ContactIdNumber(record);
        SyncSet held;
        rows_.MoveFirst();
        while (!rows_.Eof()) {
            if (IsRowOf(rows_, contactId)) {
                if (held.Count() == 0) {
                    ImportPhoneBookData(held, rows_);
                } else {
                    LoadPhoneBookNumbers(rows_, held, 1);
                }
            }
            StepOn(rows_, false);
        }
        if (held.Count() == 0) return std::nullopt;
        return held.Item(1);
    }

    RunState& state_;
    Recordset& rows_;
    ActivityLog& log_;
    bool failed_ = false;  // a step of the current record failed
    bool stored_ = false;  // a step of the current record changed the table
};

}  // namespace

std::uint8_t NumberLengthCode(std::size_t characterCount) {
    switch (characterCount) {
        case 10:
            return 6;
        case 11:
            return 7;
        default:
            return 0;
    }
}

void WritePhoneBookDatabase(RunState& state, DatabaseEngine& engine) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to the PhoneBook database.");
    const auto database = engine.OpenDatabase(state.settings.PhoneBookPath);
    const auto rows = database->OpenRecordset(kPhoneBookTable);
    PhoneBookWriter writer(state, *rows, log);
    for (const SyncObject& record : state.PhoneBookSet)
        writer.Write(record);
    rows->Close();
    log.Close();
}

}  // namespace velmora
