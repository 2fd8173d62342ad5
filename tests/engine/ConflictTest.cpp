#include "engine/Conflict.h"
#include "engine/EngineTest.h"

namespace velmora::test {
namespace {

class Conflict : public EngineTest {
  protected:
    void Positions(int outlook, int phoneBook, int sync) {
        state.ConflictOutlookIndex = outlook;
        state.ConflictPhoneBookIndex = phoneBook;
        state.ConflictSyncIndex = sync;
    }
};

// Keeping the address-book data, as the person edited it, over three records
// marked "M": all three take the values (not the ID) and become "W"; the
// resolution line names the kept record as it was.
TEST_F(Conflict, KeepOutlookWritesTheEditedValuesIntoAllThree) {
    Load("9:X:: | 4:Ann:M:H=1/1", "4:Annie:M:H=2/2", "4:A:M:H=0/0");
    Positions(2, 1, 1);
    KeepOutlook(state, ParseRecord("77:Ann Lee:Q:H=3/5,E=ann@x.org/6"));
    const std::string kept = "4:Ann Lee:W:H=3/5,E=ann@x.org/6";
    EXPECT_EQ(Outlook(), "9:X:: | " + kept);
    EXPECT_EQ(PhoneBook(), kept);
    EXPECT_EQ(Sync(), kept);
    EXPECT_EQ(Log(), (Lines{
                         "... Conflict resolution for Ann: Outlook data will overwrite "
                         "PhoneBook data.",
                         "... Ann Lee will be modified in Outlook.",
                         "... Ann Lee will be modified in the PhoneBook.",
                         "... Ann Lee will be modified in the sync database.",
                     }));
    EXPECT_FALSE(LogIsOpen());
}

// Keeping the phone book data over a new address-book copy ("N"), a phone
// book record marked "M" and a new sync record: "C", "W", "C". A record with
// any other letter ("I", "W") takes the values and keeps its letter, without
// a line.
TEST_F(Conflict, KeepPhoneBookTurnsNewCopiesIntoCreations) {
    Load("4:Ann:N:H=1/1", "4:Annie:M:H=2/2", "4:Ann:N:H=1/1");
    Positions(1, 1, 1);
    KeepPhoneBook(state, state.PhoneBookSet.Item(1));
    EXPECT_EQ(Outlook(), "4:Annie:C:H=2/2");
    EXPECT_EQ(PhoneBook(), "4:Annie:W:H=2/2");
    EXPECT_EQ(Sync(), "4:Annie:C:H=2/2");

    state.OutlookSet.Item(1).Flag = "I";
    state.SyncDataSet.Item(1).Flag = "M";
    KeepPhoneBook(state, ParseRecord(":Zed::M=9/9"));
    EXPECT_EQ(Outlook(), "4:Zed:I:M=9/9");
    EXPECT_EQ(PhoneBook(), "4:Zed:W:M=9/9");
    EXPECT_EQ(Sync(), "4:Zed:W:M=9/9");
    EXPECT_EQ(Log(), (Lines{
                         "... Conflict resolution for Annie: PhoneBook data will overwrite "
                         "Outlook data.",
                         "... Annie will be added to Outlook.",
                         "... Annie will be modified in the PhoneBook.",
                         "... Annie will be added to the sync database.",
                         "... Conflict resolution for Annie: PhoneBook data will overwrite "
                         "Outlook data.",
                         "... Zed will be modified in the sync database.",
                     }));
}

}  // namespace
}  // namespace velmora::test
