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

// These reach the files through SQLite itself, not through Velmora's recordsets.

// tblContactList as the manager types it, holding the rows; then `extraSql`.
void CreatePhoneBook(const std::filesystem::path& path, std::string_view rows,
                     std::string_view extraSql = {});

// "12|Ann Smith|5551234567|4|3|6;..." in rowid order, a null as NULL.
std::string PhoneBookText(const std::filesystem::path& path);

// Adds rows as SyncContactsText writes them, unnamed columns empty; a
// missing file is made a sync database first.
void AddSyncRows(const std::filesystem::path& path, std::string_view rows);

// "12|Ann Smith|M:3|Mobile=5551234567;...": the non-empty number columns named.
std::string SyncContactsText(const std::filesystem::path& path);

// Any columns of any table as one string, like PhoneBookText.
std::string TableText(const std::filesystem::path& path, std::string_view table,
                      const std::vector<std::string>& columns);

void ExecuteSql(const std::filesystem::path& path, std::string_view sql);

// A table whose row breaks its own NOT NULL rule, which SQLite's check finds.
void MakeDamagedDatabase(const std::filesystem::path& path);

// Another connection's "IMMEDIATE" or "EXCLUSIVE" lock while it lives.
class HeldLock {
  public:
    HeldLock(const std::filesystem::path& path, std::string_view kind);
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock();

  private:
    sqlite3* db_ = nullptr;
};

// EngineTest with both databases in the temporary folder.
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
    // For the writers, which must find rows by lookup, never by a walk.
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
