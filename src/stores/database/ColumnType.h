#pragma once

#include <optional>
#include <string_view>

#include "stores/database/FieldValue.h"

namespace velmora {

// What a column holds, by its declared type (SQLite's type affinities).
enum class ColumnType {
    Integer,  // whole numbers
    Real,     // real numbers
    Numeric,  // whole or real numbers
    Text,     // texts
    Blob,     // anything, kept as given
};

// The type of a column declared as, say, "INTEGER", "VARCHAR(50)" or
// "DOUBLE", by SQLite's rules: "INT" makes it whole-number; "CHAR", "CLOB" or
// "TEXT" text; "BLOB" or nothing at all untyped; "REAL", "FLOA" or "DOUB" real;
// anything else numeric.
ColumnType ColumnTypeOfDeclaration(std::string_view declared);

// The words a message uses for the type: "whole-number", "text", ...
std::string_view ColumnTypeWord(ColumnType type);

// The type as a column declaration spells it: "INTEGER", "TEXT", ...
std::string_view ColumnTypeDeclaration(ColumnType type);

// A value converted to what a column of this type stores, as the phone book's
// first engine did: the text "12" into a whole-number column is 12, the
// number 12 into a text column is "12", 12.0 into a whole-number column is 12.
// nullopt when it does not convert: a text that is not a number ("", "abc")
// or a real with a fraction into a whole-number column, a text that is not a
// number into a real or numeric column. Null stays null.
std::optional<FieldValue> ConvertForColumn(const FieldValue& value, ColumnType type);

}  // namespace velmora
