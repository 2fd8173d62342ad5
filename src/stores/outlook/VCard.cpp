#include "stores/outlook/VCard.h"

#include <algorithm>
#include <optional>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kFoldWidth = 75;  // octets per physical line before folding

struct PhysicalLine {
    std::string_view text;
    std::string_view ending;  // "\r\n", "\n", "\r" or "" at the end of the file
    int number = 0;
};

std::vector<PhysicalLine> SplitPhysicalLines(std::string_view bytes) {
    std::vector<PhysicalLine> lines;
    int number = 1;
    for (std::size_t at = 0; at < bytes.size(); ++number) {
        const std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            lines.push_back({bytes.substr(at), {}, number});
            break;
        }
        const std::size_t breakLength = bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({bytes.substr(at, end - at), bytes.substr(end, breakLength), number});
        at = end + breakLength;
    }
    return lines;
}

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Splits `text` at every `separator` that is not inside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == separator && !quoted) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Fills name, parameters and value of a logical line; false when it has no
// ':' between name and value, or no name.
bool SplitProperty(std::string_view logical, VCardLine& line) {
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < logical.size() && colon == std::string_view::npos; ++i) {
        if (logical[i] == '"') quoted = !quoted;
        if (logical[i] == ':' && !quoted) colon = i;
    }
    if (colon == std::string_view::npos) return false;
    const auto head = SplitOutsideQuotes(logical.substr(0, colon), ';');
    line.nameText = std::string(head.front());
    const std::string_view name = Trim(head.front());
    const std::size_t dot = name.rfind('.');
    line.name = ToUpperText(dot == std::string_view::npos ? name : name.substr(dot + 1));
    line.params.assign(head.begin() + 1, head.end());
    line.value = std::string(logical.substr(colon + 1));
    return !line.name.empty();
}

bool IsCardMarker(const VCardLine& line, std::string_view name) {
    return line.name == name && EqualsIgnoringCase(Trim(line.value), "VCARD");
}

VCardVersion VersionOf(const VCard& card) {
    for (const VCardLine& line : card.lines) {
        if (line.nested || line.name != "VERSION") continue;
        const std::string_view version = Trim(line.value);
        if (version == "2.1") return VCardVersion::V21;
        if (version == "4.0") return VCardVersion::V40;
        return VCardVersion::V30;
    }
    return VCardVersion::V30;
}

// Reads the cards of one file, line by line.
class VCardFileParser {
  public:
    VCardFileParser(std::string_view bytes, const std::filesystem::path& path)
        : path_(path), lines_(SplitPhysicalLines(bytes)) {}

    VCardFileContent Parse(std::string prefix) {
        VCardFileContent content;
        std::string gap = std::move(prefix);
        while (next_ < lines_.size()) {
            const PhysicalLine& line = lines_[next_];
            if (IsBlank(line.text)) {
                gap += std::string(line.text) + std::string(line.ending);
                ++next_;
                continue;
            }
            VCardLine begin = ReadLogicalLine();
            if (!IsCardMarker(begin, "BEGIN")) {
                FailAtLine(path_, begin.lineNumber, "a card must start with BEGIN:VCARD");
            }
            content.gaps.push_back(std::move(gap));
            gap.clear();
            content.cards.push_back(ReadCard(std::move(begin), line.ending));
        }
        content.gaps.push_back(std::move(gap));
        return content;
    }

  private:
    VCard ReadCard(VCardLine begin, std::string_view beginEnding) {
        VCard card;
        card.lineBreak = beginEnding.empty() ? std::string("\r\n") : std::string(beginEnding);
        const int beginLine = begin.lineNumber;
        card.lines.push_back(std::move(begin));
        int depth = 0;  // cards embedded in this one
        while (next_ < lines_.size()) {
            VCardLine line = ReadLogicalLine();
            if (IsCardMarker(line, "END") && depth == 0) {
                card.lines.push_back(std::move(line));
                card.version = VersionOf(card);
                return card;
            }
            if (IsCardMarker(line, "BEGIN")) ++depth;
            line.nested = depth > 0;
            if (IsCardMarker(line, "END")) --depth;
            card.lines.push_back(std::move(line));
        }
        FailAtLine(path_, beginLine, "the card that starts here is not closed by END:VCARD");
    }

    // One property: a physical line with its folded continuations (a leading
    // blank or tab) and quoted-printable soft line breaks (a trailing '=').
    VCardLine ReadLogicalLine() {
        VCardLine line;
        const PhysicalLine& first = lines_[next_++];
        line.lineNumber = first.number;
        std::string logical(first.text);
        line.raw = std::string(first.text) + std::string(first.ending);
        while (next_ < lines_.size()) {
            const PhysicalLine& more = lines_[next_];
            if (IsSoftLineBreak(logical, more)) {
                logical.pop_back();
                logical += more.text;
            } else if (!more.text.empty() && (more.text[0] == ' ' || more.text[0] == '\t')) {
                logical += more.text.substr(1);
            } else {
                break;
            }
            line.raw += std::string(more.text) + std::string(more.ending);
            ++next_;
        }
        if (logical.empty()) return line;  // an empty line inside a card, kept as it is
        if (!SplitProperty(logical, line)) {
            FailAtLine(path_, line.lineNumber,
                       "the line has no property name followed by ':' and a value");
        }
        return line;
    }

    static bool IsSoftLineBreak(std::string_view logical, const PhysicalLine& next) {
        if (logical.empty() || logical.back() != '=') return false;
        VCardLine probe;
        if (!SplitProperty(logical, probe) || !IsQuotedPrintable(probe)) return false;
        // Some writers end a value with a stray '='; the card's end is never part of it.
        VCardLine nextLine;
        return !(SplitProperty(next.text, nextLine) && IsCardMarker(nextLine, "END"));
    }

    const std::filesystem::path& path_;
    std::vector<PhysicalLine> lines_;
    std::size_t next_ = 0;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Folds a line at kFoldWidth octets with a blank starting each continuation,
// never inside a UTF-8 character.
std::string FoldLine(std::string_view text, std::string_view lineBreak) {
    std::string folded;
    std::size_t width = kFoldWidth;
    while (text.size() > width) {
        std::size_t cut = width;
        while (cut > 1 && IsContinuationByte(text[cut]))
            --cut;
        folded += std::string(text.substr(0, cut)) + std::string(lineBreak) + " ";
        text.remove_prefix(cut);
        width = kFoldWidth - 1;
    }
    return folded + std::string(text);
}

// Breaks a quoted-printable line with soft line breaks ('=' at the end) within
// its value, never inside an =XX triplet.
std::string FoldQuotedPrintable(std::string_view text, std::size_t valueStart,
                                std::string_view lineBreak) {
    std::string folded;
    const std::size_t width = kFoldWidth - 1;  // room for the '='
    while (text.size() > width && valueStart < width) {
        std::size_t cut = width;
        if (text[cut - 1] == '=') {
            cut -= 1;
        } else if (text[cut - 2] == '=') {
            cut -= 2;
        }
        if (cut <= valueStart) break;
        folded += std::string(text.substr(0, cut)) + "=" + std::string(lineBreak);
        text.remove_prefix(cut);
        valueStart = 0;
    }
    return folded + std::string(text);
}

}  // namespace

void FailAtLine(const std::filesystem::path& path, int lineNumber, const std::string& reason) {
    throw Error("The contact file " + path.string() + " cannot be read at line " +
                std::to_string(lineNumber) + ": " + reason + ".");
}

VCardFileContent ParseVCardFile(std::string_view bytes, const std::filesystem::path& path) {
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        throw Error("The contact file " + path.string() +
                    " cannot be read: it is UTF-16 text. Save it as UTF-8 and try again.");
    }
    std::string prefix;
    if (StartsWith(bytes, kUtf8Bom)) {
        prefix = std::string(kUtf8Bom);
        bytes.remove_prefix(kUtf8Bom.size());
    }
    return VCardFileParser(bytes, path).Parse(std::move(prefix));
}

std::string CardText(const VCard& card) {
    std::string text;
    for (const VCardLine& line : card.lines)
        text += line.raw;
    return text;
}

void FreezeCard(VCard& card) {
    for (VCardLine& line : card.lines) {
        if (line.changed) {
            line.raw = RenderLine(line, card.lineBreak);
            line.changed = false;
        } else if (!IsValidUtf8(line.raw) && ParamValue(line, "CHARSET").empty()) {
            line.raw = Windows1252ToUtf8(line.raw);
            line.value = Windows1252ToUtf8(line.value);
        }
    }
    card.dirty = false;
}

std::string RenderLine(const VCardLine& line, std::string_view lineBreak) {
    if (line.name.empty()) return std::string(lineBreak);
    std::string head = line.nameText;
    for (const std::string& param : line.params)
        head += ";" + param;
    const std::string text = head + ":" + line.value;
    if (IsQuotedPrintable(line)) {
        return FoldQuotedPrintable(text, head.size() + 1, lineBreak) + std::string(lineBreak);
    }
    return FoldLine(text, lineBreak) + std::string(lineBreak);
}

std::string ParamName(std::string_view param) {
    const std::size_t equals = param.find('=');
    if (equals == std::string_view::npos) return "";
    return ToUpperText(Trim(param.substr(0, equals)));
}

std::vector<std::string> ParamValues(std::string_view param) {
    const std::size_t equals = param.find('=');
    std::string values(param.substr(equals == std::string_view::npos ? 0 : equals + 1));
    values.erase(std::remove(values.begin(), values.end(), '"'), values.end());
    std::vector<std::string> split;
    for (const std::string_view value : SplitOutsideQuotes(values, ','))
        split.emplace_back(Trim(value));
    return split;
}

std::vector<std::string> LineTypes(const VCardLine& line) {
    std::vector<std::string> types;
    for (const std::string& param : line.params) {
        const std::string name = ParamName(param);
        if (!name.empty() && name != "TYPE") continue;
        for (const std::string& value : ParamValues(param))
            types.push_back(ToLowerText(value));
    }
    return types;
}

bool HasType(const VCardLine& line, std::string_view type) {
    const auto types = LineTypes(line);
    return std::find(types.begin(), types.end(), type) != types.end();
}

std::string ParamValue(const VCardLine& line, std::string_view name) {
    for (const std::string& param : line.params) {
        if (ParamName(param) != name) continue;
        const auto values = ParamValues(param);
        return values.empty() ? std::string() : values.front();
    }
    return "";
}

bool IsQuotedPrintable(const VCardLine& line) {
    return EqualsIgnoringCase(ParamValue(line, "ENCODING"), "QUOTED-PRINTABLE") ||
           HasType(line, "quoted-printable");
}

}  // namespace velmora
