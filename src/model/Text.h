#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Text in the core is UTF-8. "Characters" in every length rule are Unicode code
// points, so a cut never splits a character.

bool IsValidUtf8(std::string_view text);

// Number of code points in valid UTF-8 text (each invalid byte counts as one).
std::size_t Utf8Length(std::string_view text);

// The first `count` code points of the text.
std::string Utf8Left(std::string_view text, std::size_t count);

// Text in Windows-1252 (what older exports use) as UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

// Valid UTF-8 is returned as it is; anything else is read as Windows-1252.
std::string ToUtf8(std::string_view text);

// Upper and lower case of Latin, Greek and Cyrillic letters; other code
// points are kept. Enough for names, flags and e-mail addresses.
std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);

// Case-insensitive equality under the same folding.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// ASCII letters folded to lower case, every other byte kept: for names that
// are ASCII by definition (column names, vCard parameter names and types).
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace velmora
