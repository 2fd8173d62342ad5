#include <gtest/gtest.h>

#include "stores/database/ColumnType.h"

namespace velmora {
namespace {

// Values read as text keep their sign and drop a zero fraction; numbers
// written as text are read strictly (no hexadecimal, no "inf", nothing after
// the number), with the whole range of whole numbers.
TEST(FieldValue, TextsAndNumbersConvertBothWays) {
    EXPECT_EQ(TextOf(FieldValue(-5)), "-5");
    EXPECT_EQ(TextOf(FieldValue(7.0)), "7");
    EXPECT_EQ(TextOf(FieldValue(1e20)), "1e+20");
    EXPECT_EQ(ParseDecimal(" -9223372036854775808 "), FieldValue(INT64_MIN));
    EXPECT_EQ(ParseDecimal("9223372036854775808"), FieldValue(9223372036854775808.0));
    EXPECT_EQ(ParseDecimal("+1e3"), FieldValue(1000.0));
    EXPECT_EQ(ParseDecimal(".5"), FieldValue(0.5));
    for (const char* text : {"", " ", "-", "12abc", "0x10", "inf", "nan", "1e", "1 2", "."})
        EXPECT_EQ(ParseDecimal(text), std::nullopt) << text;
    EXPECT_EQ(WholeNumberOf(FieldValue("1e3")), 1000);
    EXPECT_EQ(WholeNumberOf(FieldValue(1e19)), std::nullopt);
}

// Declared types map to what a column holds by SQLite's rules, including the
// types an older manager program may have declared.
TEST(ColumnType, DeclaredTypesFollowSqliteRules) {
    const std::pair<const char*, ColumnType> declared[] = {{"smallint", ColumnType::Integer},
                                                           {"VARCHAR(50)", ColumnType::Text},
                                                           {"DOUBLE", ColumnType::Real},
                                                           {"", ColumnType::Blob},
                                                           {"BYTE", ColumnType::Numeric}};
    for (const auto& [declaration, type] : declared)
        EXPECT_EQ(ColumnTypeOfDeclaration(declaration), type) << declaration;
    EXPECT_EQ(ConvertForColumn(FieldValue(12.0), ColumnType::Numeric), FieldValue(12));
    EXPECT_EQ(ConvertForColumn(FieldValue("abc"), ColumnType::Blob), FieldValue("abc"));
}

}  // namespace
}  // namespace velmora
