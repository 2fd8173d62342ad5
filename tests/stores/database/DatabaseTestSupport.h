#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/SyncSet.h"
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

// A number of a contact record: its kind, number and speed dial.
struct NumberEntry {
    NumberKind kind;
    std::string number;
    std::string speed;
};

// A record with an ID, a name, a flag and some numbers.
SyncObject Contact(std::string contactId, std::string name, std::string flag,
                   const std::vector<NumberEntry>& numbers);

// A set as one string: records separated by ";", each as ID|name[|flag], then
// every kind with a number or speed dial as Kind=number#speed, in kind order:
// "12|Ann Smith|Home=5559990000#5|Mobile=5551234567#3".
std::string SetText(const SyncSet& set);

}  // namespace velmora::test
