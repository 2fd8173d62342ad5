#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// Databases in memory, converting and refusing as the SQLite backend does.
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
