#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/RunState.h"
#include "stores/database/SqliteDatabase.h"
#include "support/EngineFixtures.h"
#include "support/ForwardingDatabase.h"
#include "support/TempDir.h"

struct sqlite3;

namespace velmora::test {

// Helpers that make and read the two SQLite databases directly (through
// SQLite itself, not through Velmora's recordsets), so a test can set up a
// store and then compare its whole content as one string.

// Creates a file holding tblContactList, its six columns typed as the
// manager types them, with the rows stated as PhoneBookText writes them;
// `extraSql` runs afterwards (a trigger or another column, say).
void CreatePhoneBook(const std::filesystem::path& path, std::string_view rows,
                     std::string_view extraSql = {});

// tblContactList as one string, rows in rowid order separated by ";", the six
// columns of a row by "|": "12|Ann Smith|5551234567|4|3|6;12|Ann Smith|...".
// A null shows as NULL.
std::string PhoneBookText(const std::filesystem::path& path);

// Adds rows to SyncContacts, stated as SyncContactsText writes them
// ("12|Ann Smith|M:3|Mobile=5551234567;..."): the number columns not named
// and Email are empty, and NULL stores a null. A missing file is first made
// a sync database by the program itself.
void AddSyncRows(const std::filesystem::path& path, std::string_view rows);

// SyncContacts as one string, rows in rowid order separated by ";": ID,
// name and tag, then only the number columns that are not empty, as
// Column=value: "12|Ann Smith|M:3|Mobile=5551234567;...". A null shows as
// NULL, an Email that is null as Email=NULL.
std::string SyncContactsText(const std::filesystem::path& path);

// Any columns of any table as one string, like PhoneBookText.
std::string TableText(const std::filesystem::path& path, std::string_view table,
                      const std::vector<std::string>& columns);

// Runs SQL statements on a database file (creating the file if needed).
void ExecuteSql(const std::filesystem::path& path, std::string_view sql);

// Adds to a database file (or makes one holding) a table Damaged whose row
// breaks the table's own NOT NULL rule, as a damaged file would: SQLite's
// quick check fails on it.
void MakeDamagedDatabase(const std::filesystem::path& path);

// Holds a database file locked from another connection while it lives, as
// the phone's manager program may: "IMMEDIATE" keeps others from writing,
// "EXCLUSIVE" from reading too.
class HeldLock {
  public:
    HeldLock(const std::filesystem::path& path, std::string_view kind);
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock();

  private:
    sqlite3* db_ = nullptr;
};

// A run as EngineTest has it, with the phone book and the sync database in
// the temporary folder too, reached through the SQLite engine.
class DatabaseStoreTest : public EngineTest {
  protected:
    DatabaseStoreTest() {
        state.settings.PhoneBookPath = dir / "Data" / "PhoneBook.db";
        state.settings.SyncPath = dir / "Data" / "Velmora.db";
    }

    const std::filesystem::path& PhoneBookPath() const { return state.settings.PhoneBookPath; }
    const std::filesystem::path& SyncPath() const { return state.settings.SyncPath; }
    std::string PhoneBookFile() const { return PhoneBookText(PhoneBookPath()); }
    std::string SyncFile() const { return SyncContactsText(SyncPath()); }

    SqliteDatabaseEngine engine;
    // The same files for the writers, which find a contact's rows through
    // the table's index: a walk through the table fails the test.
    HookedDatabaseEngine indexed{
        std::make_shared<SqliteDatabaseEngine>(), [](const Recordset&, std::string_view call) {
            EXPECT_FALSE(call.starts_with("Move")) << "a writer walked the table: " << call;
            return true;
        }};
};

// Matches a velmora::Error whose message holds every one of these texts.
inline auto ErrorNaming(const std::vector<std::string>& texts) {
    std::vector<::testing::Matcher<std::string>> parts;
    for (const std::string& text : texts)
        parts.push_back(::testing::HasSubstr(text));
    return ::testing::ThrowsMessage<Error>(::testing::AllOfArray(parts));
}

}  // namespace velmora::test
