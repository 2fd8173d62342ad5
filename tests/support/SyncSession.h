#pragma once

#include <filesystem>
#include <string>

#include "app/RunDriver.h"
#include "app/SyncStages.h"
#include "model/SyncSet.h"
#include "run/RunUi.h"
#include "run/Settings.h"

namespace velmora::scenarios {

// A program folder with the stores at their default places, never starting the manager.
class SyncSession {
  public:
    SyncSession(std::filesystem::path programFolder, StoreBackends backends);

    InMemorySettingsStore& SettingsStore() { return settings_; }
    Settings CurrentSettings() const;
    const StoreBackends& Backends() const { return backends_; }
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }

    // Through the session's backends, or decorators of them.
    RunResult Run(RunUi& ui, RunSafety safety = {}) const;
    RunResult Run(RunUi& ui, const StoreBackends& backends, RunSafety safety = {}) const;

    std::unique_ptr<AddressBook> OpenAddressBook() const;

  private:
    std::filesystem::path programFolder_;
    StoreBackends backends_;
    mutable InMemorySettingsStore settings_;
};

// Throws velmora::Error for a card that could not be stored.
void SaveAll(AddressBook& book);

// The stores as a run's loaders read them, writing nothing.
struct LoadedStores {
    SyncSet addressBook;
    SyncSet phoneBook;
    SyncSet sync;  // empty while no sync database exists
};
LoadedStores LoadStores(const SyncSession& session);

}  // namespace velmora::scenarios
