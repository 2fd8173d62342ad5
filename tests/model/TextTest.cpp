#include <gtest/gtest.h>

#include "model/Text.h"

namespace velmora {
namespace {

// Cuts count code points, so a name is never cut inside a character.
TEST(Text, CutsCountCodePoints) {
    const std::string name = "Zoë Ångström-Øster";  // 18 characters, more bytes
    EXPECT_EQ(Utf8Length(name), 18u);
    EXPECT_EQ(Utf8Left(name, 5), "Zoë Å");
    EXPECT_EQ(Utf8Left(name, 100), name);
    EXPECT_EQ(Utf8Left("日本語テキスト", 2), "日本");
}

// Valid UTF-8 is kept; other bytes are read as Windows-1252.
TEST(Text, ReadsWindows1252WhenNotUtf8) {
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_EQ(ToUtf8("Zo\xEB"), "Zoë");
    EXPECT_EQ(ToUtf8("\x80 \x93quoted\x94"), "€ “quoted”");
    EXPECT_EQ(ToUtf8("Zoë"), "Zoë");
}

// Case folding covers the letters of names in common scripts.
TEST(Text, FoldsCaseBeyondAscii) {
    EXPECT_EQ(ToLowerText("ÅNGSTRÖM ŁUKASZ ΣΩ ДМИТРИЙ"), "ångström łukasz σω дмитрий");
    EXPECT_EQ(ToUpperText("ÿ straße"), "Ÿ STRAßE");
    EXPECT_TRUE(EqualsIgnoringCase("Zoë", "ZOË"));
    EXPECT_FALSE(EqualsIgnoringCase("Zoe", "Zoë"));
    EXPECT_FALSE(EqualsIgnoringCase("Zoé", "ZOË"));  // ASCII alike up to the accents
    EXPECT_TRUE(EqualsIgnoringCase("ÅSA", "åsa"));   // folded by code point past ASCII
    EXPECT_TRUE(EqualsIgnoringCase("Cell", "cELL"));
    EXPECT_FALSE(EqualsIgnoringCase("cell", "cel"));
    EXPECT_EQ(ToLowerText("A\xFF"), "a\xFF");  // a stray byte passes through
}

}  // namespace
}  // namespace velmora
