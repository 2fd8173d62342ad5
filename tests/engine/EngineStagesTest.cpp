#include "engine/ChangeFlags.h"
#include "engine/ContactIds.h"
#include "engine/EngineTest.h"
#include "engine/SpeedDials.h"
#include "engine/SyncModified.h"
#include "engine/SyncNew.h"

namespace velmora::test {
namespace {

using EngineStages = EngineTest;

// The worked example of docs/how-sync-works.md, through the seven engine
// stages in run order: Ann's mobile changed in the address book, Cy deleted
// from the phone, Bob added on the phone, Dee added to the address book.
TEST_F(EngineStages, TheWorkedExampleOfTheUserGuide) {
    Load("1:Ann Lee::M=5559876543/1 | 2:Cy Dunn::H=5550001111/2 | :Dee Park::W1=5554445555/",
         "1:Ann Lee::M=5551234567/1 | 7:Bob Stone::M=5552223333/3",
         "1:Ann Lee::M=5551234567/1 | 2:Cy Dunn::H=5550001111/2");
    AssignContactIDs(state);
    FlagDeletedItems(state);
    FlagNewItems(state);
    AssignSpeedDials(state);
    FlagModifiedItems(state);
    SyncModifiedItems(state, ui);
    SyncNewItems(state, ui);

    EXPECT_EQ(Outlook(),
              "1:Ann Lee::M=5559876543/1 | 2:Cy Dunn:D:H=5550001111/2 | "
              "3:Dee Park:I:W1=5554445555/4 | 7:Bob Stone:C:M=5552223333/3");
    EXPECT_EQ(PhoneBook(),
              "1:Ann Lee:W:M=5559876543/1 | 7:Bob Stone::M=5552223333/3 | "
              "3:Dee Park:C:W1=5554445555/4");
    EXPECT_EQ(Sync(),
              "1:Ann Lee:W:M=5559876543/1 | 2:Cy Dunn:D:H=5550001111/2 | "
              "3:Dee Park:C:W1=5554445555/4 | 7:Bob Stone:C:M=5552223333/3");
    EXPECT_EQ(
        Log(),
        (Lines{
            "Verifying that all Outlook Contact items contain a contact ID.",
            "... Dee Park has been assigned a new contact ID of 3.",
            "... Dee Park will be modified in Outlook.",
            "Checking for items that have been deleted.",
            "... Cy Dunn has been deleted from the PhoneBook.",
            "Checking for new items in Outlook.",
            "... Dee Park is new to the PhoneBook.",
            "... Dee Park is new to the sync database.",
            "Checking for new items in the PhoneBook.",
            "... Bob Stone is new to Outlook.",
            "... Bob Stone is new to the sync database.",
            "Checking for items that have been modified.",
            "... Ann Lee has been modified in Outlook.",
            "Synchronizing modified items.",
            "... Information for Ann Lee has been copied from the Outlook data to the PhoneBook "
            "data.",
            "... Information for Ann Lee has been copied from the Outlook data to the sync data.",
            "... Ann Lee will be modified in the PhoneBook.",
            "... Ann Lee will be modified in the sync database.",
            "Synchronizing new items.",
            "... Bob Stone will be added to Outlook.",
            "... Bob Stone will be added to the sync database.",
            "... Dee Park will be added to the PhoneBook.",
            "... Dee Park will be added to the sync database.",
        }));
    EXPECT_TRUE(ui.events.empty());
}

}  // namespace
}  // namespace velmora::test
