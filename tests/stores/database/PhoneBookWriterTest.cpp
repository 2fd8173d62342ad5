#include <gtest/gtest.h>

#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/FaultyDatabase.h"
#include "stores/database/PhoneBookDatabase.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using test::Contact;
using test::PhoneBookRow;
using Lines = std::vector<std::string>;

class PhoneBookWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state.settings.PhoneBookPath = dir / "PhoneBook.db";
        state.settings.LogPath = dir / "SyncLog.txt";
    }

    void Write(const std::vector<PhoneBookRow>& rows, const std::vector<SyncObject>& records,
               test::PhoneBookLayout layout = test::PhoneBookLayout::Plain) {
        test::CreatePhoneBookDatabase(state.settings.PhoneBookPath, rows, layout);
        for (const SyncObject& record : records)
            state.PhoneBookSet.Append(record);
        WritePhoneBookDatabase(state, engine);
    }

    std::string Table() const { return test::PhoneBookText(state.settings.PhoneBookPath); }
    Lines Log() const { return test::LogLines(state.settings.LogPath); }

    test::TempDir dir;
    SqliteDatabaseEngine engine;
    RunState state;
};

// "C" adds a row per number in code order: the name cut to 22 characters (code
// points), the speed dial converted to a number, PhoneNumberLength 255 for
// direct connect and e-mail and by length otherwise, the manager's own columns
// at their defaults; the log shows the whole name. A "C" record without
// numbers, and records flagged "N", "M", "S" or nothing, write nothing.
TEST_F(PhoneBookWriterTest, AddsARowPerNumber) {
    const std::string name = "Anna-Maria Ørsted-Öberg Junior";
    Write({{13, "Bob Jones", "5550001111", 2, 8, 6}},
          {Contact("12", name, "C",
                   {{NumberKind::Work2, "5551112222", "1"},
                    {NumberKind::DirectConnect, "123*456*7890", "2"},
                    {NumberKind::Home, "15559990000", "3"},
                    {NumberKind::Mobile, "5551234", "4"},
                    {NumberKind::Email, "anna@example.com", "5"}}),
           Contact("14", "No Numbers", "C", {}),
           Contact("13", "Bob Jones", "N", {{NumberKind::Mobile, "5553334444", "6"}}),
           Contact("13", "Bob Jones", "M", {{NumberKind::Mobile, "5553334444", "6"}}),
           Contact("13", "Bob Jones", "S", {{NumberKind::Mobile, "5553334444", "6"}}),
           Contact("13", "Bob Jones", "", {{NumberKind::Mobile, "5553334444", "6"}})},
          test::PhoneBookLayout::WithManagerColumns);

    EXPECT_EQ(Table(),
              "13|Bob Jones|5550001111|2|8|6;"
              "12|Anna-Maria Ørsted-Öber|5551112222|0|1|6;"
              "12|Anna-Maria Ørsted-Öber|123*456*7890|1|2|255;"
              "12|Anna-Maria Ørsted-Öber|15559990000|2|3|7;"
              "12|Anna-Maria Ørsted-Öber|5551234|4|4|0;"
              "12|Anna-Maria Ørsted-Öber|anna@example.com|10|5|255");
    EXPECT_EQ(test::TableText(state.settings.PhoneBookPath, "tblContactList", {"Category"}),
              "Unfiled;Unfiled;Unfiled;Unfiled;Unfiled;Unfiled");
    EXPECT_EQ(Log(),
              (Lines{"Writing to the PhoneBook database.",
                     "... A secondary work number of 5551112222 was added for " + name + ".",
                     "... A direct connect number of 123*456*7890 was added for " + name + ".",
                     "... A home number of 15559990000 was added for " + name + ".",
                     "... A mobile number of 5551234 was added for " + name + ".",
                     "... A email address of anna@example.com was added for " + name + "."}));
    EXPECT_EQ(state.FailedWrites, 0);
}

// A cleared number deletes its row; with two rows of the kind, the one met
// first from the end goes and the other is set to an empty number.
TEST_F(PhoneBookWriterTest, ClearedNumberDeletesItsRow) {
    Write({{12, "Ann Smith", "5551234567", 4, 3, 6},
           {13, "Bob Jones", "5550001111", 4, 8, 6},
           {12, "Ann Smith", "5559990000", 2, 5, 6},
           {13, "Bob Jones", "5550002222", 4, 9, 6}},
          {Contact("12", "Ann Smith", "W", {{NumberKind::Home, "5559990000", "5"}}),
           Contact("13", "Bob Jones", "W", {})});

    EXPECT_EQ(Table(), "13|Bob Jones||4|8|0;12|Ann Smith|5559990000|2|5|6");
    EXPECT_EQ(Log(), (Lines{"Writing to the PhoneBook database.",
                            "... The mobile number for Ann Smith has been deleted.",
                            "... The mobile number for Bob Jones has been deleted.",
                            "... The mobile number for Bob Jones has been changed from "
                            "5550001111 to ."}));
}

// A new name goes, whole, into every row of a known kind that has another
// non-empty name; a changed number updates its row and its length code; a
// new kind gets a row; speed dials of existing rows never change.
TEST_F(PhoneBookWriterTest, ModifiesRowsInThreePasses) {
    const std::string name = "Ann Smith-Jones, Chief Engineer";
    Write({{12, "Ann Smith", "5551234567", 4, 3, 6},
           {12, "", "5559990000", 2, 5, 6},
           {12, "Ann S.", "x", 7, 1, 0},
           {12, "Ann Smith", "ann@example.com", 10, 9, 255},
           {20, "Cy Young", "5552223333", 4, 2, 6}},
          {Contact("12", name, "W",
                   {{NumberKind::Mobile, "15551234567", "3"},
                    {NumberKind::Home, "5559990000", "7"},
                    {NumberKind::Email, "ann@example.com", "9"},
                    {NumberKind::Pager, "5554443333", "10"}}),
           Contact("20", "Cy Young", "W", {{NumberKind::Mobile, "5552223333", "12"}})});

    EXPECT_EQ(Table(), "12|" + name +
                           "|15551234567|4|3|7;"
                           "12||5559990000|2|5|6;"
                           "12|Ann S.|x|7|1|0;"
                           "12|" +
                           name +
                           "|ann@example.com|10|9|255;"
                           "20|Cy Young|5552223333|4|2|6;"
                           "12|Ann Smith-Jones, Chief|5554443333|6|10|6");
    EXPECT_EQ(Log(), (Lines{"Writing to the PhoneBook database.",
                            "... The name for Ann Smith has been changed to " + name + ".",
                            "... The name for Ann Smith has been changed to " + name + ".",
                            "... The mobile number for " + name +
                                " has been changed from 5551234567 to 15551234567.",
                            "... A pager number of 5554443333 was added for " + name + "."}));
}

// "D" deletes every row whose contact ID reads as the record's, from the last
// to the first: codes 7 and 8 log an empty kind word, codes outside 0 to 10
// and null go without a line, and -12 is not 12.
TEST_F(PhoneBookWriterTest, DeletesEveryRowOfTheContact) {
    Write({{12, "Ann Smith", "5551234567", 4, 3, 6},
           {13, "Bob Jones", "5550001111", 4, 8, 6},
           {12, "Ann Smith", "x", 7, 1, 0},
           {-12, "Minus", "5550000000", 4, 2, 6},
           {12, "Ann Smith", "y", 12, 1, 0},
           {12, "Ann Smith", "z", std::nullopt, 1, 0}},
          {Contact("12", "Ann Smith", "D", {{NumberKind::Mobile, "5551234567", "3"}})});

    EXPECT_EQ(Table(), "13|Bob Jones|5550001111|4|8|6;-12|Minus|5550000000|4|2|6");
    EXPECT_EQ(Log(), (Lines{"Writing to the PhoneBook database.",
                            "... The  for Ann Smith has been deleted.",
                            "... The mobile number for Ann Smith has been deleted."}));
}

// The length code of a number's character count.
TEST(NumberLengthCode, TenAndElevenCharactersHaveCodes) {
    EXPECT_EQ(NumberLengthCode(10), 6);
    EXPECT_EQ(NumberLengthCode(11), 7);
    for (const std::size_t other : {0, 7, 9, 12, 255})
        EXPECT_EQ(NumberLengthCode(other), 0) << other;
}

// A pass whose moves fail, or do not move, ends with a logged failure instead
// of looping; the other passes still run.
TEST_F(PhoneBookWriterTest, PassThatCannotMoveOnEnds) {
    test::CreatePhoneBookDatabase(
        state.settings.PhoneBookPath,
        {{12, "Ann Smith", "5551234567", 4, 3, 6}, {12, "Ann Smith", "5559990000", 2, 5, 6}});
    state.PhoneBookSet.Append(Contact("12", "Ann Smith", "W",
                                      {{NumberKind::Mobile, "5550000000", "3"},
                                       {NumberKind::Home, "5559990000", "5"},
                                       {NumberKind::Pager, "5554443333", "10"}}));
    test::Fault previous = test::Fault::Ignore;
    test::FaultyDatabaseEngine faulty(engine, [&](std::string_view call) {
        return call == "MovePrevious" ? previous : test::Fault::None;
    });
    WritePhoneBookDatabase(state, faulty);
    previous = test::Fault::Fail;
    WritePhoneBookDatabase(state, faulty);

    const std::string stuck = "... Could not go through the rows of tblContactList for Ann Smith: ";
    const std::string where = "tblContactList in " + state.settings.PhoneBookPath.string();
    EXPECT_EQ(Log(), (Lines{"Writing to the PhoneBook database.",
                            stuck + "The rows of table " + where + " do not move on from row 2.",
                            "... A pager number of 5554443333 was added for Ann Smith.",
                            "Writing to the PhoneBook database.",
                            stuck + "The test made MovePrevious fail."}));
    EXPECT_EQ(state.FailedWrites, 2);
    EXPECT_EQ(Table(),
              "12|Ann Smith|5551234567|4|3|6;12|Ann Smith|5559990000|2|5|6;"
              "12|Ann Smith|5554443333|6|10|6");
}

}  // namespace
}  // namespace velmora
