#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "support/DatabaseFixtures.h"
#include "support/ForwardingDatabase.h"

namespace velmora {
namespace {

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
        WritePhoneBookDatabase(state, engine);
    }
};

// Rows fold into one record per contact ID wherever they stand: each kind's
// number and speed dial, the later of two rows of a kind winning, the name
// from the first row met, nothing from codes 7 and 8 or a null NumberType,
// and a negative speed dial kept with its sign on first and later rows alike.
// A null the load cannot read stops it naming the file, the row, the contact
// ID (when there is one) and the column.
TEST_F(PhoneBookTest, LoadFoldsTheRowsOfEachContactAndNamesNulls) {
    Load(
        "12|Ann Smith|5551234567|4|3|6;20|Bob Jones|5550001111|2|8|6;12|Ann S.|5559990000|2|5|6;"
        "30|Cy Young|1*2*3|7|1|0;12|Ann Smith|ann@example.com|10|9|255;"
        "20|Bob Jones|5550002222|2|11|6;12|Ann Smith|NULL|8|4|0;30|NULL|5552223333|4|2|6;"
        "30|Cy Young|5554445555|NULL|6|6;40|Di Lane|5556667777|4|-5|6;"
        "40|Di Lane|5558889999|5|-6|6");
    EXPECT_EQ(PhoneBook(),
              "12:Ann Smith::H=5559990000/5,M=5551234567/3,E=ann@example.com/9 | "
              "20:Bob Jones::H=5550002222/11 | 30:Cy Young::M=5552223333/2 | "
              "40:Di Lane::M=5556667777/-5,F=5558889999/-6");
    const std::string path = PhoneBookPath().string();
    const std::pair<std::string, std::vector<std::string>> cases[]{
        {"NULL|Ann Smith|5551234567|4|3|6", {"Row 1 ", "column ContactID", path}},
        {"12|NULL|5551234567|4|3|6", {"Row 1 ", "column ContactName", path, "(contact ID 12)"}},
        {"12|Ann Smith|NULL|4|3|6", {"Row 1 ", "column Number", path, "(contact ID 12)"}},
        {"12|Ann Smith|5551234567|4|NULL|6",
         {"Row 1 ", "column SpeedDial", path, "(contact ID 12)"}},
        {"12|Ann Smith|5551234567|4|3|6;12|Ann Smith|x|7|NULL|0",
         {"Row 2 ", "column SpeedDial", path, "(contact ID 12)"}},
    };
    for (const auto& [rows, named] : cases)
        EXPECT_THAT([&] { Load(rows); }, test::ErrorNaming(named));
}

// "C" adds a row per number in code order: the name cut to 22 characters (code
// points), the speed dial converted to a number, PhoneNumberLength 255 for
// direct connect and e-mail and by length otherwise; the log shows the whole
// name. A "C" record without numbers, and records flagged "N", "M", "S" or
// nothing, write nothing. "D" deletes every row whose contact ID reads as the
// record's, from the last to the first: codes 7 and 8 log an empty kind word,
// codes outside 0 to 10 and null go without a line, and -15 is not 15.
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

// "W" in three passes: a cleared number deletes its row (with two rows of the
// kind, the one met first from the end goes and the other is set to an
// empty number); a new name goes, whole, into every row of a known kind that
// has another non-empty name; a changed number updates its row and its
// length code; a new kind gets a row; speed dials of existing rows never
// change. Columns of the manager's own are left alone, and new rows get their
// defaults.
TEST_F(PhoneBookTest, ModifiesRowsInThreePasses) {
    const std::string name = "Ann Smith-Jones, Senior";
    Write(
        "12|Ann Smith|5551234567|4|3|6;13|Bob Jones|5550001111|4|8|6;12||5559990000|2|5|6;"
        "12|Ann S.|x|7|1|0;13|Bob Jones|5550002222|4|9|6;12|Ann Smith|ann@example.com|10|9|255;"
        "20|Cy Young|5552223333|4|2|6;20|Cy Young|5556667777|2|4|6",
        "12:" + name +
            ":W:M=15551234567/3,H=5559990000/7,E=ann@example.com/9,P=5554443333/10 | "
            "13:Bob Jones:W: | 20:Cy Young:W:M=5552223333/12",
        "ALTER TABLE tblContactList ADD COLUMN Category TEXT NOT NULL DEFAULT 'Unfiled';"
        "UPDATE tblContactList SET Category = 'Family'");
    EXPECT_EQ(PhoneBookFile(), "12|" + name + "|15551234567|4|3|7;13|Bob Jones||4|8|0;" +
                                   "12||5559990000|2|5|6;12|Ann S.|x|7|1|0;12|" + name +
                                   "|ann@example.com|10|9|255;20|Cy Young|5552223333|4|2|6;" +
                                   "12|Ann Smith-Jones, Senio|5554443333|6|10|6");
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

// A pass that cannot move on ends with a logged failure instead of looping,
// the backward pass 1 and the forward pass 3 alike; the failure of one pass
// does not keep the next from running.
TEST_F(PhoneBookTest, PassThatCannotMoveOnEnds) {
    test::CreatePhoneBook(PhoneBookPath(),
                          "12|Ann Smith|5551234567|4|3|6;12|Ann Smith|5559990000|2|5|6");
    state.PhoneBookSet =
        test::ParseSet("12:Ann Smith:W:M=5550000000/3,H=5559990000/5,P=5554443333/10");
    test::HookedDatabaseEngine stuck(
        std::make_shared<SqliteDatabaseEngine>(),
        [](const Recordset&, auto call) { return call != "MovePrevious" && call != "MoveNext"; });
    WritePhoneBookDatabase(state, stuck);
    EXPECT_EQ(Log(),
              "Writing to the PhoneBook database.\n"
              "... Could not go through the rows of tblContactList for Ann Smith: The rows of "
              "table tblContactList in DIR/Data/PhoneBook.db do not move on from row 2.\n"
              "... Could not check which numbers Ann Smith has in tblContactList: The rows of "
              "table tblContactList in DIR/Data/PhoneBook.db do not move on from row 1.");
    EXPECT_EQ(state.FailedWrites, 2);
    EXPECT_EQ(PhoneBookFile(), "12|Ann Smith|5551234567|4|3|6;12|Ann Smith|5559990000|2|5|6");
}

// The phone book writer followed by the sync writer, as at the end of a run,
// over a phone book whose own triggers refuse some changes. A refused step is
// logged as not done (never as done) and counted, the writer goes on, and the
// sync database records exactly what the phone book holds: a contact of which
// nothing changed keeps its sync row as loaded (the next run carries the change
// again); a new contact is added with the rows that went in; one whose rows are
// all gone loses its sync row (so the next run sees it as new, not as
// deleted); one that could not be deleted keeps its sync row (so the next run
// deletes the rest).
TEST_F(PhoneBookTest, SyncDatabaseRecordsWhatThePhoneBookHoldsAfterRefusals) {
    state.SyncDataSet = test::ParseSet(
        "12:Ann Smith:W:M=5550000000/3 | 30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9 | "
        "20:Cy Young:N:M=5552223333/3,P=5554445555/7");
    Write(
        "12|Ann Smith|5551234567|4|3|6;30|Di Lane|5556667777|4|4|6;"
        "30|Di Lane|5558889999|2|5|6;40|Ed Marsh|5551110000|4|6|6",
        "12:Ann Smith:W:M=5550000000/3 | 20:Cy Young:C:M=5552223333/3,P=5554445555/7 | "
        "30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9",
        "CREATE TRIGGER a BEFORE UPDATE ON tblContactList BEGIN SELECT RAISE(ABORT, 'locked'); END;"
        "CREATE TRIGGER b BEFORE INSERT ON tblContactList WHEN NEW.NumberType = 6 "
        "BEGIN SELECT RAISE(ABORT, 'no pagers'); END;"
        "CREATE TRIGGER c BEFORE DELETE ON tblContactList WHEN OLD.NumberType = 2 "
        "BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    test::AddSyncRows(SyncPath(),
                      "12|Ann Smith|M:3|Mobile=5551234567;"
                      "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
                      "40|Ed Marsh|M:6|Mobile=5551110000");
    WriteSyncDatabase(state, engine);

    EXPECT_EQ(Log(),
              "Writing to the PhoneBook database.\n"
              "... Could not change the mobile number for Ann Smith from 5551234567 to 5550000000: "
              "The database DIR/Data/PhoneBook.db refused the change to row 1 of table "
              "tblContactList: locked.\n"
              "... A mobile number of 5552223333 was added for Cy Young.\n"
              "... Could not add a pager number of 5554445555 for Cy Young: The database "
              "DIR/Data/PhoneBook.db refused the new row of table tblContactList: no pagers.\n"
              "... Could not delete the home number for Di Lane: The database "
              "DIR/Data/PhoneBook.db could not delete row 3 of table tblContactList: kept.\n"
              "... The mobile number for Di Lane has been deleted.\n"
              "... The mobile number for Ed Marsh has been deleted.\n"
              "... Could not add a pager number of 5559998888 for Ed Marsh: The database "
              "DIR/Data/PhoneBook.db refused the new row of table tblContactList: no pagers.\n"
              "Writing to the sync database.\n"
              "... Ed Marsh has been deleted.\n"
              "... Cy Young has been added.");
    EXPECT_EQ(state.FailedWrites, 4);
    EXPECT_EQ(PhoneBookFile(),
              "12|Ann Smith|5551234567|4|3|6;30|Di Lane|5558889999|2|5|6;"
              "20|Cy Young|5552223333|4|3|6");
    EXPECT_EQ(SyncFile(),
              "12|Ann Smith|M:3|Mobile=5551234567;"
              "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
              "20|Cy Young|M:3|Mobile=5552223333");
}

}  // namespace
}  // namespace velmora
