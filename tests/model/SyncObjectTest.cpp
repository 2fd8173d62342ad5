#include <gtest/gtest.h>

#include "model/NumberKinds.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using test::ParseRecord;
using test::Render;

// The eighteen texts share one buffer: each keeps its own value whatever
// order they are set in, as they grow, shrink or empty, and from a view of
// the record itself; records holding the same values compare equal.
TEST(SyncObject, TextsStayApartInTheirSharedBuffer) {
    SyncObject record;
    for (auto kind = kNumberKinds.rbegin(); kind != kNumberKinds.rend(); ++kind) {
        record.SetSpeed(kind->kind, std::to_string(kind->numberType));
        record.SetNumber(kind->kind, "55501" + std::to_string(kind->numberType));
    }
    record.SetNumber(NumberKind::Home, "");
    record.SetSpeed(NumberKind::Work2, "a speed dial longer than any other text here");
    record.SetNumber(NumberKind::Email, record.Number(NumberKind::Fax));
    record.SetSpeed(NumberKind::Fax, record.Number(NumberKind::Mobile).substr(3));
    EXPECT_EQ(Render(record),
              ":::W2=555010/a speed dial longer than any other text here,DC=555011/1,H=/2,"
              "W1=555013/3,M=555014/4,F=555015/014,P=555016/6,O=555019/9,E=555015/10");

    SyncObject same = ParseRecord(Render(record));
    EXPECT_EQ(same, record);
    same.SetSpeed(NumberKind::Email, "1");
    EXPECT_NE(same, record);
}

}  // namespace
}  // namespace velmora
