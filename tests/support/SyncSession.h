#pragma once

#include <filesystem>
#include <string>

#include "app/RunDriver.h"
#include "app/SyncStages.h"
#include "model/SyncSet.h"
#include "run/RunUi.h"
#include "run/Settings.h"

namespace velmora::scenarios {

// The stores of one scenario: a program folder whose settings put the phone
// book, the sync database, the log and the address book at their default
// places below it, reached through the given backends. The PhoneBook Manager
// is never started.
class SyncSession {
  public:
    SyncSession(std::filesystem::path programFolder, StoreBackends backends);

    // The settings a run starts from; change them before running.
    InMemorySettingsStore& SettingsStore() { return settings_; }
    // The settings as a run loads them (paths filled in).
    Settings CurrentSettings() const;
    const StoreBackends& Backends() const { return backends_; }
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }

    // One synchronization through the session's backends, or through others
    // (decorators of them) that reach the same stores.
    RunResult Run(RunUi& ui, RunSafety safety = {}) const;
    RunResult Run(RunUi& ui, const StoreBackends& backends, RunSafety safety = {}) const;

    // The address book, read afresh.
    std::unique_ptr<AddressBook> OpenAddressBook() const;

  private:
    std::filesystem::path programFolder_;
    StoreBackends backends_;
    mutable InMemorySettingsStore settings_;
};

// Stores a book's changes as another program would; a card that could not be
// stored throws velmora::Error.
void SaveAll(AddressBook& book);

// The three stores as a run's loaders read them, without writing anything:
// the address book's included contacts (excluded ones are passed over, not
// unmarked), the phone book's contacts and the sync database's rows.
struct LoadedStores {
    SyncSet addressBook;
    SyncSet phoneBook;
    SyncSet sync;  // empty while no sync database exists
};
LoadedStores LoadStores(const SyncSession& session);

}  // namespace velmora::scenarios
