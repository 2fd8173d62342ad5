#include "engine/ContactIds.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using ContactIds = EngineTest;

// Ann takes the ID of the last phone book entry of her exact name; a second
// Ann, that ID taken, and "ann" get new IDs. New IDs fill the gaps left by
// all three sets: 1, 3 and 6, held only by the sync data (contacts deleted
// on both sides), are not handed out again, and "07" does not block 7. A
// record with an ID is passed over; one with a flag keeps it, without a line.
TEST_F(ContactIds, MatchesByNameOrHandsOutTheSmallestUnusedId) {
    Load(":Ann:: | 5:Bob:N: | :ann:: | :Ann:: | :Cy:D:", "12:Ann:: | 14:Ann:: | 07:Fay::",
         "1:Gil:: | 3:Hal:: | 6:Ivy::");
    AssignContactIDs(state);
    EXPECT_EQ(Outlook(), "14:Ann:I: | 5:Bob:N: | 2:ann:I: | 4:Ann:I: | 7:Cy:D:");
    EXPECT_EQ(Log(), R"(Verifying that all Outlook Contact items contain a contact ID.
... Ann in Outlook has been matched with Ann in the PhoneBook and assigned a contact ID of 14.
... Ann will be modified in Outlook.
... ann has been assigned a new contact ID of 2.
... ann will be modified in Outlook.
... Ann has been assigned a new contact ID of 4.
... Ann will be modified in Outlook.
... Cy has been assigned a new contact ID of 7.)");
}

}  // namespace
}  // namespace velmora::test
