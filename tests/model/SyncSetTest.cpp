#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Error.h"
#include "model/SyncSet.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using test::ParseSet;

// Positions are 1-based and checked; a record keeps its address while the set grows.
TEST(SyncSet, PositionsRemovalAndIdentity) {
    SyncSet set = ParseSet("1:Ann:: | 2:Bob:: | 3:Cy::");
    SyncObject& first = set.Item(1);
    for (int i = 0; i < 100; ++i)
        set.Append({});
    EXPECT_EQ(&set.Item(1), &first);
    set.Remove(2);
    EXPECT_EQ(set.Item(2).ContactID, "3");
    EXPECT_EQ(set.Count(), 102);
    EXPECT_THROW(set.Item(0), Error);
    EXPECT_THROW(set.Remove(103), Error);
    ClearSet(set);
    EXPECT_THROW(set.Item(1), Error);
}

// The lookup returns the last exact match, or 0.
TEST(SyncSet, LookupFindsTheLastExactMatch) {
    const SyncSet set = ParseSet("12:Ann:: | :ann:: | 12:Bob:: | :Ann ::M=1/ | 7:Cy::");
    EXPECT_EQ(FindByContactID("12", set), 3);
    EXPECT_EQ(FindByContactID("012", set), 0);
    EXPECT_EQ(FindByContactID("", set), 4);
}

// The ID index follows the set's changes and notices one behind its back.
TEST(SyncSet, IdIndexFollowsChanges) {
    SyncSet set = ParseSet("12:Ann:: | 7:Bob:: | 12:Cy:: | 9:Dee::");
    set.ChangeContactID(set.Item(3), "7");
    EXPECT_EQ(FindByContactID("12", set), 1);
    EXPECT_EQ(FindByContactID("7", set), 3);
    set.ChangeContactID(set.Item(1), "7");
    EXPECT_EQ(FindByContactID("7", set), 3);
    set.Remove(2);
    EXPECT_EQ(FindByContactID("7", set), 2);
    EXPECT_EQ(FindByContactID("9", set), 3);
    set.Remove(3);
    EXPECT_EQ(FindByContactID("9", set), 0);
    set.CloneNew(ParseSet("9:Eve::").Item(1));
    EXPECT_EQ(FindByContactID("9", set), 3);
    SyncObject stranger;
    EXPECT_THROW(set.ChangeContactID(stranger, "1"), Error);
#ifndef NDEBUG
    set.Item(1).ContactID = "5";  // behind the index's back
    EXPECT_THROW(FindByContactID("5", set), Error);
#endif
}

// Many records without an ID get theirs in set order (a first run), some
// out of order, one gets none back: every lookup and every list of positions
// stays as walking the set would give it.
TEST(SyncSet, IdIndexFollowsManyRecordsLeavingOneId) {
    SyncSet set;
    for (int i = 0; i < 40; ++i)
        set.Append({});
    set.ChangeContactID(set.Item(30), "x");
    for (int position = 1; position <= 25; ++position) {
        set.ChangeContactID(set.Item(position), std::to_string(position));
        EXPECT_EQ(FindByContactID("", set), 40);
    }
    set.ChangeContactID(set.Item(3), "");
    set.ChangeContactID(set.Item(40), "y");
    const std::span<const int> left = set.PositionsOfContactID("");
    EXPECT_EQ(std::vector<int>(left.begin(), left.end()),
              (std::vector<int>{3, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37, 38, 39}));
    EXPECT_EQ(FindByContactID("", set), 39);
    for (const int position : {3, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37, 38, 39})
        set.ChangeContactID(set.Item(position), "z");
    EXPECT_EQ(FindByContactID("", set), 0);
    EXPECT_TRUE(set.PositionsOfContactID("").empty());
    set.Append({});
    EXPECT_EQ(FindByContactID("", set), 41);
    EXPECT_EQ(FindByContactID("z", set), 39);
}

}  // namespace
}  // namespace velmora
