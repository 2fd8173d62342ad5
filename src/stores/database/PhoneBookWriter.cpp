#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

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

std::uint8_t LengthCodeOf(const NumberKindInfo& kind, std::string_view number) {
    if (kind.kind == NumberKind::DirectConnect || kind.kind == NumberKind::Email) {
        return kUnmeasuredLengthCode;
    }
    return NumberLengthCode(Utf8Length(number));
}

bool IsWritten(const SyncObject& record) {
    return record.Flag == RecordFlag::Create || record.Flag == RecordFlag::Write ||
           record.Flag == RecordFlag::Delete;
}

// A row of the contact as it stood when the first pass met it.
struct OldRow {
    const NumberKindInfo* kind = nullptr;
    std::string number;
    std::string name;
    std::string speedDial;
};

// Writes the repairs and the flagged records of the phone book set into one
// open transaction. The changes of one contact are made inside a savepoint:
// when a step (a lookup, a read, a conversion or a store) fails, they are
// undone, the failure is logged, and the writer goes on with the next contact.
class PhoneBookWriter {
  public:
    PhoneBookWriter(Database& database, Recordset& rows, std::vector<std::string>& lines)
        : database_(database), rows_(rows), lines_(lines) {}

    const WriteReport& Report() const { return report_; }

    void Repair(const DuplicatePhoneRows& duplicate) {
        const std::string word(KindWord(duplicate.kind));
        const std::string& name = duplicate.contactName;
        lines_.push_back(std::string(kEventPrefix) + "The PhoneBook holds " +
                         std::to_string(duplicate.rows.size()) + " rows for the " + word + " of " +
                         name + "; the extra rows will be removed.");
        std::set<std::int64_t> extra;
        for (std::size_t i = 0; i < duplicate.rows.size(); ++i) {
            if (i != duplicate.kept) extra.insert(duplicate.rows[i].rowId);
        }
        InSavepoint([&] {
            Attempt("remove the extra rows for the " + word + " of " + name, [&] {
                const FieldValue id(duplicate.contactId);
                for (bool on = rows_.FindFirst(PhoneBookColumn::ContactID, id); on;
                     on = rows_.FindNext(PhoneBookColumn::ContactID, id)) {
                    const auto* kind = KindOfCode(rows_.Field(PhoneBookColumn::NumberType));
                    if (kind != nullptr && kind->kind == duplicate.kind &&
                        extra.contains(rows_.CurrentRowId().value_or(0))) {
                        rows_.Delete();
                    }
                }
            });
        });
    }

    void Write(const SyncObject& record) {
        if (!IsWritten(record)) return;
        const bool stored = InSavepoint([&] {
            if (record.Flag == RecordFlag::Delete) {
                DeleteContact(record);
            } else if (record.Flag == RecordFlag::Write) {
                ModifyContact(record);
            } else {
                AddRows(record);
            }
        });
        // Nothing of the contact reached the phone book: its savepoint was
        // undone, and the sync database must not record the change either.
        if (!stored) report_.unstoredContactIDs.push_back(record.ContactID);
    }

  private:
    void Log(const std::string& event) {
        contactLines_.push_back(std::string(kEventPrefix) + event);
    }

    // Runs the steps of one contact: all of them are kept, or, when one
    // fails, none, and the log shows the failure instead of what was undone.
    template <typename Steps>
    bool InSavepoint(Steps&& steps) {
        failure_.reset();
        contactLines_.clear();
        database_.SetSavepoint();
        steps();
        if (failure_) {
            database_.RollbackToSavepoint();
            lines_.push_back(*failure_);
            return false;
        }
        database_.ReleaseSavepoint();
        lines_.insert(lines_.end(), contactLines_.begin(), contactLines_.end());
        return true;
    }

    // Runs one step unless one of the contact failed already; a failure is
    // noted with what was tried (a text, or a function that makes it, for
    // steps taken on every row) and counted. A held lock is not a refusal of
    // this one change: it ends the run.
    template <typename What, typename Step>
    bool Attempt(const What& what, Step&& step) {
        if (failure_) return false;
        try {
            step();
            return true;
        } catch (const DatabaseLockedError&) {
            throw;
        } catch (const Error& error) {
            ++report_.failedWrites;
            std::string tried;
            if constexpr (std::is_invocable_v<What>) {
                tried = what();
            } else {
                tried = what;
            }
            failure_ = std::string(kEventPrefix) + "Could not " + tried + ": " +
                       WithoutFinalPeriod(error.what()) + ".";
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

    // Calls visit on each row of the contact, found through the table's
    // index: from the last to the first, or from the first to the last.
    template <typename Visit>
    void ForRowsOf(const SyncObject& record, bool backward, Visit&& visit) {
        const FieldValue id(record.ContactID);
        const std::string_view column = PhoneBookColumn::ContactID;
        bool onRow = false;
        const auto moved = [&](bool first) {
            return Attempt(
                "go through the rows of " + rows_.TableName() + " for " + record.ContactName, [&] {
                    onRow =
                        backward
                            ? (first ? rows_.FindLast(column, id) : rows_.FindPrevious(column, id))
                            : (first ? rows_.FindFirst(column, id) : rows_.FindNext(column, id));
                });
        };
        for (bool ok = moved(true); ok && onRow && !failure_; ok = moved(false))
            visit();
    }

    void AddRows(const SyncObject& record) {
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!record.Number(kind.kind).empty()) AddRow(record, kind);
        }
    }

    void AddRow(const SyncObject& record, const NumberKindInfo& kind) {
        const std::string number(record.Number(kind.kind));
        const std::string word(KindWord(kind.kind));
        const bool added =
            Attempt("add a " + word + " of " + number + " for " + record.ContactName, [&] {
                const std::int64_t contactId = ContactIdNumber(record);
                rows_.AddNew();
                rows_.SetField(PhoneBookColumn::ContactID, contactId);
                rows_.SetField(PhoneBookColumn::ContactName,
                               Utf8Left(record.ContactName, kPhoneBookNameLength));
                rows_.SetField(PhoneBookColumn::SpeedDial, std::string(record.Speed(kind.kind)));
                rows_.SetField(PhoneBookColumn::Number, number);
                rows_.SetField(PhoneBookColumn::NumberType, kind.numberType);
                rows_.SetField(PhoneBookColumn::PhoneNumberLength, LengthCodeOf(kind, number));
                rows_.Update();
            });
        if (added)
            Log("A " + word + " of " + number + " was added for " + record.ContactName + ".");
    }

    // Three passes over the contact's rows: change or delete them from the
    // last to the first, note which kinds it has rows for, add rows for the
    // others.
    void ModifyContact(const SyncObject& record) {
        if (!Attempt("change " + record.ContactName + " in " + rows_.TableName(),
                     [&] { ContactIdNumber(record); })) {
            return;
        }
        KindFlags deleted{};
        ForRowsOf(record, true, [&] { ChangeRow(record, deleted); });
        KindFlags present{};
        ForRowsOf(record, false, [&] {
            Attempt(ReadingRowFor(record), [&] {
                const auto* kind = KindOfCode(rows_.Field(PhoneBookColumn::NumberType));
                if (kind != nullptr) present[IndexOf(*kind)] = true;
            });
        });
        for (const NumberKindInfo& kind : kNumberKinds) {
            if (!present[IndexOf(kind)] && !record.Number(kind.kind).empty()) AddRow(record, kind);
        }
    }

    std::optional<OldRow> ReadOwnRow() const {
        const NumberKindInfo* kind = KindOfCode(rows_.Field(PhoneBookColumn::NumberType));
        if (kind == nullptr) return std::nullopt;
        // A null number, name or speed dial is an absent one.
        return OldRow{kind, TextOf(rows_.Field(PhoneBookColumn::Number)).value_or(""),
                      TextOf(rows_.Field(PhoneBookColumn::ContactName)).value_or(""),
                      TextOf(rows_.Field(PhoneBookColumn::SpeedDial)).value_or("")};
    }

    void ChangeRow(const SyncObject& record, KindFlags& deleted) {
        std::optional<OldRow> old;
        if (!Attempt(ReadingRowFor(record), [&] { old = ReadOwnRow(); })) return;
        if (!old) return;
        const NumberKindInfo& kind = *old->kind;
        const std::string number(record.Number(kind.kind));
        const std::string word(KindWord(kind.kind));

        if (!deleted[IndexOf(kind)] && number.empty() && !old->number.empty()) {
            if (Attempt("delete the " + word + " for " + record.ContactName,
                        [&] { rows_.Delete(); })) {
                deleted[IndexOf(kind)] = true;
                Log("The " + word + " for " + record.ContactName + " has been deleted.");
            }
            return;
        }

        // The phone keeps 22 characters: a row holding them is up to date.
        const std::string phoneName = Utf8Left(record.ContactName, kPhoneBookNameLength);
        std::string storedName = old->name;
        if (phoneName != old->name && !old->name.empty()) {
            const bool renamed =
                Attempt("change the name for " + old->name + " to " + record.ContactName, [&] {
                    rows_.Edit();
                    rows_.SetField(PhoneBookColumn::ContactName, phoneName);
                    rows_.Update();
                });
            if (renamed) {
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
                Log("The " + word + " for " + storedName + " has been changed from " + old->number +
                    " to " + number + ".");
            }
        }

        const std::string speedDial(record.Speed(kind.kind));
        if (!speedDial.empty() && !SameValueText(speedDial, old->speedDial)) {
            const std::string what = "speed dial of the " + word + " for " + record.ContactName;
            const bool changed =
                Attempt("change the " + what + " from " + old->speedDial + " to " + speedDial, [&] {
                    rows_.Edit();
                    rows_.SetField(PhoneBookColumn::SpeedDial, speedDial);
                    rows_.Update();
                });
            if (changed) {
                Log("The " + what + " has been changed from " + old->speedDial + " to " +
                    speedDial + ".");
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

    void DeleteContact(const SyncObject& record) {
        ForRowsOf(record, true, [&] { DeleteRow(record); });
    }

    void DeleteRow(const SyncObject& record) {
        FieldValue numberType;
        if (!Attempt(ReadingRowFor(record),
                     [&] { numberType = rows_.Field(PhoneBookColumn::NumberType); })) {
            return;
        }
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
        if (logged) Log("The " + word + " for " + record.ContactName + " has been deleted.");
    }

    Database& database_;
    Recordset& rows_;
    std::vector<std::string>& lines_;        // the log's lines, kept until the commit
    std::vector<std::string> contactLines_;  // those of the current contact
    std::optional<std::string> failure_;     // the line of its failed step
    WriteReport report_;
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

WriteReport WritePhoneBookDatabase(const RunState& state, DatabaseEngine& engine,
                                   const PhoneBookDuplicates& duplicates) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to the PhoneBook database.");
    const bool anything = !duplicates.empty() ||
                          std::any_of(state.PhoneBookSet.begin(), state.PhoneBookSet.end(),
                                      [](const SyncObject& record) { return IsWritten(record); });
    WriteReport report;
    if (anything) {
        // The lines wait for the commit, so that the log shows only what the
        // file holds: a run that stops here has stored nothing.
        std::vector<std::string> lines;
        const auto database = engine.OpenDatabase(state.settings.PhoneBookPath);
        Transaction transaction(*database);
        // The writer reaches rows only by contact ID: it holds the rows of
        // the contacts it writes, not the table.
        RowKeys written{std::string(PhoneBookColumn::ContactID), {}};
        for (const DuplicatePhoneRows& duplicate : duplicates)
            written.keys.emplace_back(duplicate.contactId);
        for (const SyncObject& record : state.PhoneBookSet) {
            if (IsWritten(record)) written.keys.emplace_back(record.ContactID);
        }
        const auto rows = database->OpenRecordsetWithKeys(kPhoneBookTable, written);
        PhoneBookWriter writer(*database, *rows, lines);
        for (const DuplicatePhoneRows& duplicate : duplicates)
            writer.Repair(duplicate);
        for (const SyncObject& record : state.PhoneBookSet)
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
