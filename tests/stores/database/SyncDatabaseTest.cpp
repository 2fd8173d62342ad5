#include <stdexcept>

#include <gtest/gtest.h>

#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/SyncDatabase.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using test::Contact;
using test::ErrorOf;
using Lines = std::vector<std::string>;

class SyncDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state.settings.SyncPath = dir / "Data" / "Velmora.db";
        state.settings.LogPath = dir / "SyncLog.txt";
    }

    const std::filesystem::path& Path() const { return state.settings.SyncPath; }

    test::TempDir dir;
    SqliteDatabaseEngine engine;
    RunState state;
};

// A missing sync database is created empty, with its folder, the SyncContacts
// layout and its rules, and VelmoraMeta at version 1; a file without
// SyncContacts is an error and stays as it is.
TEST_F(SyncDatabaseTest, MissingDatabaseIsCreatedButNeverReplaced) {
    LoadSyncRecords(state, engine);
    EXPECT_EQ(state.SyncDataSet.Count(), 0);
    EXPECT_EQ(test::SyncContactsText(Path()), "");
    EXPECT_EQ(test::TableText(Path(), "VelmoraMeta", {"SchemaVersion"}), "1");
    test::ExecuteSql(Path(),
                     "INSERT INTO SyncContacts (ContactID, Name, SpeedDial, Work2, DirectConnect, "
                     "Home, Work1, Mobile, Fax, Pager, Other) "
                     "VALUES (7, 'Ann', '', '', '', '', '', '', '', '', '')");
    EXPECT_EQ(test::SyncContactsText(Path()), "7|Ann||Email=NULL");
    EXPECT_THROW(test::ExecuteSql(Path(), "UPDATE SyncContacts SET ContactID = -1"),
                 std::runtime_error);
    EXPECT_THROW(test::ExecuteSql(Path(), "UPDATE SyncContacts SET Mobile = NULL"),
                 std::runtime_error);

    state.settings.SyncPath = dir / "Other.db";
    test::ExecuteSql(Path(), "CREATE TABLE Something (x)");
    const std::string message = ErrorOf([&] { LoadSyncRecords(state, engine); });
    EXPECT_NE(message.find(Path().string()), std::string::npos) << message;
    EXPECT_NE(message.find("SyncContacts"), std::string::npos) << message;
    EXPECT_THROW(test::SyncContactsText(Path()), std::runtime_error);
}

// Each row becomes a record: plain digits for the ID, the speed dials from the
// tag (an empty value reads as 0), a null or empty Email as no address, and
// two rows of one ID as two records.
TEST_F(SyncDatabaseTest, ReadsEveryRowIntoARecord) {
    test::CreateSyncDatabase(
        Path(),
        {{.ContactID = 7,
          .Name = "Ann Smith",
          .SpeedDial = "H:07,M:3,E:",
          .Home = "5559990000",
          .Mobile = "5551234567",
          .Email = "ann@example.com"},
         {.ContactID = 8, .Name = "Bob Jones", .Mobile = "5550001111", .Email = std::nullopt},
         {.ContactID = 9, .Name = "Cy Young", .SpeedDial = "W2:1", .Work2 = "5552223333"},
         {.ContactID = 9, .Name = "Cy Young Jr", .SpeedDial = "O:2", .Other = "5553334444"}});
    LoadSyncRecords(state, engine);
    EXPECT_EQ(test::SetText(state.SyncDataSet),
              "7|Ann Smith|Home=5559990000#7|Mobile=5551234567#3|Email=ann@example.com#0;"
              "8|Bob Jones|Mobile=5550001111#;"
              "9|Cy Young|Work2=5552223333#1;"
              "9|Cy Young Jr|Other=5553334444#2");
    EXPECT_EQ(FindByContactID("9", state.SyncDataSet), 4);
}

// A null in any column but Email stops the load with the file, the contact ID
// and the column.
TEST_F(SyncDatabaseTest, NullsAreNamed) {
    test::ExecuteSql(Path(),
                     "CREATE TABLE SyncContacts (ContactID INTEGER, Name TEXT, SpeedDial TEXT, "
                     "Work2 TEXT, DirectConnect TEXT, Home TEXT, Work1 TEXT, Mobile TEXT, "
                     "Fax TEXT, Pager TEXT, Other TEXT, Email TEXT);"
                     "INSERT INTO SyncContacts VALUES (7, 'Ann', '', '', '', '', '', NULL, '', "
                     "'', '', NULL)");
    std::string message = ErrorOf([&] { LoadSyncRecords(state, engine); });
    EXPECT_NE(message.find(Path().string()), std::string::npos) << message;
    EXPECT_NE(message.find("contact ID 7"), std::string::npos) << message;
    EXPECT_NE(message.find("column Mobile"), std::string::npos) << message;

    test::ExecuteSql(Path(), "UPDATE SyncContacts SET Mobile = '', ContactID = NULL");
    message = ErrorOf([&] { LoadSyncRecords(state, engine); });
    EXPECT_NE(message.find("column ContactID"), std::string::npos) << message;
}

// The writer works through the set in order: "N" adds the whole name, "C" the
// first 22 characters; "W" and "M" rewrite the first row of the contact ("W"
// keeps a stored address when the new one holds "/"), "D" deletes it; a
// contact without a row is passed over, also before one that has a row; an
// empty flag leaves the row as it is.
TEST_F(SyncDatabaseTest, WritesEachFlagToItsRow) {
    test::CreateSyncDatabase(Path(),
                             {{.ContactID = 1, .Name = "Ann Smith", .Email = "ann@old.example"},
                              {.ContactID = 2, .Name = "Bob Jones", .Email = "bob@old.example"},
                              {.ContactID = 3, .Name = "Cy Young"},
                              {.ContactID = 4, .Name = "Di Lane", .Mobile = "5550004444"},
                              {.ContactID = 5, .Name = "Ed Marsh"},
                              {.ContactID = 5, .Name = "Ed Marsh (2)"}});
    const std::string longName = "Anna-Maria Ørsted-Öberg Junior";
    for (const SyncObject& record : std::vector<SyncObject>{
             Contact("30", longName, "N", {{NumberKind::Mobile, "5551234567", "3"}}),
             Contact("31", longName, "C", {{NumberKind::Email, "anna/x@example.com", "4"}}),
             Contact("1", "Ann Smith", "W",
                     {{NumberKind::Home, "5559990000", "5"},
                      {NumberKind::Email, "ann/new@example.com", "6"}}),
             Contact("99", "Nobody", "W", {}),
             Contact("2", "Bob Jones", "M", {{NumberKind::Email, "bob/new@example.com", "7"}}),
             Contact("4", "Di Lane", "", {{NumberKind::Mobile, "5559999999", "8"}}),
             Contact("3", "Cy Young", "D", {}), Contact("98", "Nobody", "D", {}),
             Contact("5", "Ed Marsh", "M", {{NumberKind::Fax, "5558887777", "9"}})}) {
        state.SyncDataSet.Append(record);
    }
    WriteSyncDatabase(state, engine);

    EXPECT_EQ(test::SyncContactsText(Path()),
              "1|Ann Smith|H:5,E:6|Home=5559990000|Email=ann@old.example;"
              "2|Bob Jones|E:7|Email=bob/new@example.com;"
              "4|Di Lane||Mobile=5550004444;"
              "5|Ed Marsh|F:9|Fax=5558887777;"
              "5|Ed Marsh (2)|;"
              "30|" +
                  longName +
                  "|M:3|Mobile=5551234567;"
                  "31|Anna-Maria Ørsted-Öber|E:4|Email=anna/x@example.com");
    EXPECT_EQ(test::LogLines(state.settings.LogPath),
              (Lines{"Writing to the sync database.", "... " + longName + " has been added.",
                     "... " + longName + " has been added.", "... Ann Smith has been modified.",
                     "... Bob Jones has been modified.", "... Cy Young has been deleted.",
                     "... Ed Marsh has been modified."}));
}

// A change the table refuses ends the writer with an error naming the column
// and value; what was stored before stays.
TEST_F(SyncDatabaseTest, RefusedChangeEndsTheWriter) {
    test::CreateSyncDatabase(Path(), {});
    state.SyncDataSet.Append(Contact("7", "Ann Smith", "N", {}));
    state.SyncDataSet.Append(Contact("", "No ID", "N", {}));
    state.SyncDataSet.Append(Contact("8", "Bob Jones", "N", {}));
    const std::string message = ErrorOf([&] { WriteSyncDatabase(state, engine); });
    EXPECT_NE(message.find("column ContactID"), std::string::npos) << message;
    EXPECT_NE(message.find("\"\""), std::string::npos) << message;
    EXPECT_EQ(test::SyncContactsText(Path()), "7|Ann Smith|");
}

}  // namespace
}  // namespace velmora
