#include <stdexcept>

#include "stores/database/SyncDatabase.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using SyncDatabaseTest = test::DatabaseStoreTest;

// A missing sync database is created empty, with its folder, the SyncContacts
// layout and its rules (a null only in Email, no ID below 0), and VelmoraMeta
// at version 1. Each row becomes a record: plain digits for the ID, the speed
// dials from the tag (an empty value reads as 0), a null or empty Email as no
// address, and two rows of one ID as two records.
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

// A null in any column but Email stops the load naming the file, the contact
// ID and the column; a file without SyncContacts is an error and stays as it
// is.
TEST_F(SyncDatabaseTest, LoadRefusesNullsAndNeverReplacesAFile) {
    test::ExecuteSql(SyncPath(),
                     "CREATE TABLE SyncContacts (ContactID INTEGER, Name, SpeedDial, Work2, "
                     "DirectConnect, Home, Work1, Mobile, Fax, Pager, Other, Email)");
    test::AddSyncRows(SyncPath(), "7|Ann||Mobile=NULL");
    EXPECT_THAT([&] { LoadSyncRecords(state, engine); },
                test::ErrorNaming({SyncPath().string(), "contact ID 7", "column Mobile"}));

    state.settings.SyncPath = dir / "Other.db";
    test::ExecuteSql(SyncPath(), "CREATE TABLE Something (x)");
    EXPECT_THAT([&] { LoadSyncRecords(state, engine); },
                test::ErrorNaming({SyncPath().string(), "SyncContacts"}));
    EXPECT_THROW(SyncFile(), std::runtime_error);
}

// The writer works through the set in order: "N" adds the whole name, "C" the
// first 22 characters; "W" and "M" rewrite the first row of the contact ("W"
// keeps a stored address when the new one holds "/"), "D" deletes it; a
// contact without a row is passed over, also before one that has a row; an
// empty flag leaves the row as it is.
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
    WriteSyncDatabase(state, engine);

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

// A change the table refuses ends the writer with an error naming the column
// and value; what was stored before stays.
TEST_F(SyncDatabaseTest, RefusedChangeEndsTheWriter) {
    test::AddSyncRows(SyncPath(), "");
    state.SyncDataSet = test::ParseSet("7:Ann Smith:N: | :No ID:N: | 8:Bob Jones:N:");
    EXPECT_THAT([&] { WriteSyncDatabase(state, engine); },
                test::ErrorNaming({"column ContactID", "\"\""}));
    EXPECT_EQ(SyncFile(), "7|Ann Smith|");
}

}  // namespace
}  // namespace velmora
