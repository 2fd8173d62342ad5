#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"

namespace velmora {
namespace {

using test::Lines;

using FailedPhoneBookStepTest = test::DatabaseStoreTest;

// The phone book writer followed by the sync writer, as at the end of a run,
// over a phone book whose own triggers refuse some changes. A refused step is
// logged as not done (never as done) and counted, the writer goes on, and the
// sync database records exactly what the phone book holds: a contact of which nothing changed keeps
// its sync row as loaded (the next run carries the change again); a new contact is added with the
// rows that went in; one whose rows are all gone loses its sync row (so the next run sees it as
// new, not as deleted); one that could not be deleted keeps its sync row (so the next run deletes
// the rest).
TEST_F(FailedPhoneBookStepTest, SyncDatabaseRecordsWhatThePhoneBookHolds) {
    test::CreatePhoneBookDatabase(
        PhoneBookPath(),
        {{12, "Ann Smith", "5551234567", 4, 3, 6},
         {30, "Di Lane", "5556667777", 4, 4, 6},
         {30, "Di Lane", "5558889999", 2, 5, 6},
         {40, "Ed Marsh", "5551110000", 4, 6, 6}},
        "CREATE TRIGGER Locked BEFORE UPDATE ON tblContactList WHEN OLD.ContactID = 12 "
        "BEGIN SELECT RAISE(ABORT, 'the entry is locked'); END;"
        "CREATE TRIGGER NoPagers BEFORE INSERT ON tblContactList WHEN NEW.NumberType = 6 "
        "BEGIN SELECT RAISE(ABORT, 'the phone takes no pagers'); END;"
        "CREATE TRIGGER KeepHomes BEFORE DELETE ON tblContactList WHEN OLD.NumberType = 2 "
        "BEGIN SELECT RAISE(ABORT, 'home numbers stay'); END;");
    test::AddSyncRows(SyncPath(),
                      "12|Ann Smith|M:3|Mobile=5551234567;"
                      "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
                      "40|Ed Marsh|M:6|Mobile=5551110000");
    state.PhoneBookSet = test::ParseSet(
        "12:Ann Smith:W:M=5550000000/3 | 20:Cy Young:C:M=5552223333/3,P=5554445555/7 | "
        "30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9");
    state.SyncDataSet = test::ParseSet(
        "12:Ann Smith:W:M=5550000000/3 | 30:Di Lane:D: | 40:Ed Marsh:W:P=5559998888/9 | "
        "20:Cy Young:N:M=5552223333/3,P=5554445555/7");

    WritePhoneBookDatabase(state, engine);
    WriteSyncDatabase(state, engine);

    // The end of the line logged for a change the table refused.
    const auto refusal = [&](const std::string& what, const std::string& reason) {
        return ": The database " + PhoneBookPath().string() + " " + what +
               " of table tblContactList: " + reason + ".";
    };
    const std::string noPagers = refusal("refused the new row", "the phone takes no pagers");
    EXPECT_EQ(Log(),
              (Lines{"Writing to the PhoneBook database.",
                     "... Could not change the mobile number for Ann Smith from 5551234567 to "
                     "5550000000" +
                         refusal("refused the change to row 1", "the entry is locked"),
                     "... A mobile number of 5552223333 was added for Cy Young.",
                     "... Could not add a pager number of 5554445555 for Cy Young" + noPagers,
                     "... Could not delete the home number for Di Lane" +
                         refusal("could not delete row 3", "home numbers stay"),
                     "... The mobile number for Di Lane has been deleted.",
                     "... The mobile number for Ed Marsh has been deleted.",
                     "... Could not add a pager number of 5559998888 for Ed Marsh" + noPagers,
                     "Writing to the sync database.", "... Ed Marsh has been deleted.",
                     "... Cy Young has been added."}));
    EXPECT_EQ(state.FailedWrites, 4);
    EXPECT_EQ(PhoneBook(),
              "12|Ann Smith|5551234567|4|3|6;30|Di Lane|5558889999|2|5|6;"
              "20|Cy Young|5552223333|4|3|6");
    EXPECT_EQ(Sync(),
              "12|Ann Smith|M:3|Mobile=5551234567;"
              "30|Di Lane|H:5,M:4|Home=5558889999|Mobile=5556667777;"
              "20|Cy Young|M:3|Mobile=5552223333");
}

}  // namespace
}  // namespace velmora
