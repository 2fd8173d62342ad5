#include <gmock/gmock.h>

#include "run/RunPlan.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

// "side deletions/contacts [emptied]" per question, joined by ", ".
std::string Asked(LoadedCounts loaded, int outlookDeletes, int phoneBookDeletes,
                  const Settings& settings = {}) {
    RunPlan plan;
    plan.loaded = loaded;
    plan.outlook.deleted = outlookDeletes;
    plan.phoneBook.deleted = phoneBookDeletes;
    std::string asked;
    for (const MassDeletion& d : FindMassDeletions(plan, settings)) {
        asked += std::string(asked.empty() ? "" : ", ") +
                 (d.side == DeletionSide::Outlook ? "Outlook " : "PhoneBook ") +
                 std::to_string(d.deletions) + "/" + std::to_string(d.contacts) +
                 (d.otherSideEmpty ? " emptied" : "");
    }
    return asked;
}

// A run asks before emptying a side or taking more than its share from one.
TEST(MassDeletions, AskedWhenASideIsEmptiedOrLosesMoreThanItsShare) {
    EXPECT_EQ(Asked({0, 3, 3}, 0, 3), "PhoneBook 3/3 emptied");
    EXPECT_EQ(Asked({3, 0, 3}, 3, 0), "Outlook 3/3 emptied");
    EXPECT_EQ(Asked({230, 230, 230}, 0, 212), "PhoneBook 212/230");
    EXPECT_EQ(Asked({20, 20, 20}, 11, 6), "Outlook 11/20");
    EXPECT_EQ(Asked({20, 20, 20}, 10, 0), "");  // exactly half
    EXPECT_EQ(Asked({6, 6, 6}, 4, 4), "");      // over half, below the minimum
    EXPECT_EQ(Asked({6, 6, 6}, 5, 0), "Outlook 5/6");
    EXPECT_EQ(Asked({0, 4, 0}, 0, 4), "");  // a first run
    EXPECT_EQ(Asked({0, 0, 5}, 0, 0), "");

    Settings strict;
    strict.MassDeleteShare = 10;
    strict.MassDeleteMinimum = 2;
    EXPECT_EQ(Asked({20, 20, 20}, 3, 2, strict), "Outlook 3/20");
    strict.MassDeleteShare = 100;
    EXPECT_EQ(Asked({20, 20, 20}, 20, 0, strict), "");

    const MassDeletion wiped{DeletionSide::PhoneBook, 212, 230, true};
    EXPECT_THAT(wiped.Question(),
                ::testing::AllOf(
                    ::testing::StartsWith(
                        "This run would delete 212 of 230 contacts from the PhoneBook. Outlook "
                        "holds no contacts now"),
                    ::testing::HasSubstr("Stop writes nothing.")));
    EXPECT_EQ(MassDeletion({DeletionSide::Outlook, 6, 6, false}).Summary(),
              "This run would delete 6 of 6 contacts from Outlook.");
}

// The plan counts contacts by the flags each writer acts on.
TEST(RunPlan, CountsContactsByTheirFlags) {
    RunState state;
    state.OutlookSet = test::ParseSet("1:A:C: | 2:B:W: | 3:C:S: | 4:D:I: | 5:E:D: | 6:F::");
    state.PhoneBookSet = test::ParseSet("1:A:C: | 2:B:W: | 5:E:D: | 7:G:D: | 8:H:N:");
    state.SyncDataSet = test::ParseSet("1:A:C: | 2:B:M: | 3:C:W: | 5:E:D: | 9:I:N:");
    const RunPlan plan = PlanOf(state, {6, 5, 5});
    EXPECT_EQ(plan.outlook, (StoreChanges{1, 3, 1}));
    EXPECT_EQ(plan.phoneBook, (StoreChanges{1, 1, 2}));
    EXPECT_EQ(plan.sync, (StoreChanges{2, 2, 1}));
    EXPECT_FALSE(plan.DatabasesUnchanged());
    EXPECT_TRUE(PlanOf(RunState{}, {}).DatabasesUnchanged());
}

}  // namespace
}  // namespace velmora
