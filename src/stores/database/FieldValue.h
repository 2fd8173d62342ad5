#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// One column value as a database delivers it: null, a whole number, a real
// number or a text.
class FieldValue {
  public:
    FieldValue() = default;  // null
    template <std::integral T>
    FieldValue(T value)
        : value_(static_cast<std::int64_t>(value)) {}  // NOLINT: implicit on purpose
    template <std::floating_point T>
    FieldValue(T value) : value_(static_cast<double>(value)) {}         // NOLINT
    FieldValue(std::string value) : value_(std::move(value)) {}         // NOLINT
    FieldValue(std::string_view value) : value_(std::string(value)) {}  // NOLINT
    FieldValue(const char* value) : value_(std::string(value)) {}       // NOLINT

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsWholeNumber() const { return std::holds_alternative<std::int64_t>(value_); }
    bool IsReal() const { return std::holds_alternative<double>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }

    // The value of the kind asked for; asking for another kind throws.
    std::int64_t WholeNumber() const { return std::get<std::int64_t>(value_); }
    double Real() const { return std::get<double>(value_); }
    const std::string& Text() const { return std::get<std::string>(value_); }

    bool operator==(const FieldValue&) const = default;

  private:
    std::variant<std::monostate, std::int64_t, double, std::string> value_;
};

// The plain text of a value: whole numbers in decimal with their sign, reals
// in their shortest exact form (7 rather than 7.0), texts as they are;
// nullopt for null.
std::optional<std::string> TextOf(const FieldValue& value);

// The value as a whole number: a whole number, a real without a fraction, or
// a text holding one (blanks around it allowed); nullopt otherwise.
std::optional<std::int64_t> WholeNumberOf(const FieldValue& value);

// How a value is quoted in a message: null, 12, 2.5, "abc".
std::string DescribeValue(const FieldValue& value);

// The shortest text that reads back as the same real number.
std::string FormatReal(double value);

// A decimal number written as text (optional sign, digits, optional fraction
// and exponent, blanks around it): a whole number when it has no fraction and
// fits, a real otherwise; nullopt for anything else ("", "abc", "0x10", "inf").
std::optional<FieldValue> ParseDecimal(std::string_view text);

}  // namespace velmora
