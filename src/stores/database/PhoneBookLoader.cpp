#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "model/NumberKinds.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/RowText.h"

namespace velmora {

namespace {

// The kind of the current row; nullptr for a NumberType of no kind (7, 8,
// any other value, null).
const NumberKindInfo* KindOfRow(const RowSource& row, const RowColumn& numberType) {
    const auto code = WholeNumberOf(row.FieldAt(numberType.index));
    return code ? KindByNumberType(*code) : nullptr;
}

// A contact as the load meets its rows. A kind's rows are listed only once a
// second row of the kind shows up: nearly every contact has one row a kind,
// whose number and speed dial its record holds. Kept small (80 bytes, not
// the 152 of optional row IDs): the load holds one per contact, and at
// 10 000 contacts their growing vector was 3.7 of the 21 MB of heap at the
// peak of a run with nothing to do.
struct LoadedContact {
    int position = 0;                  // in the phone book set
    std::uint16_t kindsSeen = 0;       // a bit per kind that has a first row
    PerKind<std::int64_t> firstRow{};  // row ID of each kind's first row, where seen

    bool Seen(NumberKind kind) const { return (kindsSeen & Bit(kind)) != 0; }
    void See(NumberKind kind, std::int64_t rowId) {
        kindsSeen = static_cast<std::uint16_t>(kindsSeen | Bit(kind));
        firstRow[static_cast<std::size_t>(kind)] = rowId;
    }
    static unsigned Bit(NumberKind kind) { return 1U << static_cast<unsigned>(kind); }
};
static_assert(kNumberKindCount <= 16);

// The first row of `rows` that holds the number and speed dial, or else the
// number; the first row when none does.
std::size_t MatchingRow(const std::vector<DuplicatePhoneRows::Row>& rows, std::string_view number,
                        std::string_view speedDial) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].number == number && SameValueText(rows[i].speedDial, speedDial)) return i;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].number == number) return i;
    }
    return 0;
}

}  // namespace

PhoneBookDuplicates LoadPhoneBookRecords(RunState& state, DatabaseEngine& engine) {
    const auto database = engine.OpenDatabase(state.settings.PhoneBookPath);
    database->CheckIntegrity();
    const auto rows = database->ReadRows(kPhoneBookTable);
    RequireColumns(*rows, {PhoneBookColumn::ContactID, PhoneBookColumn::ContactName,
                           PhoneBookColumn::Number, PhoneBookColumn::NumberType,
                           PhoneBookColumn::SpeedDial, PhoneBookColumn::PhoneNumberLength});
    const RowColumn idColumn = ColumnOf(*rows, PhoneBookColumn::ContactID);
    const RowColumn nameColumn = ColumnOf(*rows, PhoneBookColumn::ContactName);
    const RowColumn numberColumn = ColumnOf(*rows, PhoneBookColumn::Number);
    const RowColumn typeColumn = ColumnOf(*rows, PhoneBookColumn::NumberType);
    const RowColumn speedColumn = ColumnOf(*rows, PhoneBookColumn::SpeedDial);
    // A contact's first row makes its record; the set's own index of IDs
    // finds it for the rows that follow.
    const int loadedBefore = state.PhoneBookSet.Count();
    std::vector<LoadedContact> contacts;
    // Duplicated kinds by contact (in the order of its first row) and kind.
    std::map<std::pair<std::size_t, NumberKind>, DuplicatePhoneRows> duplicated;
    while (rows->Next()) {
        std::string id = PositiveContactId(*rows, idColumn);
        const int known = state.PhoneBookSet.PositionOfContactID(id);
        const bool first = known <= loadedBefore;
        const std::size_t at =
            first ? contacts.size() : static_cast<std::size_t>(known - loadedBefore - 1);
        std::string speed;
        if (first) {
            SyncObject record;
            record.ContactName = RequiredText(*rows, nameColumn, id);
            record.ContactID = id;
            state.PhoneBookSet.Append(std::move(record));
            contacts.push_back(LoadedContact{state.PhoneBookSet.Count(), {}});
        } else {
            // A later row's speed dial is read whatever its kind.
            speed = RequiredText(*rows, speedColumn, id);
        }
        const NumberKindInfo* kind = KindOfRow(*rows, typeColumn);
        if (kind == nullptr) continue;
        std::string number = RequiredText(*rows, numberColumn, id);
        if (first) speed = RequiredText(*rows, speedColumn, id);
        LoadedContact& contact = contacts[at];
        const std::int64_t rowId = rows->CurrentRowId().value_or(0);
        SyncObject& record = state.PhoneBookSet.Item(contact.position);
        if (!contact.Seen(kind->kind)) {
            contact.See(kind->kind, rowId);
            record.SetNumber(kind->kind, number);
            record.SetSpeed(kind->kind, speed);
            continue;
        }
        auto [duplicate, added] = duplicated.try_emplace({at, kind->kind});
        if (added) {
            duplicate->second = DuplicatePhoneRows{
                record.ContactID,
                record.ContactName,
                kind->kind,
                {{contact.firstRow[static_cast<std::size_t>(kind->kind)],
                  std::string(record.Number(kind->kind)), std::string(record.Speed(kind->kind))}},
                0};
        }
        duplicate->second.rows.push_back({rowId, std::move(number), std::move(speed)});
    }

    PhoneBookDuplicates duplicates;
    for (auto& [where, duplicate] : duplicated)
        duplicates.push_back(std::move(duplicate));
    return duplicates;
}

void ChoosePhoneRowsToKeep(RunState& state, PhoneBookDuplicates& duplicates) {
    for (DuplicatePhoneRows& duplicate : duplicates) {
        const NumberKindInfo& kind = KindInfo(duplicate.kind);
        duplicate.kept = 0;
        if (const int sync = FindByContactID(duplicate.contactId, state.SyncDataSet); sync > 0) {
            const SyncObject& record = state.SyncDataSet.Item(sync);
            duplicate.kept =
                MatchingRow(duplicate.rows, record.Number(kind.kind), record.Speed(kind.kind));
        }
        if (const int phone = FindByContactID(duplicate.contactId, state.PhoneBookSet); phone > 0) {
            SyncObject& record = state.PhoneBookSet.Item(phone);
            record.SetNumber(kind.kind, duplicate.rows[duplicate.kept].number);
            record.SetSpeed(kind.kind, duplicate.rows[duplicate.kept].speedDial);
        }
    }
}

}  // namespace velmora
