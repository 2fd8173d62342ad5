#include "engine/ChangeFlags.h"
#include "engine/Records.h"
#include "model/NumberKinds.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using ChangeFlags = EngineTest;

// Gone from either side is "D" everywhere, new is "N"; numberless contacts are not copied.
TEST_F(ChangeFlags, DeletedAndNewContacts) {
    Load(
        "1:Ann::H=999/1 | 3:Cy::H=3/ | 5:Gil:I: | 6:Hal:: | 7:Ivy::H=555/ | 8:Jo:I:H=8/ | "
        "10:Kim:I:H=10/",
        "2:Bob:: | 3:Cy::H=3/ | 9:Lu::M=777/3 | 10:Kim L::H=11/",
        "1:Ann::H=555/1 | 2:Bob:: | 4:Di:: | 3:Cy::H=3/ | 6:Hal:: | 7:Ivy::");
    FlagDeletedItems(state);
    FlagNewItems(state);
    EXPECT_EQ(Outlook(),
              "1:Ann:D:H=999/1 | 3:Cy::H=3/ | 5:Gil:I: | 6:Hal:: | 7:Ivy::H=555/ | 8:Jo:I:H=8/ | "
              "10:Kim:I:H=10/ | 9:Lu:N:M=777/3");
    EXPECT_EQ(PhoneBook(),
              "2:Bob:D: | 3:Cy::H=3/ | 9:Lu::M=777/3 | 10:Kim L::H=11/ | 7:Ivy:N:H=555/ | "
              "8:Jo:N:H=8/");
    EXPECT_EQ(Sync(),
              "1:Ann:D:H=555/1 | 2:Bob:D: | 4:Di:D: | 3:Cy::H=3/ | 6:Hal:D: | 7:Ivy:D: | "
              "7:Ivy:N:H=555/ | 8:Jo:N:H=8/ | 10:Kim:N:H=10/ | 9:Lu:N:M=777/3");
    EXPECT_EQ(Log(), R"(Checking for items that have been deleted.
... Ann has been deleted from the PhoneBook.
... Bob has been deleted from Outlook.
... Di has been deleted from both Outlook and the PhoneBook.
Checking for new items in Outlook.
... Ivy is new to the PhoneBook.
... Ivy is new to the sync database.
... Jo is new to the PhoneBook.
... Jo is new to the sync database.
... Kim is new to the sync database.
Checking for new items in the PhoneBook.
... Lu is new to Outlook.
... Lu is new to the sync database.)");
}

// "M" marks the sync record and the receiving side; letter case counts.
TEST_F(ChangeFlags, ModificationsMarkTheReceivingSide) {
    Load("1:Ann::H=555/1 | 2:Bob:: | 3:Cy:I:H=1/ | 4:Di::H=2/ | 5:Ed::",
         "1:Ann::H=555/1 | 2:Bob::M=7/2 | 3:Cy::H=1/ | 4:Di:N: | 5:Ed::",
         "1:Ann::H=555/1 | 2:Bob:: | 3:CY:: | 4:Di:N: | 5:Eddie:D:");
    FlagModifiedItems(state);
    EXPECT_EQ(Outlook(), "1:Ann::H=555/1 | 2:Bob:M: | 3:Cy:I:H=1/ | 4:Di::H=2/ | 5:Ed::");
    EXPECT_EQ(PhoneBook(), "1:Ann::H=555/1 | 2:Bob::M=7/2 | 3:Cy:M:H=1/ | 4:Di:N: | 5:Ed::");
    EXPECT_EQ(Sync(), "1:Ann::H=555/1 | 2:Bob:M: | 3:CY:M: | 4:Di:N: | 5:Eddie:D:");
    EXPECT_EQ(Log(), R"(Checking for items that have been modified.
... Bob has been modified in the PhoneBook.
... CY has been modified in Outlook.
... CY has been modified in the PhoneBook.
... Di has been modified in Outlook.)");
}

// Name, numbers and speed dials take part; ID and flag do not.
TEST(RecordsEqual, ComparesNameNumbersAndSpeedDialsOnly) {
    const SyncObject base = ParseRecord("1:Ann:M:H=555/3,E=ann@x.org/4");
    EXPECT_TRUE(RecordsEqual(base, ParseRecord("2:Ann::H=555/3,E=ann@x.org/4")));
    for (const NumberKindInfo& info : kNumberKinds) {
        SyncObject changed = base;
        changed.SetNumber(info.kind, std::string(base.Number(info.kind)) + "9");
        EXPECT_FALSE(RecordsEqual(base, changed)) << info.tagPrefix;
        changed = base;
        changed.SetSpeed(info.kind, std::string(base.Speed(info.kind)) + "9");
        EXPECT_FALSE(RecordsEqual(base, changed)) << info.tagPrefix;
    }
}

}  // namespace
}  // namespace velmora::test
