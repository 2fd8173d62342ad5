#include "stores/database/FieldValue.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace velmora {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reals from -2^63 up to (not including) 2^63 without a fraction.
std::optional<std::int64_t> WholeReal(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!std::isfinite(value) || value != std::trunc(value)) return std::nullopt;
    if (value < -kLimit || value >= kLimit) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

// Digits with an optional fraction and exponent, nothing else: from_chars
// alone would also take "inf", "nan" and hexadecimal forms.
bool IsDecimalSyntax(std::string_view text, bool& whole) {
    std::size_t at = 0;
    std::size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++digits;
    }
    whole = true;
    if (at < text.size() && text[at] == '.') {
        whole = false;
        ++at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        whole = false;
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        const std::size_t exponentStart = at;
        while (at < text.size() && IsDigit(text[at]))
            ++at;
        if (at == exponentStart) return false;
    }
    return at == text.size();
}

}  // namespace

std::string FormatReal(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::optional<FieldValue> ParseDecimal(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool whole = false;
    if (!IsDecimalSyntax(text, whole)) return std::nullopt;
    if (whole) {
        // Parse with the sign so that the lowest whole number fits.
        const std::string signedText = (negative ? "-" : "") + std::string(text);
        std::int64_t number = 0;
        const auto result =
            std::from_chars(signedText.data(), signedText.data() + signedText.size(), number);
        if (result.ec == std::errc{} && result.ptr == signedText.data() + signedText.size()) {
            return FieldValue(number);
        }
    }
    double real = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), real);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return std::nullopt;
    return FieldValue(negative ? -real : real);
}

std::optional<std::string> TextOf(const FieldValue& value) {
    if (value.IsWholeNumber()) return std::to_string(value.WholeNumber());
    if (value.IsReal()) return FormatReal(value.Real());
    if (value.IsText()) return value.Text();
    return std::nullopt;
}

std::optional<std::int64_t> WholeNumberOf(const FieldValue& value) {
    if (value.IsWholeNumber()) return value.WholeNumber();
    if (value.IsReal()) return WholeReal(value.Real());
    if (value.IsText()) {
        const auto parsed = ParseDecimal(value.Text());
        if (parsed) return WholeNumberOf(*parsed);
    }
    return std::nullopt;
}

std::string DescribeValue(const FieldValue& value) {
    if (value.IsNull()) return "null";
    if (value.IsText()) return "\"" + value.Text() + "\"";
    return *TextOf(value);
}

}  // namespace velmora
