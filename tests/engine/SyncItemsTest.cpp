#include <map>

#include <gmock/gmock.h>

#include "engine/Conflict.h"
#include "engine/SyncModified.h"
#include "engine/SyncNew.h"
#include "model/Error.h"
#include "support/EngineFixtures.h"

namespace velmora::test {
namespace {

using SyncNew = EngineTest;

// New copies become "C" unless their source changed; Eve, unresolved, is created nowhere.
TEST_F(SyncNew, NewCopiesAreCreatedUnlessTheirSourceChanged) {
    Load(
        "1:Ann:I:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:W: | 9:Zed:: | 4:Di:N:H=1/1 | 5:Eve:I:M=5/5 | "
        "6:Fay:I:M=6/6",
        "2:Bob:M:M=2/2 | 1:Ann:N:H=1/1 | 3:Cy:M: | 4:Dia:M:H=1/2 | 5:Eve:N:M=5/ | 6:Fay:N:M=6/",
        "1:Ann:N:H=1/1 | 2:Bob:N:M=2/2 | 3:Cy:N: | 4:Di:N:H=1/1 | 9:Zed:: | 5:Eve:N:M=5/ | "
        "6:Fay:N:M=6/");
    ui.conflictPolicy = [](const SyncObject& outlook, const SyncObject&) {
        const std::map<std::string, ConflictChoice> choices{
            {"Di", {ConflictSide::PhoneBook, ParseRecord("77:Dia Lane:D:H=1/2")}},
            {"Fay", {ConflictSide::Outlook, ParseRecord("77:Fay Ray:D:M=6/6,E=f@x/8")}}};
        const auto choice = choices.find(outlook.ContactName);
        return choice == choices.end() ? std::nullopt : std::optional(choice->second);
    };
    SyncNewItems(state, ui);
    EXPECT_EQ(ui.events,
              (Lines{"conflict: Di / Dia", "conflict: Eve / Eve", "conflict: Fay / Fay"}));
    EXPECT_EQ(Outlook(),
              "1:Ann:I:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:W: | 9:Zed:: | 4:Dia Lane:C:H=1/2 | "
              "5:Eve:I:M=5/5 | 6:Fay Ray:W:M=6/6,E=f@x/8");
    EXPECT_EQ(PhoneBook(),
              "2:Bob:M:M=2/2 | 1:Ann:C:H=1/1 | 3:Cy:M: | 4:Dia Lane:W:H=1/2 | 5:Eve:N:M=5/ | "
              "6:Fay Ray:C:M=6/6,E=f@x/8");
    EXPECT_EQ(Sync(),
              "1:Ann:C:H=1/1 | 2:Bob:C:M=2/2 | 3:Cy:N: | 4:Dia Lane:C:H=1/2 | 9:Zed:: | "
              "5:Eve::M=5/ | 6:Fay Ray:C:M=6/6,E=f@x/8");
    EXPECT_EQ(Log(), R"(Synchronizing new items.
... Bob will be added to Outlook.
... Bob will be added to the sync database.
... Conflict detected for Di
... Conflict resolution for Dia: PhoneBook data will overwrite Outlook data.
... Dia Lane will be added to Outlook.
... Dia Lane will be modified in the PhoneBook.
... Dia Lane will be added to the sync database.
... Ann will be added to the PhoneBook.
... Ann will be added to the sync database.
... Conflict detected for Eve
... Conflict detected for Fay
... Conflict resolution for Fay: Outlook data will overwrite PhoneBook data.
... Fay Ray will be added to the PhoneBook.
... Fay Ray will be added to the sync database.)");
    EXPECT_FALSE(LogIsOpen());
}

using SyncModified = EngineTest;

// A change on one side is copied across; the same change on both asks nothing.
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

    Load("1:Ann:M:H=1/1", "1:Ann::H=2/1", "");
    EXPECT_THAT([&] { SyncModifiedItems(state, ui); },
                ::testing::ThrowsMessage<Error>(
                    "The contact Ann (contact ID 1) has no record in the sync data."));
}

// A conflict closed without a choice comes again in the next pass; a choice reaches all three.
TEST_F(SyncModified, ConflictsAreShownOnceInEachPassUntilResolved) {
    Load("1:Ann:M:H=1/1 | 2:Bob:M:H=5/5 | 3:Cy::H=7/7 | 4:Di:M:H=1/1",
         "1:Ann:M:H=2/1 | 2:Bob::H=6/5 | 3:Cy:M:H=8/7 | 9:Zed:: | 4:Di:M:H=2/1",
         "1:Ann:M:H=0/1 | 2:Bob:M:H=5/5 | 3:Cy:M:H=8/7 | 4:Di:M:H=0/1");
    ui.conflictPolicy = [&](const SyncObject& outlook, const SyncObject&) {
        EXPECT_FALSE(LogIsOpen()) << "while the dialog shows";
        if (outlook.ContactName == "Ann") return std::optional<ConflictChoice>();
        return std::optional(ConflictChoice{ConflictSide::Outlook, outlook});
    };
    SyncModifiedItems(state, ui);
    EXPECT_EQ(ui.events,
              (Lines{"conflict: Ann / Ann", "conflict: Di / Di", "conflict: Ann / Ann"}));
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

}  // namespace
}  // namespace velmora::test
