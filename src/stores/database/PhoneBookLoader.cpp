#include <array>
#include <unordered_map>

#include "model/NumberKinds.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/RowText.h"

namespace velmora {

namespace {

// The kind of the current row; nullptr for a NumberType of no kind (7, 8,
// any other value, null).
const NumberKindInfo* KindOfRow(const RowSource& row) {
    const auto code = WholeNumberOf(row.Field(PhoneBookColumn::NumberType));
    return code ? KindByNumberType(*code) : nullptr;
}

// A contact as the load meets its rows.
struct LoadedContact {
    int position = 0;  // in the phone book set
    std::array<std::vector<DuplicatePhoneRows::Row>, kNumberKinds.size()> rowsOfKind;
};

// The first row of `rows` that holds the number and speed dial, or else the
// number; the first row when none does.
std::size_t MatchingRow(const std::vector<DuplicatePhoneRows::Row>& rows, const std::string& number,
                        const std::string& speedDial) {
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
    std::unordered_map<std::string, std::size_t> byId;  // into `contacts`
    std::vector<LoadedContact> contacts;
    while (rows->Next()) {
        std::string id = PositiveContactId(*rows, PhoneBookColumn::ContactID);
        const auto [found, first] = byId.try_emplace(id, contacts.size());
        std::string speed;
        if (first) {
            SyncObject record;
            record.ContactName = RequiredText(*rows, PhoneBookColumn::ContactName, id);
            record.ContactID = id;
            state.PhoneBookSet.Append(std::move(record));
            contacts.push_back(LoadedContact{state.PhoneBookSet.Count(), {}});
        } else {
            // A later row's speed dial is read whatever its kind.
            speed = RequiredText(*rows, PhoneBookColumn::SpeedDial, id);
        }
        const NumberKindInfo* kind = KindOfRow(*rows);
        if (kind == nullptr) continue;
        std::string number = RequiredText(*rows, PhoneBookColumn::Number, id);
        if (first) speed = RequiredText(*rows, PhoneBookColumn::SpeedDial, id);
        LoadedContact& contact = contacts[found->second];
        auto& rowsOfKind = contact.rowsOfKind[static_cast<std::size_t>(kind->kind)];
        if (rowsOfKind.empty()) {
            SyncObject& record = state.PhoneBookSet.Item(contact.position);
            record.*kind->number = number;
            record.*kind->speed = speed;
        }
        rowsOfKind.push_back(
            {rows->CurrentRowId().value_or(0), std::move(number), std::move(speed)});
    }

    PhoneBookDuplicates duplicates;
    for (LoadedContact& contact : contacts) {
        const SyncObject& record = state.PhoneBookSet.Item(contact.position);
        for (const NumberKindInfo& kind : kNumberKinds) {
            auto& rowsOfKind = contact.rowsOfKind[static_cast<std::size_t>(kind.kind)];
            if (rowsOfKind.size() < 2) continue;
            duplicates.push_back(DuplicatePhoneRows{record.ContactID, record.ContactName, kind.kind,
                                                    std::move(rowsOfKind), 0});
        }
    }
    return duplicates;
}

void ChoosePhoneRowsToKeep(RunState& state, PhoneBookDuplicates& duplicates) {
    for (DuplicatePhoneRows& duplicate : duplicates) {
        const NumberKindInfo& kind = KindInfo(duplicate.kind);
        duplicate.kept = 0;
        if (const int sync = FindByContactID(duplicate.contactId, state.SyncDataSet); sync > 0) {
            const SyncObject& record = state.SyncDataSet.Item(sync);
            duplicate.kept = MatchingRow(duplicate.rows, record.*kind.number, record.*kind.speed);
        }
        if (const int phone = FindByContactID(duplicate.contactId, state.PhoneBookSet); phone > 0) {
            SyncObject& record = state.PhoneBookSet.Item(phone);
            record.*kind.number = duplicate.rows[duplicate.kept].number;
            record.*kind.speed = duplicate.rows[duplicate.kept].speedDial;
        }
    }
}

}  // namespace velmora
