#include <gmock/gmock.h>

#include "engine/SyncModified.h"
#include "model/Error.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using SyncModified = EngineTest;

// A change on one side only is copied to the other side and the sync data;
// names in the lines are read after the copy. When the address book is the
// source, its flag becomes "S" only if the speed-dial tags differ. The same
// change on both sides only reaches the sync data, in each pass that meets
// it, without a dialog; a side record with another letter ("I") and equal
// data counts as the same change. A sync record made in this run ("N") is
// to be added.
TEST_F(SyncModified, ChangesOnOneSideOrTheSameOnBoth) {
    Load("1:Ann:M:H=555/1 | 2:Bob::M=777/5 | 3:Cy::H=1/2 | 4:Di:M:H=9/9 | 5:Eve:I:H=2/1",
         "1:Ann Lee::H=556/1 | 2:Bob:M: | 3:Cy:M:H=2/2 | 4:Di:M:H=9/9 | 5:Eve:M:H=2/1",
         "1:Ann:M:H=555/1 | 2:Bob:M: | 3:Cy:N:H=2/2 | 4:Di:N:H=8/8 | 5:Eve:M:H=0/1");
    SyncModifiedItems(state, ui);
    EXPECT_EQ(Outlook(),
              "1:Ann Lee:W:H=556/1 | 2:Bob:S:M=777/5 | 3:Cy::H=1/2 | 4:Di:M:H=9/9 | 5:Eve:I:H=2/1");
    EXPECT_EQ(PhoneBook(),
              "1:Ann Lee::H=556/1 | 2:Bob:W:M=777/5 | 3:Cy:W:H=1/2 | 4:Di:M:H=9/9 | 5:Eve:M:H=2/1");
    EXPECT_EQ(
        Sync(),
        "1:Ann Lee:W:H=556/1 | 2:Bob:W:M=777/5 | 3:Cy:C:H=1/2 | 4:Di:W:H=9/9 | 5:Eve:W:H=2/1");
    EXPECT_EQ(Log(), R"(Synchronizing modified items.
... Information for Ann Lee has been copied from the PhoneBook data to the Outlook data.
... Information for Ann Lee has been copied from the PhoneBook data to the sync data.
... Ann Lee will be modified in Outlook.
... Ann Lee will be modified in the sync database.
... Identical changes have been detected in the Outlook data and the PhoneBook data.
... Information for Di has been copied from the Outlook data to the sync data.
... Di will be added to the sync database.
... The speed dial values for Bob will be modified in Outlook.
... Information for Bob has been copied from the Outlook data to the PhoneBook data.
... Information for Bob has been copied from the Outlook data to the sync data.
... Bob will be modified in the PhoneBook.
... Bob will be modified in the sync database.
... Information for Cy has been copied from the Outlook data to the PhoneBook data.
... Information for Cy has been copied from the Outlook data to the sync data.
... Cy will be modified in the PhoneBook.
... Cy will be added to the sync database.
... Identical changes have been detected in the PhoneBook data and the Outlook data.
... Information for Di has been copied from the PhoneBook data to the sync data.
... Di will be modified in the sync database.
... Identical changes have been detected in the PhoneBook data and the Outlook data.
... Information for Eve has been copied from the PhoneBook data to the sync data.
... Eve will be modified in the sync database.)");
    EXPECT_TRUE(ui.events.empty());
}

// Different changes on both sides: Ann's dialog is closed without a choice,
// which changes nothing, so the phone book pass meets her again, and each
// pass goes on with the next record; Di's is shown once, with the log closed
// and her three positions, and the choice reaches all three records.
TEST_F(SyncModified, ConflictsAreShownOnceInEachPassUntilResolved) {
    Load("1:Ann:M:H=1/1 | 2:Bob:M:H=5/5 | 3:Cy::H=7/7 | 4:Di:M:H=1/1",
         "1:Ann:M:H=2/1 | 2:Bob::H=6/5 | 3:Cy:M:H=8/7 | 9:Zed:: | 4:Di:M:H=2/1",
         "1:Ann:M:H=0/1 | 2:Bob:M:H=5/5 | 3:Cy:M:H=8/7 | 4:Di:M:H=0/1");
    Lines shown;  // the positions each dialog was shown with
    ui.conflictPolicy = [&](const SyncObject& outlook, const SyncObject&) {
        shown.push_back(std::to_string(state.ConflictOutlookIndex) + "," +
                        std::to_string(state.ConflictPhoneBookIndex) + "," +
                        std::to_string(state.ConflictSyncIndex) + (LogIsOpen() ? " log open" : ""));
        if (outlook.ContactName == "Ann") return std::optional<ConflictChoice>();
        return std::optional(ConflictChoice{ConflictSide::Outlook, outlook});
    };
    SyncModifiedItems(state, ui);
    EXPECT_EQ(shown, (Lines{"1,1,1", "4,5,4", "1,1,1"}));
    EXPECT_EQ(Outlook(), "1:Ann:M:H=1/1 | 2:Bob:W:H=6/5 | 3:Cy::H=7/7 | 4:Di:W:H=1/1");
    EXPECT_EQ(PhoneBook(), "1:Ann:M:H=2/1 | 2:Bob::H=6/5 | 3:Cy:W:H=7/7 | 9:Zed:: | 4:Di:W:H=1/1");
    EXPECT_EQ(Sync(), "1:Ann:M:H=0/1 | 2:Bob:W:H=6/5 | 3:Cy:W:H=7/7 | 4:Di:W:H=1/1");
    EXPECT_EQ(Log(), R"(Synchronizing modified items.
... Conflict detected for Ann
... Information for Bob has been copied from the PhoneBook data to the Outlook data.
... Information for Bob has been copied from the PhoneBook data to the sync data.
... Bob will be modified in Outlook.
... Bob will be modified in the sync database.
... Conflict detected for Di
... Conflict resolution for Di: Outlook data will overwrite PhoneBook data.
... Di will be modified in Outlook.
... Di will be modified in the PhoneBook.
... Di will be modified in the sync database.
... Conflict detected for Ann
... Information for Cy has been copied from the Outlook data to the PhoneBook data.
... Information for Cy has been copied from the Outlook data to the sync data.
... Cy will be modified in the PhoneBook.
... Cy will be modified in the sync database.)");
}

// A record marked "M" whose contact has no sync record (stores whose IDs
// contradict each other) stops the stage with a message naming the contact.
TEST_F(SyncModified, AMissingCounterpartIsReportedByName) {
    Load("1:Ann:M:H=1/1", "1:Ann::H=2/1", "");
    EXPECT_THAT([&] { SyncModifiedItems(state, ui); },
                ::testing::ThrowsMessage<Error>(
                    "The contact Ann (contact ID 1) has no record in the sync data."));
}

}  // namespace
}  // namespace velmora::test
