#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// Databases held in memory, for tests: the same recordsets, conversions and
// refusals as the SQLite backend, with tables made by CreateDatabase. Paths
// are only names here; nothing touches the disk. A table's own checks are its
// columns' NOT NULL, minimum and primary-key rules.
class InMemoryDatabaseEngine final : public DatabaseEngine {
  public:
    InMemoryDatabaseEngine();
    InMemoryDatabaseEngine(const InMemoryDatabaseEngine&) = delete;
    InMemoryDatabaseEngine& operator=(const InMemoryDatabaseEngine&) = delete;
    ~InMemoryDatabaseEngine() override;

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override;
    bool DatabaseExists(const std::filesystem::path& path) override;
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override;

    struct Contents;

  private:
    std::map<std::string, std::shared_ptr<Contents>> databases_;
};

}  // namespace velmora
