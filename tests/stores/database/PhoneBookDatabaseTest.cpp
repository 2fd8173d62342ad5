#include <chrono>

#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "support/DatabaseFixtures.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;

class PhoneBookTest : public test::DatabaseStoreTest {
  protected:
    void Load(std::string_view rows) {
        std::filesystem::remove(PhoneBookPath());
        ClearSet(state.PhoneBookSet);
        test::CreatePhoneBook(PhoneBookPath(), rows);
        LoadPhoneBookRecords(state, engine);
    }

    void Write(std::string_view rows, std::string_view records, std::string_view extraSql = {}) {
        test::CreatePhoneBook(PhoneBookPath(), rows, extraSql);
        state.PhoneBookSet = test::ParseSet(records);
        ApplyWriteReport(state, WritePhoneBookDatabase(state, indexed));
    }
};

// Rows fold into one record per ID, first row of a kind winning; a null names its place.
TEST_F(PhoneBookTest, LoadFoldsTheRowsOfEachContactAndNamesNulls) {
    Load(
        "12|Ann Smith|5551234567|4|3|6;20|Bob Jones|5550001111|2|8|6;12|Ann S.|5559990000|2|5|6;"
        "30|Cy Young|1*2*3|7|1|0;12|Ann Smith|ann@example.com|10|9|255;"
        "20|Bob Jones|5550002222|2|11|6;12|Ann Smith|NULL|8|4|0;30|NULL|5552223333|4|2|6;"
        "30|Cy Young|5554445555|NULL|6|6;40|Di Lane|5556667777|4|-5|6;"
        "40|Di Lane|5558889999|5|-6|6");
    EXPECT_EQ(PhoneBook(),
              "12:Ann Smith::H=5559990000/5,M=5551234567/3,E=ann@example.com/9 | "
              "20:Bob Jones::H=5550001111/8 | 30:Cy Young::M=5552223333/2 | "
              "40:Di Lane::M=5556667777/-5,F=5558889999/-6");
    const std::string path = PhoneBookPath().string();
    const std::pair<std::string, std::vector<std::string>> cases[]{
        {"12|NULL|5551234567|4|3|6", {"Row 1 ", "column ContactName", path, "(contact ID 12)"}},
        {"12|Ann Smith|NULL|4|3|6", {"Row 1 ", "column Number", path, "(contact ID 12)"}},
        {"12|Ann Smith|5551234567|4|NULL|6",
         {"Row 1 ", "column SpeedDial", path, "(contact ID 12)"}},
        {"12|Ann Smith|5551234567|4|3|6;12|Ann Smith|x|7|NULL|0",
         {"Row 2 ", "column SpeedDial", path, "(contact ID 12)"}},
    };
    for (const auto& [rows, named] : cases) {
        SCOPED_TRACE(rows);
        EXPECT_THAT([&] { Load(rows); }, test::ErrorNaming(named));
    }
}

// "07", " 7", 7.0 and "+7" are one ID; anything but a positive whole number stops the load.
TEST_F(PhoneBookTest, ContactIdsAreReadAsPositiveWholeNumbers) {
    const auto createWith = [&](const std::string& values) {
        std::filesystem::remove(PhoneBookPath());
        test::ExecuteSql(PhoneBookPath(),
                         "CREATE TABLE tblContactList (ContactID, ContactName TEXT, Number TEXT, "
                         "NumberType INTEGER, SpeedDial INTEGER, PhoneNumberLength INTEGER);"
                         "INSERT INTO tblContactList VALUES " +
                             values);
    };
    createWith(
        "('07', 'Ann', '5551234567', 4, 3, 6), (' 7', 'Ann', '5559990000', 2, 5, 6), "
        "(7.0, 'Ann', 'a@example.com', 10, 1, 255), ('+7', 'Ann', '5550001111', 3, 2, 6)");
    LoadPhoneBookRecords(state, engine);
    EXPECT_EQ(PhoneBook(),
              "7:Ann::H=5559990000/5,W1=5550001111/2,M=5551234567/3,E=a@example.com/1");

    // Stored, and as the message shows it (unquoted, the big one is a real).
    const std::pair<std::string, std::string> refused[]{
        {"'abc'", "\"abc\""},
        {"5.5", "5.5"},
        {"-3", "-3"},
        {"0", "0"},
        {"NULL", "null"},
        {"99999999999999999999", "1e+20"},
        {"'99999999999999999999'", "\"99999999999999999999\""}};
    for (const auto& [stored, shown] : refused) {
        SCOPED_TRACE("ContactID " + stored);
        createWith("(12, 'Bob', '5550001111', 2, 4, 6), (" + stored +
                   ", 'Ann', '5551234567', 4, 3, 6)");
        EXPECT_THAT([&] { LoadPhoneBookRecords(state, engine); },
                    test::ErrorNaming({PhoneBookPath().string(), "tblContactList", "Row 2 ",
                                       "column ContactID", "contact ID " + shown + " "}));
    }
    test::AddSyncRows(SyncPath(), "0|Cy Young||Mobile=5552223333");
    EXPECT_THAT(
        [&] { LoadSyncRecords(state, engine); },
        test::ErrorNaming({SyncPath().string(), "SyncContacts", "Row 1 ", "contact ID 0 "}));
}

// The load checks the file and every column before it reads a row.
TEST_F(PhoneBookTest, LoadChecksTheFileAndEveryColumnFirst) {
    test::ExecuteSql(PhoneBookPath(),
                     "CREATE TABLE tblContactList (ContactID INTEGER, ContactName TEXT, "
                     "Number TEXT, NumberType INTEGER, SpeedDial INTEGER)");
    EXPECT_THAT([&] { LoadPhoneBookRecords(state, engine); },
                test::ErrorNaming({PhoneBookPath().string(), "table tblContactList",
                                   "no column PhoneNumberLength"}));
    std::filesystem::remove(PhoneBookPath());
    test::CreatePhoneBook(PhoneBookPath(), "12|Ann Smith|5551234567|4|3|6");
    test::MakeDamagedDatabase(PhoneBookPath());
    EXPECT_THAT([&] { LoadPhoneBookRecords(state, engine); },
                test::ErrorNaming({PhoneBookPath().string(), "damaged"}));
    EXPECT_EQ(state.PhoneBookSet.Count(), 0);
}

// Names stored as BLOBs read as UTF-8 text, and an equal record leaves their bytes.
TEST_F(PhoneBookTest, NamesStoredAsBlobsReadAsTextAndStayUntouched) {
    test::CreatePhoneBook(PhoneBookPath(), "12|x|5551234567|4|3|6;13|y|5550001111|2|4|6",
                          "UPDATE tblContactList SET ContactName = X'5A6FEB' WHERE ContactID = 12;"
                          "UPDATE tblContactList SET ContactName = X'5A6FC3AB2042' "
                          "WHERE ContactID = 13;");
    LoadPhoneBookRecords(state, engine);
    EXPECT_EQ(PhoneBook(), "12:Zoë::M=5551234567/3 | 13:Zoë B::H=5550001111/4");
    for (SyncObject& record : state.PhoneBookSet)
        record.Flag = RecordFlag::Write;
    ApplyWriteReport(state, WritePhoneBookDatabase(state, indexed));
    EXPECT_EQ(Log(), "Writing to the PhoneBook database.");
    EXPECT_EQ(test::TableText(PhoneBookPath(), "tblContactList", {"hex(ContactName)"}),
              "5A6FEB;5A6FC3AB2042");

    test::AddSyncRows(SyncPath(), "12|x||Mobile=5551234567");
    test::ExecuteSql(SyncPath(), "UPDATE SyncContacts SET Name = X'5A6FEB'");
    LoadSyncRecords(state, engine);
    EXPECT_EQ(Sync(), "12:Zoë::M=5551234567/");
}

// "C" adds a row per number, the name cut to 22; "D" deletes every row of the ID.
TEST_F(PhoneBookTest, AddsARowPerNumberAndDeletesEveryRowOfAContact) {
    Write(
        "13|Bob Jones|5550001111|2|8|6;15|Ann Smith|5551234567|4|3|6;15|Ann Smith|x|7|1|0;"
        "-15|Minus|5550000000|4|2|6;15|Ann Smith|y|12|1|0;15|Ann Smith|z|NULL|1|0",
        "12:Anna-Maria Ørsted-Öberg Junior:C:W2=5551112222/1,DC=123*456*7890/2,"
        "H=15559990000/3,M=5551234/4,E=anna@example.com/5 | 14:No Numbers:C: | "
        "13:Bob Jones:N:M=5553334444/6 | 13:Bob Jones:M:M=5553334444/6 | "
        "13:Bob Jones:S:M=5553334444/6 | 13:Bob Jones::M=5553334444/6 | "
        "15:Ann Smith:D:M=5551234567/3");
    const std::string cut = "12|Anna-Maria Ørsted-Öber|";
    EXPECT_EQ(PhoneBookFile(), "13|Bob Jones|5550001111|2|8|6;-15|Minus|5550000000|4|2|6;" + cut +
                                   "5551112222|0|1|6;" + cut + "123*456*7890|1|2|255;" + cut +
                                   "15559990000|2|3|7;" + cut + "5551234|4|4|0;" + cut +
                                   "anna@example.com|10|5|255");
    EXPECT_EQ(Log(), R"(Writing to the PhoneBook database.
... A secondary work number of 5551112222 was added for Anna-Maria Ørsted-Öberg Junior.
... A direct connect number of 123*456*7890 was added for Anna-Maria Ørsted-Öberg Junior.
... A home number of 15559990000 was added for Anna-Maria Ørsted-Öberg Junior.
... A mobile number of 5551234 was added for Anna-Maria Ørsted-Öberg Junior.
... A email address of anna@example.com was added for Anna-Maria Ørsted-Öberg Junior.
... The  for Ann Smith has been deleted.
... The mobile number for Ann Smith has been deleted.)");
}

// "W" deletes cleared numbers, renames, updates and adds rows; other columns stay.
TEST_F(PhoneBookTest, ModifiesRowsInThreePasses) {
    const std::string name = "Ann Smith-Jones, Senior";
    const std::string cut = "Ann Smith-Jones, Senio";
    Write(
        "12|Ann Smith|5551234567|4|3|6;13|Bob Jones|5550001111|4|8|6;12||5559990000|2|7|6;"
        "12|Ann S.|x|7|1|0;13|Bob Jones|5550002222|4|9|6;12|Ann Smith|ann@example.com|10|9|255;"
        "20|Cy Young|5552223333|4|2|6;20|Cy Young|5556667777|2|4|6",
        "12:" + name +
            ":W:M=15551234567/3,H=5559990000/7,E=ann@example.com/9,P=5554443333/10 | "
            "13:Bob Jones:W: | 20:Cy Young:W:M=5552223333/2",
        "ALTER TABLE tblContactList ADD COLUMN Category TEXT NOT NULL DEFAULT 'Unfiled';"
        "UPDATE tblContactList SET Category = 'Family'");
    EXPECT_EQ(PhoneBookFile(), "12|" + cut + "|15551234567|4|3|7;13|Bob Jones||4|8|0;" +
                                   "12||5559990000|2|7|6;12|Ann S.|x|7|1|0;12|" + cut +
                                   "|ann@example.com|10|9|255;20|Cy Young|5552223333|4|2|6;" +
                                   "12|" + cut + "|5554443333|6|10|6");
    EXPECT_EQ(test::TableText(PhoneBookPath(), "tblContactList", {"Category"}),
              "Family;Family;Family;Family;Family;Family;Unfiled");
    EXPECT_EQ(Log(), R"(Writing to the PhoneBook database.
... The name for Ann Smith has been changed to Ann Smith-Jones, Senior.
... The name for Ann Smith has been changed to Ann Smith-Jones, Senior.
... The mobile number for Ann Smith-Jones, Senior has been changed from 5551234567 to 15551234567.
... A pager number of 5554443333 was added for Ann Smith-Jones, Senior.
... The mobile number for Bob Jones has been deleted.
... The mobile number for Bob Jones has been changed from 5550001111 to .
... The home number for Cy Young has been deleted.)");
}

// "W" compares as the phone keeps values; written again, nothing changes.
TEST_F(PhoneBookTest, ModifyWritesSpeedDialsAndNamesAsThePhoneKeepsThem) {
    const std::string records =
        "20:Lee, Ann:W:M=5551234567/9,H=5550009999/03 | "
        "21:Anna-Maria Ørsted-Öberg Junior:W:H=5550001111/5 | "
        "22:Bob Jones-Whitfield-Smithson:W:M=5552223333/7";
    Write(
        "20|Lee, Ann|5551234567|4|3|6;20|Lee, Ann|5550009999|2|3|6;"
        "21|Anna-Maria Ørsted-Öber|5550001111|2|5|6;22|Bob Jones|5552223333|4|7|6",
        records);
    const std::string rows =
        "20|Lee, Ann|5551234567|4|9|6;20|Lee, Ann|5550009999|2|3|6;"
        "21|Anna-Maria Ørsted-Öber|5550001111|2|5|6;22|Bob Jones-Whitfield-Sm|5552223333|4|7|6";
    EXPECT_EQ(PhoneBookFile(), rows);
    EXPECT_EQ(Log(), R"(Writing to the PhoneBook database.
... The speed dial of the mobile number for Lee, Ann has been changed from 3 to 9.
... The name for Bob Jones has been changed to Bob Jones-Whitfield-Smithson.)");

    std::filesystem::remove(state.settings.LogPath);
    state.PhoneBookSet = test::ParseSet(records);
    ApplyWriteReport(state, WritePhoneBookDatabase(state, indexed));
    EXPECT_EQ(PhoneBookFile(), rows);
    EXPECT_EQ(Log(), "Writing to the PhoneBook database.");
}

// A refused step undoes its contact's changes alone; the sync database follows the phone book.
TEST_F(PhoneBookTest, RefusedStepUndoesItsContactAndKeepsTheOthers) {
    state.SyncDataSet = test::ParseSet(
        "12:Ann Smith:W:M=5550000000/3 | 30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9 | "
        "20:Cy Young:N:M=5552223333/3,P=5554445555/7 | 50:Fay Hill:N:H=5557776666/2");
    Write(
        "12|Ann Smith|5551234567|4|3|6;30|Di Lane|5556667777|4|4|6;"
        "30|Di Lane|5558889999|2|5|6;40|Ed Marsh|5551110000|4|6|6",
        "12:Ann Smith:W:M=5550000000/3 | 20:Cy Young:C:M=5552223333/3,P=5554445555/7 | "
        "50:Fay Hill:C:H=5557776666/2 | 30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9",
        "CREATE TRIGGER a BEFORE UPDATE ON tblContactList BEGIN SELECT RAISE(ABORT, 'locked'); END;"
        "CREATE TRIGGER b BEFORE INSERT ON tblContactList WHEN NEW.NumberType = 6 "
        "BEGIN SELECT RAISE(ABORT, 'no pagers'); END;"
        "CREATE TRIGGER c BEFORE DELETE ON tblContactList WHEN OLD.NumberType = 2 "
        "BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    test::AddSyncRows(SyncPath(),
                      "12|Ann Smith|M:3|Mobile=5551234567;"
                      "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
                      "40|Ed Marsh|M:6|Mobile=5551110000");
    ApplyWriteReport(state, WriteSyncDatabase(state, indexed));

    EXPECT_EQ(Log(),
              "Writing to the PhoneBook database.\n"
              "... Could not change the mobile number for Ann Smith from 5551234567 to 5550000000: "
              "The database DIR/Data/PhoneBook.db refused the change to row 1 of table "
              "tblContactList: locked.\n"
              "... Could not add a pager number of 5554445555 for Cy Young: The database "
              "DIR/Data/PhoneBook.db refused the new row of table tblContactList: no pagers.\n"
              "... A home number of 5557776666 was added for Fay Hill.\n"
              "... Could not delete the home number for Di Lane: The database "
              "DIR/Data/PhoneBook.db could not delete row 3 of table tblContactList: kept.\n"
              "... Could not add a pager number of 5559998888 for Ed Marsh: The database "
              "DIR/Data/PhoneBook.db refused the new row of table tblContactList: no pagers.\n"
              "Writing to the sync database.\n"
              "... Fay Hill has been added.");
    EXPECT_EQ(state.FailedWrites, 4);
    EXPECT_EQ(PhoneBookFile(),
              "12|Ann Smith|5551234567|4|3|6;30|Di Lane|5556667777|4|4|6;"
              "30|Di Lane|5558889999|2|5|6;40|Ed Marsh|5551110000|4|6|6;"
              "50|Fay Hill|5557776666|2|2|6");
    EXPECT_EQ(SyncFile(),
              "12|Ann Smith|M:3|Mobile=5551234567;"
              "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
              "40|Ed Marsh|M:6|Mobile=5551110000;50|Fay Hill|H:2|Home=5557776666");
}

// A lock held by another program stops the run after one wait, storing nothing.
TEST_F(PhoneBookTest, HeldLockStopsTheRunAfterOneWait) {
    SqliteDatabaseEngine briefWait(std::chrono::milliseconds(50));
    test::CreatePhoneBook(PhoneBookPath(), "12|Ann Smith|5551234567|4|3|6");
    state.PhoneBookSet =
        test::ParseSet("12:Ann Smith:W:M=5550000000/3 | 13:Bob Jones:C:M=5550001111/4");
    const auto lockedError = ::testing::Throws<DatabaseLockedError>(::testing::Property(
        &Error::what, ::testing::AllOf(HasSubstr(PhoneBookPath().string()), HasSubstr("locked"))));
    {
        test::HeldLock writing(PhoneBookPath(), "IMMEDIATE");
        EXPECT_THAT([&] { ApplyWriteReport(state, WritePhoneBookDatabase(state, briefWait)); },
                    lockedError);
    }
    {
        test::HeldLock reading(PhoneBookPath(), "EXCLUSIVE");
        EXPECT_THAT([&] { LoadPhoneBookRecords(state, briefWait); }, lockedError);
    }
    EXPECT_EQ(state.FailedWrites, 0);
    EXPECT_EQ(Log(), "Writing to the PhoneBook database.");
    EXPECT_EQ(PhoneBookFile(), "12|Ann Smith|5551234567|4|3|6");
}

// Extra rows of one kind go, keeping the synced one or else the first; then quiet.
TEST(PhoneBookRepair, DuplicatedRowsAreRemovedAndTheNextRunIsQuiet) {
    using K = NumberKind;
    test::FileScenario s;
    s.Agree({{1, "Lee, Ann", {{K::Mobile, "5551234567", 3}}},
             {2, "Bo Dunn", {{K::Home, "5550001111", 4}}}});
    s.ChangePhoneBook(
        "UPDATE tblContactList SET Number = '5559999999' WHERE ContactID = 1;"
        "INSERT INTO tblContactList VALUES (1, 'Lee, Ann', '5551234567', 4, 3, 6);"
        "UPDATE tblContactList SET Number = '5550002222' WHERE ContactID = 2;"
        "INSERT INTO tblContactList VALUES (2, 'Bo Dunn', '5550003333', 2, 4, 6);");
    const std::string ann = s.Stores().addressBook.substr(0, s.Stores().addressBook.find('\n'));
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_THAT(test::ReadLogLines(s.settings.LogPath),
                ::testing::IsSupersetOf({
                    "... The PhoneBook holds 2 rows for the mobile number of Lee, Ann; the extra "
                    "rows will be removed.",
                    "... The PhoneBook holds 2 rows for the home number of Bo Dunn; the extra "
                    "rows will be removed.",
                }));
    const auto stores = s.Stores();
    EXPECT_EQ(stores.phoneBook, "2|Bo Dunn|5550002222|2|4|6;1|Lee, Ann|5551234567|4|3|6");
    EXPECT_THAT(stores.addressBook, HasSubstr(ann));
    EXPECT_THAT(stores.addressBook, HasSubstr("HomeTelephoneNumber=(555) 000-2222"));
    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
