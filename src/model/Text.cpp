#include "model/Text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace velmora {

namespace {

struct Decoded {
    char32_t codePoint;
    std::size_t length;  // bytes taken
};

// Decodes one UTF-8 sequence; nullopt for a malformed one (overlong forms,
// surrogates and values above U+10FFFF included).
std::optional<Decoded> DecodeAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > text.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return Decoded{value, length};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Bytes taken by the character at `at`: a malformed byte counts alone.
std::size_t CharLength(std::string_view text, std::size_t at) {
    const auto decoded = DecodeAt(text, at);
    return decoded ? decoded->length : 1;
}

char32_t ToUpper(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: even upper, odd lower, except two shifted runs.
        const bool oddUpperRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F || c == 0x130) return c;
        if (oddUpperRun) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t ToLower(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        const bool oddUpperRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F || c == 0x130) return c;
        if (oddUpperRun) return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

template <typename Map>
std::string MapCodePoints(std::string_view text, Map map) {
    // Most text the stores hold is ASCII (a card's every property name is
    // mapped): mapped byte by byte in place, without decoding.
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80)
        ++at;
    std::string out(text.substr(0, at));
    for (char& c : out)
        c = static_cast<char>(map(static_cast<char32_t>(c)));
    if (at == text.size()) return out;
    out.reserve(text.size());
    while (at < text.size()) {
        const auto decoded = DecodeAt(text, at);
        if (!decoded) {
            out += text[at];  // malformed bytes pass through untouched
            ++at;
            continue;
        }
        AppendUtf8(out, map(decoded->codePoint));
        at += decoded->length;
    }
    return out;
}

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {  // most text is ASCII
            ++at;
            continue;
        }
        const auto decoded = DecodeAt(text, at);
        if (!decoded) return false;
        at += decoded->length;
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += CharLength(text, at))
        ++count;
    return count;
}

std::string Utf8Left(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t taken = 0; taken < count && at < text.size(); ++taken) {
        at += CharLength(text, at);
    }
    return std::string(text.substr(0, at));
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80 && byte <= 0x9F) {
            AppendUtf8(out, kCp1252High[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

std::string ToUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

// The maps are given as lambdas, so that each call of them is inlined.
std::string ToUpperText(std::string_view text) {
    return MapCodePoints(text, [](char32_t c) { return ToUpper(c); });
}

std::string ToLowerText(std::string_view text) {
    return MapCodePoints(text, [](char32_t c) { return ToLower(c); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    // Nearly every text compared here is ASCII: it folds byte by byte, so the
    // first ASCII bytes that fold apart decide, and so do different lengths.
    if (a.size() == b.size()) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!ascii(a[i]) || !ascii(b[i])) return ToLowerText(a) == ToLowerText(b);
            if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
        }
        return true;
    }
    const auto allAscii = [&](std::string_view t) {
        return std::all_of(t.begin(), t.end(), ascii);
    };
    if (allAscii(a) && allAscii(b)) return false;
    return ToLowerText(a) == ToLowerText(b);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

}  // namespace velmora
