#include <gtest/gtest.h>

#include "engine/Records.h"
#include "model/NumberKinds.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using test::ParseRecord;
using test::Render;

// Name, every number and every speed dial take part, exactly and case by
// case; ID and flag do not.
TEST(RecordsEqual, ComparesNameNumbersAndSpeedDialsOnly) {
    const SyncObject base = ParseRecord("1:Ann:M:H=555/3,E=ann@x.org/4");
    SyncObject other = base;
    other.ContactID = "2";
    other.Flag = "";
    EXPECT_TRUE(RecordsEqual(base, other));

    other.ContactName = "ANN";
    EXPECT_FALSE(RecordsEqual(base, other));
    for (const NumberKindInfo& info : kNumberKinds) {
        SyncObject changed = base;
        changed.*info.number += "9";
        EXPECT_FALSE(RecordsEqual(base, changed)) << info.tagPrefix;
        changed = base;
        changed.*info.speed += "9";
        EXPECT_FALSE(RecordsEqual(base, changed)) << info.tagPrefix;
    }
    EXPECT_FALSE(RecordsEqual(ParseRecord("1:Ann::H=/"), ParseRecord("1:Ann::H= /")));
}

// The ID and values travel; the target's flag stays, and an empty one becomes "M".
TEST(CopyRecord, CopiesIdAndValuesAndMarksAnUnflaggedTarget) {
    const SyncObject source = ParseRecord("7:Bob:W:M=555/2,O=777/");
    SyncObject target = ParseRecord("3:Robert::H=111/9");
    CopyRecord(target, source);
    EXPECT_EQ(Render(target), "7:Bob:M:M=555/2,O=777/");

    SyncObject flagged = ParseRecord("3:Robert:N:H=111/9");
    CopyRecord(flagged, source);
    EXPECT_EQ(Render(flagged), "7:Bob:N:M=555/2,O=777/");
    EXPECT_EQ(Render(source), "7:Bob:W:M=555/2,O=777/");
}

}  // namespace
}  // namespace velmora
