#include <gtest/gtest.h>

#include "engine/UsedNumbers.h"

namespace velmora {
namespace {

// The smallest free number fills gaps, ignores texts that can never equal a
// handed-out value, and comes back down when the last holder of a value lets go.
TEST(UsedNumbers, HandsOutTheSmallestNumberNoFieldHolds) {
    UsedNumbers used;
    EXPECT_EQ(used.SmallestFree(), "1");
    for (const char* text : {"1", "2", "4", "03", "0", " 3", "3a", "", "99999999999999999999"})
        used.Add(text);
    EXPECT_EQ(used.SmallestFree(), "3");

    std::string field;
    used.Assign(field, used.SmallestFree());
    EXPECT_EQ(field, "3");
    EXPECT_EQ(used.SmallestFree(), "5");

    used.Add("2");  // a second field holds 2
    used.Remove("2");
    EXPECT_EQ(used.SmallestFree(), "5");
    used.Remove("2");
    EXPECT_EQ(used.SmallestFree(), "2");

    used.Assign(field, "");  // the field let go of 3
    used.Remove("1");
    EXPECT_EQ(used.SmallestFree(), "1");
    used.Remove("7");  // never held: no effect
    used.Add("1");
    used.Add("2");
    EXPECT_EQ(used.SmallestFree(), "3");
}

}  // namespace
}  // namespace velmora
