#include <stdexcept>

#include "stores/database/SyncDatabase.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using SyncDatabaseTest = test::DatabaseStoreTest;

// A missing sync database is created; rows read as records, speed dials from the tag.
TEST_F(SyncDatabaseTest, LoadCreatesAMissingDatabaseAndReadsEveryRow) {
    LoadSyncRecords(state, engine);
    EXPECT_EQ(test::TableText(SyncPath(), "VelmoraMeta", {"SchemaVersion"}), "1");
    test::AddSyncRows(SyncPath(),
                      "7|Ann Smith|H:07,M:3,E:|Home=5559990000|Mobile=5551234567|"
                      "Email=ann@example.com;8|Bob Jones||Mobile=5550001111|Email=NULL;"
                      "9|Cy|W2:1|Work2=5552223333;9|Cy Jr|O:2|Other=5553334444");
    for (const std::string broken : {"ContactID = -1", "Mobile = NULL"})
        EXPECT_THROW(test::ExecuteSql(SyncPath(), "UPDATE SyncContacts SET " + broken),
                     std::runtime_error);
    LoadSyncRecords(state, engine);
    EXPECT_EQ(Sync(),
              "7:Ann Smith::H=5559990000/7,M=5551234567/3,E=ann@example.com/0 | "
              "8:Bob Jones::M=5550001111/ | 9:Cy::W2=5552223333/1 | 9:Cy Jr::O=5553334444/2");
}

// A null outside Email stops the load, naming where.
TEST_F(SyncDatabaseTest, LoadRefusesNulls) {
    test::ExecuteSql(SyncPath(),
                     "CREATE TABLE SyncContacts (ContactID INTEGER, Name, SpeedDial, Work2, "
                     "DirectConnect, Home, Work1, Mobile, Fax, Pager, Other, Email);"
                     "CREATE TABLE VelmoraMeta (SchemaVersion INTEGER);"
                     "INSERT INTO VelmoraMeta VALUES (1);");
    test::AddSyncRows(SyncPath(), "7|Ann||Mobile=NULL");
    EXPECT_THAT([&] { LoadSyncRecords(state, engine); },
                test::ErrorNaming({SyncPath().string(), "contact ID 7", "column Mobile"}));
}

// Another program's file or an unknown layout is refused before a row is read, never replaced.
TEST_F(SyncDatabaseTest, LoadRefusesAFileOfAnotherLayout) {
    const std::pair<std::string, std::vector<std::string>> cases[]{
        {"DROP TABLE SyncContacts", {"no table SyncContacts", "point the sync database"}},
        {"DROP TABLE VelmoraMeta", {"no table VelmoraMeta", "point the sync database"}},
        {"UPDATE VelmoraMeta SET SchemaVersion = 2",
         {"version 2", "newer Velmora", "Use that newer version", "point the sync database"}},
        {"UPDATE VelmoraMeta SET SchemaVersion = 'one'", {"unknown layout version \"one\""}},
        {"DELETE FROM VelmoraMeta", {"unknown layout version null"}},
        {"ALTER TABLE SyncContacts DROP COLUMN Pager", {"table SyncContacts", "no column Pager"}},
    };
    for (const auto& [change, named] : cases) {
        std::filesystem::remove(SyncPath());
        test::AddSyncRows(SyncPath(), "7|Ann Smith||Mobile=5551234567");
        test::ExecuteSql(SyncPath(), change);
        const std::string before = test::ReadFileBytes(SyncPath());
        std::vector<std::string> texts = named;
        texts.push_back(SyncPath().string());
        EXPECT_THAT([&] { LoadSyncRecords(state, engine); }, test::ErrorNaming(texts)) << change;
        EXPECT_EQ(test::ReadFileBytes(SyncPath()), before) << change;
    }
    test::MakeDamagedDatabase(SyncPath());
    EXPECT_THAT([&] { LoadSyncRecords(state, engine); },
                test::ErrorNaming({SyncPath().string(), "damaged"}));
    EXPECT_EQ(state.SyncDataSet.Count(), 0);
}

// "N" and "C" add, "W" and "M" rewrite the first row, "D" deletes it.
TEST_F(SyncDatabaseTest, WritesEachFlagToItsRow) {
    test::AddSyncRows(SyncPath(),
                      "1|Ann Smith||Email=ann@old.example;2|Bob Jones||Email=bob@old.example;"
                      "3|Cy Young|;4|Di Lane||Mobile=5550004444;5|Ed Marsh|;5|Ed Marsh (2)|");
    state.SyncDataSet = test::ParseSet(
        "30:Anna-Maria Ørsted-Öberg Junior:N:M=5551234567/3 | "
        "31:Anna-Maria Ørsted-Öberg Junior:C:E=anna/x@example.com/4 | "
        "1:Ann Smith:W:H=5559990000/5,E=ann/new@example.com/6 | 99:Nobody:W: | "
        "2:Bob Jones:M:E=bob/new@example.com/7 | 4:Di Lane::M=5559999999/8 | 3:Cy Young:D: | "
        "98:Nobody:D: | 5:Ed Marsh:M:F=5558887777/9");
    ApplyWriteReport(state, WriteSyncDatabase(state, indexed));

    EXPECT_EQ(SyncFile(),
              "1|Ann Smith|H:5,E:6|Home=5559990000|Email=ann@old.example;"
              "2|Bob Jones|E:7|Email=bob/new@example.com;4|Di Lane||Mobile=5550004444;"
              "5|Ed Marsh|F:9|Fax=5558887777;5|Ed Marsh (2)|;"
              "30|Anna-Maria Ørsted-Öberg Junior|M:3|Mobile=5551234567;"
              "31|Anna-Maria Ørsted-Öber|E:4|Email=anna/x@example.com");
    EXPECT_EQ(Log(), R"(Writing to the sync database.
... Anna-Maria Ørsted-Öberg Junior has been added.
... Anna-Maria Ørsted-Öberg Junior has been added.
... Ann Smith has been modified.
... Bob Jones has been modified.
... Cy Young has been deleted.
... Ed Marsh has been modified.)");
}

// A refused change is logged and counted; the others are stored.
TEST_F(SyncDatabaseTest, RefusedChangeIsLoggedAndTheOthersAreStored) {
    test::AddSyncRows(SyncPath(), "");
    state.SyncDataSet = test::ParseSet("7:Ann Smith:N: | :No ID:N: | 8:Bob Jones:N:");
    ApplyWriteReport(state, WriteSyncDatabase(state, engine));
    EXPECT_EQ(SyncFile(), "7|Ann Smith|;8|Bob Jones|");
    EXPECT_EQ(Log(), R"(Writing to the sync database.
... Ann Smith has been added.
... Could not add No ID to the sync database: The value "" cannot be stored in the whole-number column ContactID of table SyncContacts in DIR/Data/Velmora.db.
... Bob Jones has been added.)");
    EXPECT_EQ(state.FailedWrites, 1);
}

}  // namespace
}  // namespace velmora
