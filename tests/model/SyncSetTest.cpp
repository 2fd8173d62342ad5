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

}  // namespace
}  // namespace velmora
