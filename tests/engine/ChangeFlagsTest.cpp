#include "engine/ChangeFlags.h"
#include "engine/EngineTest.h"

namespace velmora::test {
namespace {

using ChangeFlags = EngineTest;

// A deletion on one side marks the sync record and the survivor "D", whatever
// the survivor carries; a deletion on both sides marks the sync record alone;
// a contact on both sides is left alone.
TEST_F(ChangeFlags, DeletionsMarkTheSyncRecordAndTheSurvivor) {
    Load("1:Ann::H=999/1 | 3:Cy::", "2:Bob:: | 3:Cy::",
         "1:Ann::H=555/1 | 2:Bob:: | 4:Di:: | 3:Cy::");
    FlagDeletedItems(state);
    EXPECT_EQ(Outlook(), "1:Ann:D:H=999/1 | 3:Cy::");
    EXPECT_EQ(PhoneBook(), "2:Bob:D: | 3:Cy::");
    EXPECT_EQ(Sync(), "1:Ann:D:H=555/1 | 2:Bob:D: | 4:Di:D: | 3:Cy::");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for items that have been deleted.",
                         "... Ann has been deleted from the PhoneBook.",
                         "... Bob has been deleted from Outlook.",
                         "... Di has been deleted from both Outlook and the PhoneBook.",
                     }));
}

// The phone book cannot hold a contact without numbers: such an address book
// contact is neither copied nor remembered, and one remembered without
// numbers that the phone book lacks was not deleted there. It is forgotten,
// and copied as new once it has a number again.
TEST_F(ChangeFlags, ContactsWithoutNumbersStayInTheAddressBook) {
    Load("5:Gil:I: | 6:Hal:: | 7:Ivy::H=555/", "", "6:Hal:: | 7:Ivy::");
    FlagDeletedItems(state);
    FlagNewItems(state);
    EXPECT_EQ(Outlook(), "5:Gil:I: | 6:Hal:: | 7:Ivy::H=555/");
    EXPECT_EQ(PhoneBook(), "7:Ivy:N:H=555/");
    EXPECT_EQ(Sync(), "6:Hal:D: | 7:Ivy:D: | 7:Ivy:N:H=555/");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for items that have been deleted.",
                         "Checking for new items in Outlook.",
                         "... Ivy is new to the PhoneBook.",
                         "... Ivy is new to the sync database.",
                         "Checking for new items in the PhoneBook.",
                     }));
}

// A contact new on one side is copied with "N" to the end of the other side
// and the sync data; the copies cause nothing in the second pass, and "D"
// records are skipped.
TEST_F(ChangeFlags, NewContactsAreCopiedToTheSetsThatLackThem) {
    Load("1:Ann:I:H=555/ | 9:Gone:D:", "2:Bob::M=777/3 | 8:Gone too:D:", "");
    FlagNewItems(state);
    EXPECT_EQ(Outlook(), "1:Ann:I:H=555/ | 9:Gone:D: | 2:Bob:N:M=777/3");
    EXPECT_EQ(PhoneBook(), "2:Bob::M=777/3 | 8:Gone too:D: | 1:Ann:N:H=555/");
    EXPECT_EQ(Sync(), "1:Ann:N:H=555/ | 2:Bob:N:M=777/3");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for new items in Outlook.",
                         "... Ann is new to the PhoneBook.",
                         "... Ann is new to the sync database.",
                         "Checking for new items in the PhoneBook.",
                         "... Bob is new to Outlook.",
                         "... Bob is new to the sync database.",
                     }));
}

// A contact both sides have but the sync data lacks gets one sync copy, made
// from the address-book record.
TEST_F(ChangeFlags, AContactOnBothSidesGetsItsSyncCopyFromTheAddressBook) {
    Load("5:Ann:I:H=555/", "5:Ann Lee::H=556/", "");
    FlagNewItems(state);
    EXPECT_EQ(Sync(), "5:Ann:N:H=555/");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for new items in Outlook.",
                         "... Ann is new to the sync database.",
                         "Checking for new items in the PhoneBook.",
                     }));
}

// The "M" goes, where the flag is still empty, on the sync record and on the
// side that has to receive the change; a change of letter case counts; a
// record equal to the sync data causes nothing; "D" sync records are skipped.
TEST_F(ChangeFlags, ModificationsMarkTheReceivingSide) {
    Load("1:Ann::H=555/1 | 2:Bob:: | 3:Cy:I:H=1/ | 4:Di::H=2/ | 5:Ed::",
         "1:Ann::H=555/1 | 2:Bob::M=7/2 | 3:Cy::H=1/ | 4:Di:N: | 5:Ed::",
         "1:Ann::H=555/1 | 2:Bob:: | 3:CY:: | 4:Di:N: | 5:Eddie:D:");
    FlagModifiedItems(state);
    EXPECT_EQ(Outlook(), "1:Ann::H=555/1 | 2:Bob:M: | 3:Cy:I:H=1/ | 4:Di::H=2/ | 5:Ed::");
    EXPECT_EQ(PhoneBook(), "1:Ann::H=555/1 | 2:Bob::M=7/2 | 3:Cy:M:H=1/ | 4:Di:N: | 5:Ed::");
    EXPECT_EQ(Sync(), "1:Ann::H=555/1 | 2:Bob:M: | 3:CY:M: | 4:Di:N: | 5:Eddie:D:");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for items that have been modified.",
                         "... Bob has been modified in the PhoneBook.",
                         "... CY has been modified in Outlook.",
                         "... CY has been modified in the PhoneBook.",
                         "... Di has been modified in Outlook.",
                     }));
}

// A contact deleted from the phone book and edited in the address book is a
// deletion: the flagging stages run in order and no modification is reported.
TEST_F(ChangeFlags, ADeletionWinsOverAnEditOnTheOtherSide) {
    Load("1:Ann::H=999/", "", "1:Ann::H=555/");
    FlagDeletedItems(state);
    FlagNewItems(state);
    FlagModifiedItems(state);
    EXPECT_EQ(Outlook(), "1:Ann:D:H=999/");
    EXPECT_EQ(PhoneBook(), "");
    EXPECT_EQ(Sync(), "1:Ann:D:H=555/");
    EXPECT_EQ(Log(), (Lines{
                         "Checking for items that have been deleted.",
                         "... Ann has been deleted from the PhoneBook.",
                         "Checking for new items in Outlook.",
                         "Checking for new items in the PhoneBook.",
                         "Checking for items that have been modified.",
                     }));
}

}  // namespace
}  // namespace velmora::test
