#include <gtest/gtest.h>

#include "stores/outlook/NumberText.h"

namespace velmora {
namespace {

TEST(NumberText, DigitsOnlyKeepsAsciiDigitsInOrder) {
    EXPECT_EQ(DigitsOnly("(555) 123-4567"), "5551234567");
    EXPECT_EQ(DigitsOnly("+1 555.123.4567 x12"), "1555123456712");
    EXPECT_EQ(DigitsOnly(""), "");
    EXPECT_EQ(DigitsOnly("call me"), "");
    EXPECT_EQ(DigitsOnly("٣4５6"), "46");  // other scripts' digits are not ASCII digits
}

// The masks apply to 7, 10 and 11 digits only; option 1 and other lengths
// come back unchanged.
TEST(NumberText, MaskPhoneNumberForms) {
    EXPECT_EQ(MaskPhoneNumber("5551234567", 2), "(555) 123-4567");
    EXPECT_EQ(MaskPhoneNumber("15551234567", 2), "1 (555) 123-4567");
    EXPECT_EQ(MaskPhoneNumber("1234567", 2), "123-4567");
    EXPECT_EQ(MaskPhoneNumber("5551234567", 3), "555-123-4567");
    EXPECT_EQ(MaskPhoneNumber("15551234567", 3), "1-555-123-4567");
    EXPECT_EQ(MaskPhoneNumber("1234567", 3), "123-4567");
    EXPECT_EQ(MaskPhoneNumber("5551234567", 4), "555.123.4567");
    EXPECT_EQ(MaskPhoneNumber("15551234567", 4), "1.555.123.4567");
    EXPECT_EQ(MaskPhoneNumber("1234567", 4), "123.4567");
    EXPECT_EQ(MaskPhoneNumber("5551234567", 1), "5551234567");
    for (std::uint8_t option = 1; option <= 4; ++option) {
        EXPECT_EQ(MaskPhoneNumber("12345", option), "12345");
        EXPECT_EQ(MaskPhoneNumber("123456789012", option), "123456789012");
        EXPECT_EQ(MaskPhoneNumber("", option), "");
        EXPECT_EQ(MaskPhoneNumber("éééééééééé", option), "éééééééééé");
    }
}

// A tag lists the speed dial of every non-empty number in NumberType order,
// and a prefix alone for a number without one.
TEST(NumberText, BuildSpeedDialTag) {
    SyncObject r;
    EXPECT_EQ(BuildSpeedDialTag(r), "");
    r.Work2Number = "5550000001";
    r.Work2Speed = "5";
    r.HomeSpeed = "9";  // no home number: left out
    r.MobileNumber = "5550000002";
    r.MobileSpeed = "3";
    EXPECT_EQ(BuildSpeedDialTag(r), "W2:5,M:3");
    r.EmailAddress = "a@b.c";
    r.DCNumber = "123*45*6";
    r.DCSpeed = "";
    r.OtherNumber = "1";
    r.OtherSpeed = "12";
    EXPECT_EQ(BuildSpeedDialTag(r), "W2:5,DC:,M:3,O:12,E:");

    SyncObject onlyEmail;
    onlyEmail.EmailAddress = "a@b.c";
    onlyEmail.EmailSpeed = "20";
    EXPECT_EQ(BuildSpeedDialTag(onlyEmail), "E:20");
}

TEST(NumberText, GetTagValueReadsWholeNumbers) {
    const std::string tag = "W2:5,H:12,M:3";
    EXPECT_EQ(GetTagValue("H:", tag), 12);
    EXPECT_EQ(GetTagValue("M:", tag), 3);
    EXPECT_EQ(GetTagValue("W2:", tag), 5);
    EXPECT_EQ(GetTagValue("H:", "H:07"), 7);
    EXPECT_EQ(GetTagValue("H:", "H:,M:3"), 0);
    EXPECT_EQ(GetTagValue("M:", "H:1,M:"), 0);
    EXPECT_EQ(GetTagValue("M:", "M: 1 2x"), 12);
    EXPECT_EQ(GetTagValue("M:", "M:abc"), 0);
    EXPECT_EQ(GetTagValue("M:", "M:99999999999999999999999"), INT64_MAX);
}

// Applying a tag sets only the kinds it names, never a number.
TEST(NumberText, ApplySpeedDialTag) {
    SyncObject r;
    r.HomeSpeed = "12";
    r.MobileNumber = "5550000002";
    ApplySpeedDialTag(r, "M:3");
    EXPECT_EQ(r.HomeSpeed, "12");
    EXPECT_EQ(r.MobileSpeed, "3");
    EXPECT_EQ(r.MobileNumber, "5550000002");

    ApplySpeedDialTag(r, "H:07,E:,W1:4");
    EXPECT_EQ(r.HomeSpeed, "7");
    EXPECT_EQ(r.EmailSpeed, "0");
    EXPECT_EQ(r.Work1Speed, "4");
    EXPECT_EQ(r.Work1Number, "");

    const SyncObject before = r;
    ApplySpeedDialTag(r, "");
    EXPECT_EQ(r, before);
}

}  // namespace
}  // namespace velmora
