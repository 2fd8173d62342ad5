#include <gtest/gtest.h>

#include "engine/NamePrompt.h"

namespace velmora {
namespace {

// File As and the name field in use must have a value.
TEST(NameOK, RequiresFileAsAndTheNameFieldInUse) {
    const NameValues noFull{"Ann", "Smith", "", "Smith, Ann"};
    EXPECT_EQ(NameOK(noFull, "Full Name"),
              "The 'New File As' and 'New Full Name' fields must each have a value.");
    EXPECT_EQ(NameOK(noFull, "File As"), std::nullopt);
    EXPECT_EQ(NameOK({"", "", "Ann Smith", ""}, "File As"),
              "The 'New File As' and 'New File As' fields must each have a value.");
    EXPECT_EQ(NameOK({"", "", "Ann Smith", "Smith, Ann"}, "Full Name"), std::nullopt);
    EXPECT_EQ(NameOK({"", "", "", "Annie"}, "Nickname"), std::nullopt);
    EXPECT_EQ(NameOK({"Ann", "", "Ann", ""}, "Nickname"),
              "The 'New File As' field must have a value.");
}

}  // namespace
}  // namespace velmora
