#include "engine/SyncNew.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using SyncNew = EngineTest;

// Copies of new contacts (Ann, Bob), and their sync records, become "C"; a
// source with a letter but the same data asks nothing; records with other
// flags (Cy) are not looked at. A copy whose source was marked since and now
// differs goes to the dialog, named after the copy: kept, the phone book's
// data makes Di's copy "C", her source "W" and her sync record "C". Left
// without a choice, Eve is created on neither side, and her sync record made
// in this run loses its flag so it is not stored either: stored, it would
// make the next run take the missing copy for a deletion and delete Eve from
// the side that has her.
TEST_F(SyncNew, NewCopiesAreCreatedUnlessTheirSourceChanged) {
    Load("1:Ann:I:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:W: | 9:Zed:: | 4:Di:N:H=1/1 | 5:Eve:I:M=5/5",
         "2:Bob:M:M=2/2 | 1:Ann:N:H=1/1 | 3:Cy:M: | 4:Dia:M:H=1/2 | 5:Eve:N:M=5/",
         "1:Ann:N:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:N: | 4:Di:N:H=1/1 | 9:Zed:: | 5:Eve:N:M=5/");
    ui.conflictPolicy = [](const SyncObject& outlook, const SyncObject& phoneBook) {
        if (outlook.ContactName == "Eve") return std::optional<ConflictChoice>();
        return std::optional(ConflictChoice{ConflictSide::PhoneBook, phoneBook});
    };
    SyncNewItems(state, ui);
    EXPECT_EQ(ui.events, (Lines{"conflict: Di / Dia", "conflict: Eve / Eve"}));
    EXPECT_EQ(Outlook(),
              "1:Ann:I:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:W: | 9:Zed:: | 4:Dia:C:H=1/2 | 5:Eve:I:M=5/5");
    EXPECT_EQ(PhoneBook(),
              "2:Bob:M:M=2/2 | 1:Ann:C:H=1/1 | 3:Cy:M: | 4:Dia:W:H=1/2 | 5:Eve:N:M=5/");
    EXPECT_EQ(Sync(),
              "1:Ann:C:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:N: | 4:Dia:C:H=1/2 | 9:Zed:: | 5:Eve::M=5/");
    EXPECT_EQ(Log(), R"(Synchronizing new items.
... Bob will be added to Outlook.
... Bob will be added to the sync database.
... Conflict detected for Di
... Conflict resolution for Dia: PhoneBook data will overwrite Outlook data.
... Dia will be added to Outlook.
... Dia will be modified in the PhoneBook.
... Dia will be added to the sync database.
... Ann will be added to the PhoneBook.
... Ann will be added to the sync database.
... Conflict detected for Eve)");
    EXPECT_FALSE(LogIsOpen());
}

}  // namespace
}  // namespace velmora::test
