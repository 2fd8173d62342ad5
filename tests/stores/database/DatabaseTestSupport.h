#pragma once

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/RunState.h"
#include "stores/database/SqliteDatabase.h"
#include "support/DatabaseFixtures.h"
#include "support/EngineFixtures.h"
#include "support/TempDir.h"

namespace velmora::test {

// A run over the phone book, the sync database and the log in a temporary
// folder, through the SQLite engine. Records are stated as Render writes
// them ("12:Ann Smith:W:M=5551234567/3").
class DatabaseStoreTest : public ::testing::Test {
  protected:
    DatabaseStoreTest() {
        state.settings.PhoneBookPath = dir / "Data" / "PhoneBook.db";
        state.settings.SyncPath = dir / "Data" / "Velmora.db";
        state.settings.LogPath = dir / "SyncLog.txt";
    }

    const std::filesystem::path& PhoneBookPath() const { return state.settings.PhoneBookPath; }
    const std::filesystem::path& SyncPath() const { return state.settings.SyncPath; }
    std::string PhoneBook() const { return PhoneBookText(PhoneBookPath()); }
    std::string Sync() const { return SyncContactsText(SyncPath()); }
    // The log as one text, the temporary folder written as DIR.
    std::string Log() const {
        std::string text = LogText(state.settings.LogPath);
        const std::string folder = dir.Path().string();
        for (std::size_t at; (at = text.find(folder)) != std::string::npos;)
            text.replace(at, folder.size(), "DIR");
        return text;
    }

    TempDir dir;
    SqliteDatabaseEngine engine;
    RunState state;
};

// Matches a velmora::Error whose message holds every one of these texts.
inline auto ErrorNaming(const std::vector<std::string>& texts) {
    std::vector<::testing::Matcher<std::string>> parts;
    for (const std::string& text : texts)
        parts.push_back(::testing::HasSubstr(text));
    return ::testing::ThrowsMessage<Error>(::testing::AllOfArray(parts));
}

}  // namespace velmora::test
