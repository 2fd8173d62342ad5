#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "app/RunDriver.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

class DatabaseEngine;
class RunUi;

// The stores a run works on. The run's settings say where they are; these
// say how they are reached, so that tests can watch or refuse every write.
struct StoreBackends {
    // Both databases.
    std::shared_ptr<DatabaseEngine> databases;
    // The address book in the given folder.
    std::function<AddressBookOpener(const std::filesystem::path& folder)> addressBook;
};

// SQLite files and a folder of vCard files.
StoreBackends DefaultStoreBackends();

// The thirteen stages of a synchronization, showing dialogs through `ui`.
// The stores are found through the settings in force when each stage runs.
// The address book is read once, by its loader, and its writer stores the
// changes into those very cards.
StageTable MakeSyncStages(RunUi& ui, const StoreBackends& backends = DefaultStoreBackends());

}  // namespace velmora
