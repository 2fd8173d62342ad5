#include <gtest/gtest.h>

#include "model/Error.h"
#include "model/SyncSet.h"

namespace velmora {
namespace {

SyncObject Record(std::string id, std::string name) {
    SyncObject r;
    r.ContactID = std::move(id);
    r.ContactName = std::move(name);
    return r;
}

std::string Ids(const SyncSet& set) {
    std::string ids;
    for (const SyncObject& r : set)
        ids += (ids.empty() ? "" : ",") + r.ContactID;
    return ids;
}

// An empty set: nothing to find, clear or walk.
TEST(SyncSet, EmptySetHasNothing) {
    SyncSet set;
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(FindByContactID("1", set), 0);
    EXPECT_EQ(FindByContactName("", set), 0);
    ClearSet(set);
    EXPECT_EQ(set.begin(), set.end());
    EXPECT_THROW(set.Item(1), Error);
}

// Positions are 1-based, removal shifts later records down, and records keep
// their identity while the set grows.
TEST(SyncSet, PositionsRemovalAndIdentity) {
    SyncSet set;
    SyncObject& first = set.Append(Record("1", "Ann"));
    set.Append(Record("2", "Bob"));
    set.Append(Record("3", "Cy"));
    for (int i = 0; i < 100; ++i)
        set.Append(Record("x", "filler"));
    first.ContactName = "Anne";  // the reference still points into the set
    EXPECT_EQ(set.Item(1).ContactName, "Anne");
    EXPECT_EQ(FindByContactName("Anne", set), 1);

    set.Remove(2);
    EXPECT_EQ(set.Item(2).ContactID, "3");
    EXPECT_EQ(set.Count(), 102);
    EXPECT_THROW(set.Item(0), Error);
    EXPECT_THROW(set.Remove(103), Error);

    ClearSet(set);
    EXPECT_EQ(set.Count(), 0);
}

// Lookups compare exactly and return the last match; an empty text finds the
// last record whose field is empty.
TEST(SyncSet, LookupsFindTheLastExactMatch) {
    SyncSet set;
    set.Append(Record("12", "Ann"));
    set.Append(Record("", "ann"));
    set.Append(Record("12", "Bob"));
    set.Append(Record("", "Ann "));
    set.Append(Record("7", "Cy"));

    EXPECT_EQ(FindByContactID("12", set), 3);
    EXPECT_EQ(FindByContactID("012", set), 0);
    EXPECT_EQ(FindByContactID("", set), 4);
    EXPECT_EQ(FindByContactName("Ann", set), 1);
    EXPECT_EQ(FindByContactName("ANN", set), 0);
    EXPECT_EQ(FindByContactName("Ann ", set), 4);
    EXPECT_EQ(FindByContactName("", set), 0);
}

// CloneNew copies every field of another set's record but flags the copy "N"
// and leaves the source alone.
TEST(SyncSet, CloneNewCopiesDataAndFlagsNew) {
    SyncSet source;
    SyncObject& m = source.Append(Record("5", "Ann"));
    m.Flag = "M";
    m.MobileNumber = "5551234567";
    m.MobileSpeed = "3";
    m.EmailAddress = "ann@example.com";

    SyncSet target;
    target.Append(Record("1", "Other"));
    SyncObject& copy = target.CloneNew(m);

    EXPECT_EQ(&copy, &target.Item(target.Count()));
    EXPECT_EQ(copy.Flag, "N");
    SyncObject expected = m;
    expected.Flag = "N";
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(m.Flag, "M");
    EXPECT_EQ(Ids(target), "1,5");
}

}  // namespace
}  // namespace velmora
