#include "model/NumberKinds.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/RowText.h"

namespace velmora {

namespace {

// The kind of the current row; nullptr for a NumberType of no kind (7, 8,
// any other value, null).
const NumberKindInfo* KindOfRow(const Recordset& row) {
    const auto code = WholeNumberOf(row.Field(PhoneBookColumn::NumberType));
    return code ? KindByNumberType(*code) : nullptr;
}

}  // namespace

SyncObject& ImportPhoneBookData(SyncSet& set, Recordset& phoneBookObject) {
    SyncObject record;
    record.ContactID = RequiredText(phoneBookObject, PhoneBookColumn::ContactID);
    record.ContactName =
        RequiredText(phoneBookObject, PhoneBookColumn::ContactName, record.ContactID);
    if (const NumberKindInfo* kind = KindOfRow(phoneBookObject)) {
        record.*kind->number =
            RequiredText(phoneBookObject, PhoneBookColumn::Number, record.ContactID);
        record.*kind->speed =
            RequiredText(phoneBookObject, PhoneBookColumn::SpeedDial, record.ContactID);
    }
    return set.Append(std::move(record));
}

void LoadPhoneBookNumbers(Recordset& phoneBookObject, SyncSet& set, int position) {
    SyncObject& record = set.Item(position);
    // The speed dial is read whatever the row's kind.
    std::string speed = RequiredText(phoneBookObject, PhoneBookColumn::SpeedDial, record.ContactID);
    if (const NumberKindInfo* kind = KindOfRow(phoneBookObject)) {
        record.*kind->number =
            RequiredText(phoneBookObject, PhoneBookColumn::Number, record.ContactID);
        record.*kind->speed = std::move(speed);
    }
}

void LoadPhoneBookRecords(RunState& state, DatabaseEngine& engine) {
    const auto database = engine.OpenDatabase(state.settings.PhoneBookPath);
    const auto rows = database->OpenRecordset(kPhoneBookTable);
    if (!rows->Eof()) rows->MoveFirst();
    while (!rows->Eof()) {
        const std::string contactId = RequiredText(*rows, PhoneBookColumn::ContactID);
        const int position = FindByContactID(contactId, state.PhoneBookSet);
        if (position == 0) {
            ImportPhoneBookData(state.PhoneBookSet, *rows);
        } else {
            LoadPhoneBookNumbers(*rows, state.PhoneBookSet, position);
        }
        rows->MoveNext();
    }
    rows->Close();
}

}  // namespace velmora
