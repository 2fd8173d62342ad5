#include "engine/EngineTest.h"
#include "engine/SyncNew.h"

namespace velmora::test {
namespace {

using SyncNew = EngineTest;

// Copies of new contacts, and their sync records, become "C"; a source
// record with a letter but the same data asks nothing; records with other
// flags are not looked at.
TEST_F(SyncNew, NewCopiesAreMarkedForCreation) {
    Load("1:Ann:I:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:W:", "2:Bob:M:M=2/2 | 1:Ann:N:H=1/1 | 3:Cy:M:",
         "1:Ann:N:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:N:");
    SyncNewItems(state, ui);
    EXPECT_EQ(Outlook(), "1:Ann:I:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:W:");
    EXPECT_EQ(PhoneBook(), "2:Bob:M:M=2/2 | 1:Ann:C:H=1/1 | 3:Cy:M:");
    EXPECT_EQ(Sync(), "1:Ann:C:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:N:");
    EXPECT_EQ(Log(), (Lines{
                         "Synchronizing new items.",
                         "... Bob will be added to Outlook.",
                         "... Bob will be added to the sync database.",
                         "... Ann will be added to the PhoneBook.",
                         "... Ann will be added to the sync database.",
                     }));
    EXPECT_TRUE(ui.events.empty());
}

// A copy whose source was marked since and now differs goes to the dialog,
// named after the copy. Kept, the phone book's data makes Ann's copy "C",
// her source "W" and her sync record "C". Left without a choice, Bob is
// created on neither side, and his sync record made in this run loses its
// flag so it is not stored either: stored, it would make the next run take
// the missing copy for a deletion and delete Bob from the side that has him.
TEST_F(SyncNew, ACopyThatNoLongerAgreesWithItsSourceIsAConflict) {
    Load("5:Zed:: | 1:Ann:N:H=1/1 | 2:Bob:I:M=5/5", "5:Zed:: | 1:Annie:M:H=1/2 | 2:Bob:N:M=5/",
         "1:Ann:N:H=1/1 | 5:Zed:: | 2:Bob:N:M=5/");
    ui.conflictPolicy = [](const SyncObject& outlook, const SyncObject& phoneBook) {
        if (outlook.ContactName == "Bob") return std::optional<ConflictChoice>();
        return std::optional(ConflictChoice{ConflictSide::PhoneBook, phoneBook});
    };
    SyncNewItems(state, ui);
    EXPECT_EQ(ui.events, (Lines{"conflict: Ann / Annie", "conflict: Bob / Bob"}));
    EXPECT_EQ(Outlook(), "5:Zed:: | 1:Annie:C:H=1/2 | 2:Bob:I:M=5/5");
    EXPECT_EQ(PhoneBook(), "5:Zed:: | 1:Annie:W:H=1/2 | 2:Bob:N:M=5/");
    EXPECT_EQ(Sync(), "1:Annie:C:H=1/2 | 5:Zed:: | 2:Bob::M=5/");
    EXPECT_EQ(Log(), (Lines{
                         "Synchronizing new items.",
                         "... Conflict detected for Ann",
                         "... Conflict resolution for Annie: PhoneBook data will overwrite "
                         "Outlook data.",
                         "... Annie will be added to Outlook.",
                         "... Annie will be modified in the PhoneBook.",
                         "... Annie will be added to the sync database.",
                         "... Conflict detected for Bob",
                     }));
    EXPECT_FALSE(LogIsOpen());
}

}  // namespace
}  // namespace velmora::test
