#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// The database engine over SQLite 3 files. A recordset reads its table once
// when it opens, in rowid order, and stores every Update and Delete at once
// in its own statement (no transaction spans calls). Columns are converted
// by their declared type. Text that is not valid UTF-8 is read as
// Windows-1252. A table without rowids cannot be opened.
class SqliteDatabaseEngine final : public DatabaseEngine {
  public:
    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override;
    bool DatabaseExists(const std::filesystem::path& path) override;
    // Builds the file under a temporary name beside it and renames it into
    // place, so a failure leaves nothing behind.
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override;
};

}  // namespace velmora
