#include "engine/ContactIds.h"
#include "engine/SpeedDials.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using ContactIds = EngineTest;

// A card takes its exact namesake's ID, else the smallest one no set uses.
TEST_F(ContactIds, MatchesByNameOrHandsOutTheSmallestUnusedId) {
    Load(":Ann::H=1/ | 5:Bob:N:H=2/ | :ann::H=3/ | :Ann::H=4/ | :Cy:D:H=5/",
         "12:Ann:: | 14:Ann:: | 07:Fay::", "1:Gil::H=6/ | 3:Hal::H=7/ | 6:Ivy::H=8/");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(),
              "14:Ann:I:H=1/ | 5:Bob:N:H=2/ | 2:ann:I:H=3/ | 4:Ann:I:H=4/ | 7:Cy:D:H=5/");
    EXPECT_EQ(Log(), R"(Verifying that all Outlook Contact items contain a contact ID.
... Ann in Outlook has been matched with Ann in the PhoneBook and assigned a contact ID of 14.
... Ann will be modified in Outlook.
... ann has been assigned a new contact ID of 2.
... ann will be modified in Outlook.
... Ann has been assigned a new contact ID of 4.
... Ann will be modified in Outlook.
... Cy has been assigned a new contact ID of 7.)");
}

// Names match by the 22 characters the phone keeps.
TEST_F(ContactIds, MatchesALongNameByWhatThePhoneKeeps) {
    Load(":Maximilian Alexander Worthington::M=1/", "3:Maximilian Alexander W::M=1/1", "");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "3:Maximilian Alexander Worthington:I:M=1/");
}

// Of two cards with one ID, the synced one (else the first) keeps it.
TEST_F(ContactIds, CopiedCardsShareNoID) {
    Load("4:Ann:M:H=1/2 | 4:Ann::H=9/2 | 5:Bob::M=5/3 | 5:Bob::M=5/3", "4:Ann::H=9/2",
         "4:Ann::H=9/2 | 5:Bob::M=5/3");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "1:Ann:M:H=1/ | 4:Ann::H=9/2 | 5:Bob::M=5/3 | 2:Bob:I:M=5/");
    EXPECT_EQ(Log(), R"(Verifying that all Outlook Contact items contain a contact ID.
... Ann carries the contact ID 4 of another card, which keeps it; it will be treated as a new contact.
... Bob carries the contact ID 5 of another card, which keeps it; it will be treated as a new contact.
... Ann has been assigned a new contact ID of 1.
... Bob has been assigned a new contact ID of 2.
... Bob will be modified in Outlook.)");
}

// A card with nothing for the phone gets no ID, or gives it up.
TEST_F(ContactIds, NoIDWithoutSomethingForThePhone) {
    Load(":Gil:: | 7:Ann:: | 8:Bob:: | 9:Cy::", "7:Newcomer::M=5/1 | 9:Cy::H=1/2",
         "7:Ann:: | 9:Cy::H=1/2");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), ":Gil:: | :Ann:I: | :Bob:I: | 9:Cy::");
    EXPECT_EQ(Sync(), "7:Ann:D: | 9:Cy::H=1/2");
}

using SpeedDials = EngineTest;

// Missing speed dials get the smallest free values, reaching both counterparts.
TEST_F(SpeedDials, NewValuesAreTheSmallestFreeAndReachBothCounterparts) {
    Load("1:Ann::W2=20/,H=10/,DC=d1/,E=a@x/0 | 9:Old:D:M=1/1", "1:Ann::W2=20/,DC=d1/,E=a@x/0",
         "1:Ann:N:W2=/9,H=10/,DC=d1/ | 7:Gone:D:M=2/2,H=3/4");
    AssignSpeedDials(state);
    EXPECT_EQ(Outlook(), "1:Ann::W2=20/6,DC=d1/3,H=10/5,E=a@x/0 | 9:Old:D:M=1/1");
    EXPECT_EQ(PhoneBook(), "1:Ann:M:W2=20/6,DC=d1/3,E=a@x/0");
    EXPECT_EQ(Sync(), "1:Ann:N:DC=d1/3,H=10/5 | 7:Gone:D:H=3/4,M=2/2");
    EXPECT_FALSE(std::filesystem::exists(state.settings.LogPath)) << "the stage writes no log";
}

// The phone book's value is adopted even when another contact uses it.
TEST_F(SpeedDials, ThePhoneBookValueIsAdopted) {
    Load("1:Ann::M=555/,H=1/ | 2:Bob::M=666/7 | 3:Cy::O=8/",
         "1:Ann::M=555/7,H=1/2 | 2:Bob::M=666/7 | 3:Cy::O=8/5",
         "1:Ann::M=555/9,H=1/2 | 2:Bob::M=666/7 | 3:Cy::O=8/5");
    AssignSpeedDials(state);
    EXPECT_EQ(Outlook(), "1:Ann::H=1/2,M=555/7 | 2:Bob::M=666/7 | 3:Cy::O=8/5");
    EXPECT_EQ(PhoneBook(), "1:Ann::H=1/2,M=555/7 | 2:Bob::M=666/7 | 3:Cy::O=8/5");
    EXPECT_EQ(Sync(), "1:Ann:M:H=1/2,M=555/7 | 2:Bob::M=666/7 | 3:Cy::O=8/5");
}

// A record without counterparts gets its value alone; freed values return.
TEST_F(SpeedDials, ARecordWithoutCounterpartsGetsItsValueAloneAndFreedValuesReturn) {
    Load(
        "1:Ann:D:M=555/ | 2:Bob:D:H=1/ | 3:Cy::H=/1,M=555/ | 4:Di::H=1/ | "
        "5:Eve::W1=/3a,P=/03,O=/4,E=/99999999999999999999",
        "3:Cy::M=555/ | 4:Di::H=1/", "1:Ann:D:M=555/4 | 3:Cy::M=555/2 | 4:Di::H=1/");
    AssignSpeedDials(state);
    EXPECT_EQ(Outlook(),
              "1:Ann:D:M=555/3 | 2:Bob:D:H=1/5 | 3:Cy::H=/1,M=555/6 | 4:Di::H=1/2 | "
              "5:Eve::W1=/3a,P=/03,O=/4,E=/99999999999999999999");
    EXPECT_EQ(PhoneBook(), "3:Cy:M:M=555/6 | 4:Di:M:H=1/2");
    EXPECT_EQ(Sync(), "1:Ann:D:M=555/3 | 3:Cy:M:M=555/6 | 4:Di:M:H=1/2");
}

}  // namespace
}  // namespace velmora::test
