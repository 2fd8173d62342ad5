#include <gtest/gtest.h>

#include "model/NumberText.h"

namespace velmora {
namespace {

// Digits keep ASCII digits; the masks apply to 7, 10 and 11 digits only.
TEST(NumberText, DigitsAndMasks) {
    EXPECT_EQ(DigitsOnly("+1 555.123.4567 x12"), "+1555123456712");
    EXPECT_EQ(DigitsOnly(" +44 (20) 7946-0007"), "+442079460007");
    EXPECT_EQ(DigitsOnly("1-800-FLOWERS"), "18003569377");
    EXPECT_EQ(DigitsOnly("555 0101 ext. 7"), "55501017");
    EXPECT_EQ(DigitsOnly("00+1 555"), "001555");  // only a leading "+" counts
    EXPECT_EQ(DigitsOnly("٣4５6"), "46");         // other scripts' digits are not ASCII digits
    const struct {
        std::string digits;
        std::string masked[4];  // options 1 to 4
    } cases[] = {
        {"5551234567", {"5551234567", "(555) 123-4567", "555-123-4567", "555.123.4567"}},
        {"15551234567", {"15551234567", "1 (555) 123-4567", "1-555-123-4567", "1.555.123.4567"}},
        {"1234567", {"1234567", "123-4567", "123-4567", "123.4567"}},
        {"12345", {"12345", "12345", "12345", "12345"}},
        {"123456789012", {"123456789012", "123456789012", "123456789012", "123456789012"}},
        {"ééééé", {"ééééé", "ééééé", "ééééé", "ééééé"}},  // ten bytes, not digits
    };
    for (const auto& [digits, masked] : cases) {
        for (std::uint8_t option = 1; option <= 4; ++option)
            EXPECT_EQ(MaskPhoneNumber(digits, option), masked[option - 1]) << digits;
    }
}

// Tag values are whole numbers after their prefix.
TEST(NumberText, TagValues) {
    EXPECT_EQ(GetTagValue("H:", "W2:5,H:12,M:3"), 12);
    EXPECT_EQ(GetTagValue("H:", "H:07"), 7);
    EXPECT_EQ(GetTagValue("H:", "H:,M:3"), 0);
    EXPECT_EQ(GetTagValue("M:", "M: 1 2x"), 12);
    EXPECT_EQ(GetTagValue("M:", "M:abc"), 0);
    EXPECT_EQ(GetTagValue("M:", "M:99999999999999999999999"), INT64_MAX);
}

}  // namespace
}  // namespace velmora
