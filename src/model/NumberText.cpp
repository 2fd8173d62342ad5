#include "model/NumberText.h"

#include <algorithm>
#include <limits>

#include "model/NumberKinds.h"
#include "model/Text.h"

namespace velmora {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char KeypadDigit(char letter) {
    static constexpr std::string_view kKeys = "22233344455566677778889999";
    return kKeys[static_cast<std::size_t>(AsciiLower(letter) - 'a')];
}

bool IsExtensionWord(std::string_view word) {
    for (const std::string_view known : {"x", "ext", "extn", "extension"}) {
        if (EqualsIgnoringAsciiCase(word, known)) return true;
    }
    return false;
}

}  // namespace

std::string DigitsOnly(std::string_view text) {
    std::string digits;
    const std::size_t first = text.find_first_not_of(" \t");
    // The phone dials "+" as the international prefix: without it the number
    // is another one.
    if (first != std::string_view::npos && text[first] == '+') digits += '+';
    for (std::size_t i = 0; i < text.size();) {
        if (IsDigit(text[i])) {
            digits += text[i++];
            continue;
        }
        if (!IsAsciiLetter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsAsciiLetter(text[end]))
            ++end;
        const std::string_view word = text.substr(i, end - i);
        // "x12" and "ext. 12" mark an extension; any other word is dialled on
        // the keypad, as in 1-800-FLOWERS.
        if (!IsExtensionWord(word)) {
            for (const char letter : word)
                digits += KeypadDigit(letter);
        }
        i = end;
    }
    return digits;
}

std::string MaskPhoneNumber(std::string_view digits, std::uint8_t maskOption) {
    // A text that is not all digits is never cut into groups.
    const bool allDigits = std::all_of(digits.begin(), digits.end(), IsDigit);
    if (maskOption < 2 || maskOption > 4 || !allDigits) return std::string(digits);
    const std::string sep = maskOption == 4 ? "." : "-";
    const auto part = [&](std::size_t from, std::size_t count) {
        return std::string(digits.substr(from, count));
    };
    switch (digits.size()) {
        case 7:
            return part(0, 3) + sep + part(3, 4);
        case 10:
            if (maskOption == 2) return "(" + part(0, 3) + ") " + part(3, 3) + "-" + part(6, 4);
            return part(0, 3) + sep + part(3, 3) + sep + part(6, 4);
        case 11:
            if (maskOption == 2) {
                return part(0, 1) + " (" + part(1, 3) + ") " + part(4, 3) + "-" + part(7, 4);
            }
            return part(0, 1) + sep + part(1, 3) + sep + part(4, 3) + sep + part(7, 4);
        default:
            return std::string(digits);
    }
}

std::string BuildSpeedDialTag(const SyncObject& record) {
    std::string tag;
    for (const auto& kind : kNumberKinds) {
        if (record.Number(kind.kind).empty()) continue;
        if (!tag.empty()) tag += ',';
        tag += kind.tagPrefix;
        tag += record.Speed(kind.kind);
    }
    return tag;
}

std::int64_t GetTagValue(std::string_view prefix, std::string_view tag) {
    const auto found = tag.find(prefix);
    if (found == std::string_view::npos) return 0;
    std::string_view value = tag.substr(found + prefix.size());
    value = value.substr(0, value.find(','));

    // A leading decimal number; blanks are skipped and reading stops at the
    // first character that cannot continue it. Too many digits saturate.
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < value.size() && (value[at] == ' ' || value[at] == '\t'))
            ++at;
    };
    skipBlanks();
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t number = 0;
    for (skipBlanks(); at < value.size() && IsDigit(value[at]); ++at, skipBlanks()) {
        const int digit = value[at] - '0';
        number = number > (kMax - digit) / 10 ? kMax : number * 10 + digit;
    }
    return negative ? -number : number;
}

void ApplySpeedDialTag(SyncObject& record, std::string_view tag) {
    for (const auto& kind : kNumberKinds) {
        const auto found = tag.find(kind.tagPrefix);
        if (found == std::string_view::npos) continue;
        // Read from where the prefix was found, without looking for it again.
        record.SetSpeed(kind.kind, std::to_string(GetTagValue(kind.tagPrefix, tag.substr(found))));
    }
}

}  // namespace velmora
