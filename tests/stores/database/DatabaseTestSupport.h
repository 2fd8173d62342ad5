#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/Error.h"
#include "stores/database/InMemoryDatabase.h"
#include "stores/database/SqliteDatabase.h"
#include "support/TempDir.h"

namespace velmora::test {

// The two implementations of the database port, as the typed suites use them.
struct SqliteBackend {
    TempDir dir;
    SqliteDatabaseEngine engine;
    std::filesystem::path PathOf(const std::string& name) const { return dir / name; }
};

struct InMemoryBackend {
    InMemoryDatabaseEngine engine;
    std::filesystem::path PathOf(const std::string& name) const {
        return std::filesystem::path("/in-memory") / name;
    }
};

// The message of the velmora::Error that the call throws, or "no error".
template <typename Call>
std::string ErrorOf(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

// The lines of a log file without their CR LF endings.
std::vector<std::string> LogLines(const std::filesystem::path& path);

}  // namespace velmora::test
