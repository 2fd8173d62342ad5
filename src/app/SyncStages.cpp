#include "app/SyncStages.h"

#include "engine/ChangeFlags.h"
#include "engine/ContactIds.h"
#include "engine/SpeedDials.h"
#include "engine/SyncModified.h"
#include "engine/SyncNew.h"
#include "model/Error.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SqliteDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "stores/outlook/OutlookLoader.h"
#include "stores/outlook/OutlookWriter.h"
#include "stores/outlook/VCardFolder.h"

namespace velmora {

StoreBackends DefaultStoreBackends() {
    return StoreBackends{std::make_shared<SqliteDatabaseEngine>(), VCardFolderOpener};
}

StageTable MakeSyncStages(RunUi& ui, const StoreBackends& backends) {
    auto databases = backends.databases;
    auto open = [opener = backends.addressBook](const RunState& state) {
        return opener(state.settings.ContactsPath)();
    };
    // The book the loader read, for the writer of the same run.
    auto book = std::make_shared<std::unique_ptr<AddressBook>>();
    // Rows the phone book load found twice, repaired by the phone book writer.
    auto duplicates = std::make_shared<PhoneBookDuplicates>();
    const auto on = [](StageId id) { return static_cast<std::size_t>(id); };

    StageTable stages;
    stages[on(StageId::LoadOutlookContacts)] = [=](RunState& s) {
        *book = open(s);
        LoadOutlookContacts(s, **book);
    };
    stages[on(StageId::LoadPhoneBookRecords)] = [=](RunState& s) {
        duplicates->clear();
        *duplicates = LoadPhoneBookRecords(s, *databases);
    };
    stages[on(StageId::LoadSyncRecords)] = [=](RunState& s) {
        LoadSyncRecords(s, *databases);
        ChoosePhoneRowsToKeep(s, *duplicates);
    };
    stages[on(StageId::AssignContactIDs)] = AssignContactIDs;
    stages[on(StageId::FlagDeletedItems)] = FlagDeletedItems;
    stages[on(StageId::FlagNewItems)] = FlagNewItems;
    stages[on(StageId::AssignSpeedDials)] = AssignSpeedDials;
    stages[on(StageId::FlagModifiedItems)] = FlagModifiedItems;
    stages[on(StageId::SyncModifiedItems)] = [&ui](RunState& s) { SyncModifiedItems(s, ui); };
    stages[on(StageId::SyncNewItems)] = [&ui](RunState& s) { SyncNewItems(s, ui); };
    stages[on(StageId::WriteOutlookContacts)] = [=, &ui](RunState& s) {
        if (!*book)
            throw Error("The address book was not read in this run, so it cannot be written.");
        const std::unique_ptr<AddressBook> loaded = std::move(*book);
        WriteOutlookContacts(s, *loaded, ui);
    };
    stages[on(StageId::WritePhoneBookDatabase)] = [=](RunState& s) {
        WritePhoneBookDatabase(s, *databases, *duplicates);
    };
    stages[on(StageId::WriteSyncDatabase)] = [=](RunState& s) { WriteSyncDatabase(s, *databases); };
    return stages;
}

}  // namespace velmora
