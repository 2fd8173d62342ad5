#include "stores/database/ColumnType.h"

#include <array>
#include <string>

#include "model/Text.h"

namespace velmora {

namespace {

bool Contains(const std::string& upper, std::string_view part) {
    return upper.find(part) != std::string::npos;
}

std::optional<FieldValue> ToWholeNumber(const FieldValue& value) {
    const auto whole = WholeNumberOf(value);
    if (!whole) return std::nullopt;
    return FieldValue(*whole);
}

std::optional<FieldValue> ToReal(const FieldValue& value) {
    if (value.IsReal()) return value;
    if (value.IsWholeNumber()) return FieldValue(static_cast<double>(value.WholeNumber()));
    const auto parsed = ParseDecimal(value.Text());
    if (!parsed) return std::nullopt;
    return ToReal(*parsed);
}

// Whole numbers stay whole, and so do reals without a fraction.
std::optional<FieldValue> ToNumber(const FieldValue& value) {
    if (value.IsText()) {
        const auto parsed = ParseDecimal(value.Text());
        if (!parsed) return std::nullopt;
        return ToNumber(*parsed);
    }
    if (const auto whole = WholeNumberOf(value)) return FieldValue(*whole);
    return value;
}

struct ColumnTypeNames {
    ColumnType type;
    std::string_view word;
    std::string_view declaration;
};

constexpr std::array<ColumnTypeNames, 5> kColumnTypeNames{{
    {ColumnType::Integer, "whole-number", "INTEGER"},
    {ColumnType::Real, "real-number", "REAL"},
    {ColumnType::Numeric, "number", "NUMERIC"},
    {ColumnType::Text, "text", "TEXT"},
    {ColumnType::Blob, "untyped", "BLOB"},
}};

const ColumnTypeNames& NamesOf(ColumnType type) {
    return kColumnTypeNames[static_cast<std::size_t>(type)];
}

}  // namespace

ColumnType ColumnTypeOfDeclaration(std::string_view declared) {
    const std::string upper = ToUpperText(declared);
    if (Contains(upper, "INT")) return ColumnType::Integer;
    if (Contains(upper, "CHAR") || Contains(upper, "CLOB") || Contains(upper, "TEXT")) {
        return ColumnType::Text;
    }
    if (upper.empty() || Contains(upper, "BLOB")) return ColumnType::Blob;
    if (Contains(upper, "REAL") || Contains(upper, "FLOA") || Contains(upper, "DOUB")) {
        return ColumnType::Real;
    }
    return ColumnType::Numeric;
}

std::string_view ColumnTypeWord(ColumnType type) {
    return NamesOf(type).word;
}

std::string_view ColumnTypeDeclaration(ColumnType type) {
    return NamesOf(type).declaration;
}

std::optional<FieldValue> ConvertForColumn(const FieldValue& value, ColumnType type) {
    if (value.IsNull()) return value;
    switch (type) {
        case ColumnType::Integer:
            return ToWholeNumber(value);
        case ColumnType::Real:
            return ToReal(value);
        case ColumnType::Numeric:
            return ToNumber(value);
        case ColumnType::Text:
            return FieldValue(*TextOf(value));
        case ColumnType::Blob:
            break;
    }
    return value;
}

}  // namespace velmora
