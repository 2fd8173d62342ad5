#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "app/RunDriver.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

class DatabaseEngine;
class RunUi;
struct Settings;

// The stores a run works on. The run's settings say where they are; these
// say how they are reached, so that tests can watch or refuse every write.
struct StoreBackends {
    // Both databases.
    std::shared_ptr<DatabaseEngine> databases;
    // The address book the settings point to.
    std::function<AddressBookOpener(const Settings& settings)> addressBook;
};

// SQLite files and a folder of vCard files, whose card index is kept next to
// the sync database.
StoreBackends DefaultStoreBackends();

// Where the card index of the run's address book is kept.
std::filesystem::path CardIndexPath(const Settings& settings);

// The thirteen stages of a synchronization, showing dialogs through `ui`.
// The stores are found through the settings in force when each stage runs.
// The address book is read once, by its loader, and its writer stores the
// changes into those very cards.
StageTable MakeSyncStages(RunUi& ui, const StoreBackends& backends = DefaultStoreBackends());

}  // namespace velmora
