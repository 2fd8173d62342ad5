#include "support/SyncSession.h"

#include <utility>

#include "app/ManagerLauncher.h"
#include "model/Error.h"
#include "model/PhoneForm.h"
#include "run/RunState.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "stores/outlook/OutlookLoader.h"

namespace velmora::scenarios {

namespace {

// The manager program is not part of a scenario.
class NoManager final : public ManagerLauncher {
  public:
    void StartAndWait(const std::filesystem::path&) override {}
};

}  // namespace

SyncSession::SyncSession(std::filesystem::path programFolder, StoreBackends backends)
    : programFolder_(std::move(programFolder)), backends_(std::move(backends)) {
    settings_.Save(SettingKey::PMBefore, BooleanText(false));
    settings_.Save(SettingKey::PMAfter, BooleanText(false));
}

Settings SyncSession::CurrentSettings() const {
    return LoadSettings(settings_, programFolder_);
}

RunResult SyncSession::Run(RunUi& ui, RunSafety safety) const {
    return Run(ui, backends_, std::move(safety));
}

RunResult SyncSession::Run(RunUi& ui, const StoreBackends& backends, RunSafety safety) const {
    RunState state;
    NoManager manager;
    RunDriver driver(state, settings_, programFolder_, ui, manager, MakeSyncStages(ui, backends),
                     std::move(safety));
    return driver.Start();
}

std::unique_ptr<AddressBook> SyncSession::OpenAddressBook() const {
    return backends_.addressBook(CurrentSettings())();
}

void SaveAll(AddressBook& book) {
    const auto failures = book.SaveChanges();
    if (!failures.empty()) throw Error(failures.front().reason);
}

LoadedStores LoadStores(const SyncSession& session) {
    RunState state;
    state.settings = session.CurrentSettings();
    LoadedStores stores;

    const auto book = session.OpenAddressBook();
    for (CardHandle card = 1; card <= book->Count(); ++card) {
        if (book->IsContact(card) && IsIncluded(*book, card)) {
            SyncObject& record =
                ImportOutlookData(stores.addressBook, *book, card, state.settings.NameField);
            // "07" is the ID 7, as a run reads it.
            if (auto plain = PlainContactId(record.ContactID))
                stores.addressBook.ChangeContactID(record, *plain);
        }
    }

    DatabaseEngine& databases = *session.Backends().databases;
    LoadPhoneBookRecords(state, databases);
    stores.phoneBook = std::move(state.PhoneBookSet);
    if (databases.DatabaseExists(state.settings.SyncPath)) {
        LoadSyncRecords(state, databases);
        stores.sync = std::move(state.SyncDataSet);
    }
    return stores;
}

}  // namespace velmora::scenarios
