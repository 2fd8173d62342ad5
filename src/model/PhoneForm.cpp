#include "model/PhoneForm.h"

#include "model/Text.h"

namespace velmora {

std::string PhoneName(std::string_view name) {
    return Utf8Left(name, kPhoneNameLength);
}

std::optional<std::string> PlainContactId(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty()) return std::string();
    if (text.front() == '+') text.remove_prefix(1);
    // A fraction of zeros only ("7.0", "7.") is the whole number written by a
    // program that stores numbers as decimals.
    if (const std::size_t point = text.find('.'); point != std::string_view::npos) {
        if (text.find_first_not_of('0', point + 1) != std::string_view::npos) return std::nullopt;
        text = text.substr(0, point);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    static constexpr std::string_view kLargest = "9223372036854775807";
    if (text == "0") return std::nullopt;
    if (text.size() > kLargest.size() || (text.size() == kLargest.size() && text > kLargest)) {
        return std::nullopt;
    }
    return std::string(text);
}

}  // namespace velmora
