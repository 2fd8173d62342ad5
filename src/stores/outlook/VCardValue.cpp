#include "stores/outlook/VCardValue.h"

#include <algorithm>
#include <array>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Character sets that older exports name; ISO-8859-1 is read as its superset
// Windows-1252, which is what such files hold in practice.
constexpr std::array<std::string_view, 8> kWestern{"ISO-8859-1",   "ISO8859-1",     "LATIN1",
                                                   "WINDOWS-1252", "CP1252",        "US-ASCII",
                                                   "ASCII",        "ANSI_X3.4-1968"};

std::string ToUtf8FromCharset(std::string_view bytes, std::string_view charset) {
    const std::string name = ToUpperText(charset);
    if (name.empty() || name == "UTF-8" || name == "UTF8") return ToUtf8(bytes);
    if (std::find(kWestern.begin(), kWestern.end(), name) != kWestern.end()) {
        return Windows1252ToUtf8(bytes);
    }
    throw Error("the character set " + std::string(charset) + " is not supported");
}

bool IsBase64(const VCardLine& line) {
    const std::string encoding = ToUpperText(ParamValue(line, "ENCODING"));
    return encoding == "B" || encoding == "BASE64" || HasType(line, "base64");
}

// The value's bytes after its transfer encoding, escapes still in place.
// Raw 8-bit bytes in a quoted-printable value are taken as they are.
std::string TransferDecoded(const VCardLine& line) {
    if (IsBase64(line)) {
        throw Error("the " + line.name + " value is in base64, which is not supported there");
    }
    return IsQuotedPrintable(line) ? DecodeQuotedPrintable(line.value) : line.value;
}

// Whether the value reads as it stands: no parameter but types (so no
// transfer encoding and no character set), valid UTF-8 and no escape. Nearly
// every value a run reads is, and a card's fields are read many times.
bool ReadsAsItStands(const VCardLine& line) {
    static constexpr std::array<std::string_view, 2> kEncodingTypes{"base64", "quoted-printable"};
    const auto typeParam = [](const std::string& param) {
        return param.size() >= 5 &&
               EqualsIgnoringCase(std::string_view(param).substr(0, 5), "TYPE=");
    };
    if (!std::all_of(line.params.begin(), line.params.end(), typeParam)) return false;
    if (!line.params.empty() && TypesOf(line, kEncodingTypes) != 0) return false;
    return line.value.find('\\') == std::string::npos && IsValidUtf8(line.value);
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'n' || next == 'N') {
            out += '\n';
        } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
            out += next;
        } else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

std::vector<std::string_view> SplitComponents(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == ';') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Escapes text for the version: 3.0 and 4.0 escape \ , ; and line breaks;
// 2.1 escapes \ and, between components, ';'. 2.1 line breaks travel as
// they are in quoted-printable, so that CR LF, LF and CR each read back.
std::string Escape(std::string_view text, VCardVersion version, bool component) {
    const bool v21 = version == VCardVersion::V21;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == ';' && (component || !v21)) {
            out += "\\;";
        } else if (c == ',' && !v21) {
            out += "\\,";
        } else if ((c == '\r' || c == '\n') && !v21) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool IsEncodingWord(std::string_view value) {
    const std::string word = ToUpperText(value);
    return word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "8BIT" || word == "7BIT";
}

// A parameter value as it can stand again after '=' (ParamValues took its
// quotes away).
std::string QuotedIfNeeded(const std::string& value) {
    return value.find_first_of(":;,") == std::string::npos ? value : '"' + value + '"';
}

// Drops the parameters that described the old value's encoding, also where
// they stand as types (TYPE=QUOTED-PRINTABLE, 2.1's bare QUOTED-PRINTABLE),
// so that nothing reads the new value as encoded.
void RemoveEncodingParams(std::vector<std::string>& params) {
    std::vector<std::string> kept;
    for (const std::string& param : params) {
        const std::string name = ParamName(param);
        if (name == "ENCODING" || name == "CHARSET") continue;
        const auto values = ParamValues(param);
        const bool typeList = name.empty() || name == "TYPE";
        if (!typeList || std::none_of(values.begin(), values.end(), IsEncodingWord)) {
            kept.push_back(param);
            continue;
        }
        std::string list;
        for (const std::string& value : values) {
            if (IsEncodingWord(value)) continue;
            list += (list.empty() ? "" : ",") + QuotedIfNeeded(value);
        }
        if (list.empty()) continue;
        kept.push_back(name.empty() ? list : param.substr(0, param.find('=') + 1) + list);
    }
    params = std::move(kept);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool HasNonAscii(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// 2.1 values beyond ASCII are written in 8-bit UTF-8 and say so; line breaks
// need quoted-printable. Neither is broken over lines, which is what other
// programs read best.
void SetEncodedValue(VCardLine& line, const std::string& escaped, VCardVersion version) {
    RemoveEncodingParams(line.params);
    line.value = escaped;
    if (version == VCardVersion::V21) {
        if (HasNonAscii(escaped)) line.params.emplace_back("CHARSET=UTF-8");
        if (HasLineBreak(escaped)) {
            line.params.emplace_back("ENCODING=QUOTED-PRINTABLE");
            line.value = EncodeQuotedPrintable(escaped);
        }
    }
    line.changed = true;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EncodeQuotedPrintable(std::string_view bytes) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool blank = byte == ' ' || byte == '\t';
        const bool plain = (byte >= 33 && byte <= 126 && byte != '=');
        if (plain || (blank && i + 1 < bytes.size())) {
            out += static_cast<char>(byte);
        } else {
            out += '=';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string DecodeText(const VCardLine& line) {
    if (ReadsAsItStands(line)) return line.value;
    return Unescape(ToUtf8FromCharset(TransferDecoded(line), ParamValue(line, "CHARSET")));
}

// Each component decides its own character set: older programs wrote a
// family name in Windows-1252 beside a given name in UTF-8.
std::vector<std::string> DecodeComponents(const VCardLine& line) {
    if (ReadsAsItStands(line)) {
        const std::vector<std::string_view> parts = SplitComponents(line.value);
        return {parts.begin(), parts.end()};
    }
    const std::string bytes = TransferDecoded(line);
    const std::string charset = ParamValue(line, "CHARSET");
    std::vector<std::string> components;
    for (const std::string_view part : SplitComponents(bytes))
        components.push_back(Unescape(ToUtf8FromCharset(part, charset)));
    return components;
}

void SetLineUri(VCardLine& line, std::string_view uri) {
    RemoveEncodingParams(line.params);
    line.value = std::string(uri);
    line.changed = true;
}

void SetLineText(VCardLine& line, std::string_view text, VCardVersion version) {
    SetEncodedValue(line, Escape(text, version, false), version);
}

void SetLineComponents(VCardLine& line, const std::vector<std::string>& components,
                       VCardVersion version) {
    std::string joined;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) joined += ';';
        joined += Escape(components[i], version, true);
    }
    SetEncodedValue(line, joined, version);
}

}  // namespace velmora
