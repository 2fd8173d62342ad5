#include "engine/Conflict.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using Conflict = EngineTest;

// Keeping the address book's data, as the person edited it, over three
// records marked "M": all three take the values (not the ID) and become "W";
// the resolution line names the kept record as it was. Keeping the phone
// book's data over records with other letters ("I", "W", "M"): only "M"
// changes, the others keep their letter and write no line.
TEST_F(Conflict, TheKeptValuesReachAllThreeRecords) {
    Load("9:X:: | 4:Ann:M:H=1/1", "4:Annie:M:H=2/2", "4:A:M:H=0/0");
    state.ConflictOutlookIndex = 2;
    state.ConflictPhoneBookIndex = state.ConflictSyncIndex = 1;
    KeepOutlook(state, ParseRecord("77:Ann Lee:Q:H=3/5,E=ann@x.org/6"));
    const std::string kept = "4:Ann Lee:W:H=3/5,E=ann@x.org/6";
    EXPECT_EQ(Outlook(), "9:X:: | " + kept);
    EXPECT_EQ(PhoneBook(), kept);
    EXPECT_EQ(Sync(), kept);

    state.OutlookSet.Item(2).Flag = "I";
    state.SyncDataSet.Item(1).Flag = "M";
    KeepPhoneBook(state, ParseRecord(":Zed::M=9/9"));
    EXPECT_EQ(Outlook(), "9:X:: | 4:Zed:I:M=9/9");
    EXPECT_EQ(PhoneBook(), "4:Zed:W:M=9/9");
    EXPECT_EQ(Sync(), "4:Zed:W:M=9/9");
    EXPECT_EQ(Log(), R"(... Conflict resolution for Ann: Outlook data will overwrite PhoneBook data.
... Ann Lee will be modified in Outlook.
... Ann Lee will be modified in the PhoneBook.
... Ann Lee will be modified in the sync database.
... Conflict resolution for Ann Lee: PhoneBook data will overwrite Outlook data.
... Zed will be modified in the sync database.)");
    EXPECT_FALSE(LogIsOpen());
}

}  // namespace
}  // namespace velmora::test
