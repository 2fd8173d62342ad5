#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "stores/database/DatabaseEngine.h"
#include "stores/database/SqliteConnection.h"

namespace velmora {

// The database engine over SQLite 3 files. A recordset reads its table once
// when it opens, in rowid order, and stores every Update and Delete at once
// in its own statement, inside the database's transaction when one is open.
// Columns are converted by their declared type. Text and BLOBs that are not
// valid UTF-8 are read as Windows-1252. A table without rowids cannot be
// opened. Each opened database waits for another program's lock up to
// `lockWait` in all, then fails with DatabaseLockedError.
class SqliteDatabaseEngine final : public DatabaseEngine {
  public:
    explicit SqliteDatabaseEngine(std::chrono::milliseconds lockWait = kDefaultLockWait)
        : lockWait_(lockWait) {}

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override;
    bool DatabaseExists(const std::filesystem::path& path) override;
    // Builds the file under a temporary name beside it and renames it into
    // place, so a failure leaves nothing behind.
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override;

  private:
    std::chrono::milliseconds lockWait_;
};

}  // namespace velmora
