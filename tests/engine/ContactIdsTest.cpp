#include "engine/ContactIds.h"
#include "engine/EngineTest.h"

namespace velmora::test {
namespace {

using ContactIds = EngineTest;

// Ann takes over the ID of the phone book entry of the same name; a record
// that already has an ID is passed over silently and keeps its flag.
TEST_F(ContactIds, MatchesByNameAndLeavesRecordsWithAnIdAlone) {
    Load(":Ann::M=555/ | 5:Bob:N:", "12:Ann:: | 5:Bob::", "");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "12:Ann:I:M=555/ | 5:Bob:N:");
    EXPECT_EQ(Log(), (Lines{
                         "Verifying that all Outlook Contact items contain a contact ID.",
                         "... Ann in Outlook has been matched with Ann in the PhoneBook and "
                         "assigned a contact ID of 12.",
                         "... Ann will be modified in Outlook.",
                     }));
}

// Names match exactly: "ann" finds nothing. Of two entries named Ann the later
// one is matched, and once its ID is taken a second Ann gets a new ID.
TEST_F(ContactIds, NameMatchIsExactAndTheLastEntryWins) {
    Load(":ann:: | :Ann:: | :Ann::", "12:Ann:: | 14:Ann::", "");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "1:ann:I: | 14:Ann:I: | 2:Ann:I:");
    EXPECT_EQ(Log(), (Lines{
                         "Verifying that all Outlook Contact items contain a contact ID.",
                         "... ann has been assigned a new contact ID of 1.",
                         "... ann will be modified in Outlook.",
                         "... Ann in Outlook has been matched with Ann in the PhoneBook and "
                         "assigned a contact ID of 14.",
                         "... Ann will be modified in Outlook.",
                         "... Ann has been assigned a new contact ID of 2.",
                         "... Ann will be modified in Outlook.",
                     }));
}

// New IDs fill the gaps left by the IDs of all three sets: an ID only the
// sync data still holds (a contact deleted on both sides) is not handed out
// again, and "07" does not block 7. A record whose flag is already set keeps it.
TEST_F(ContactIds, NewIdsSkipEveryIdInUseIncludingTheSyncData) {
    Load("1:A:: | :B:: | :C:D: | :D::", "2:E:: | 07:F::", "4:G:: | 3:H::");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "1:A:: | 5:B:I: | 6:C:D: | 7:D:I:");
    EXPECT_EQ(Log(), (Lines{
                         "Verifying that all Outlook Contact items contain a contact ID.",
                         "... B has been assigned a new contact ID of 5.",
                         "... B will be modified in Outlook.",
                         "... C has been assigned a new contact ID of 6.",
                         "... D has been assigned a new contact ID of 7.",
                         "... D will be modified in Outlook.",
                     }));
}

}  // namespace
}  // namespace velmora::test
