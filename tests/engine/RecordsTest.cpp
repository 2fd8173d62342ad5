#include <gtest/gtest.h>

#include "engine/Records.h"
#include "model/NumberKinds.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using test::ParseRecord;

// Name, every number and every speed dial take part, exactly and case by
// case; ID and flag do not.
TEST(RecordsEqual, ComparesNameNumbersAndSpeedDialsOnly) {
    const SyncObject base = ParseRecord("1:Ann:M:H=555/3,E=ann@x.org/4");
    EXPECT_TRUE(RecordsEqual(base, ParseRecord("2:Ann::H=555/3,E=ann@x.org/4")));
    EXPECT_FALSE(RecordsEqual(base, ParseRecord("1:ANN:M:H=555/3,E=ann@x.org/4")));
    for (const NumberKindInfo& info : kNumberKinds) {
        for (std::string SyncObject::*field : {info.number, info.speed}) {
            SyncObject changed = base;
            changed.*field += "9";
            EXPECT_FALSE(RecordsEqual(base, changed)) << info.tagPrefix;
        }
    }
}

}  // namespace
}  // namespace velmora
