#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "stores/database/DatabaseEngine.h"

namespace velmora::test {

// What a faulty recordset does with a call.
enum class Fault {
    None,    // passes it on
    Fail,    // throws a velmora::Error
    Ignore,  // returns without doing anything (a move that does not move)
};

// An engine whose recordsets pass every call on to another engine's, except
// those the `fault` function picks by name ("MovePrevious", "Update", ...).
class FaultyDatabaseEngine final : public DatabaseEngine {
  public:
    using FaultOf = std::function<Fault(std::string_view call)>;

    FaultyDatabaseEngine(DatabaseEngine& inner, FaultOf fault)
        : inner_(inner), fault_(std::move(fault)) {}

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override;
    bool DatabaseExists(const std::filesystem::path& path) override {
        return inner_.DatabaseExists(path);
    }
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override {
        inner_.CreateDatabase(path, tables);
    }

  private:
    DatabaseEngine& inner_;
    FaultOf fault_;
};

}  // namespace velmora::test
