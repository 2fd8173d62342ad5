#include "stores/outlook/VCard.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kFoldWidth = 75;  // octets per physical line before folding

struct PhysicalLine {
    std::string_view text;
    std::string_view ending;  // the line end as read, "" at the end of the file
    int number = 0;           // as an editor counts lines
};

// Splits at LF, CR LF and lone CRs. A run of CRs before an LF is one line end
// (converters leave CR CR LF behind), so line numbers stay those an editor shows.
std::vector<PhysicalLine> SplitPhysicalLines(std::string_view bytes) {
    std::vector<PhysicalLine> lines;
    int number = 1;
    std::size_t at = 0;
    while (at < bytes.size()) {
        // Byte by byte: find_first_of looks each byte up in the set of two.
        std::size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end == bytes.size()) {
            lines.push_back({bytes.substr(at), {}, number});
            break;
        }
        std::size_t crs = end;
        while (crs < bytes.size() && bytes[crs] == '\r')
            ++crs;
        if (crs < bytes.size() && bytes[crs] == '\n') {
            lines.push_back(
                {bytes.substr(at, end - at), bytes.substr(end, crs + 1 - end), number++});
            at = crs + 1;
            continue;
        }
        // CRs that no LF follows end a line each.
        lines.push_back({bytes.substr(at, end - at), bytes.substr(end, 1), number++});
        for (std::size_t cr = end + 1; cr < crs; ++cr)
            lines.push_back({bytes.substr(cr, 0), bytes.substr(cr, 1), number++});
        at = crs;
    }
    return lines;
}

// The line break new lines of a card get: the one its BEGIN line ends with,
// without stray CRs.
std::string CleanLineBreak(std::string_view ending) {
    if (ending.empty()) return "\r\n";
    if (ending.back() == '\n') return ending.size() > 1 ? "\r\n" : "\n";
    return "\r";
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

// Calls `use` with each part of `text` between the `separator`s that are not
// inside double quotes, in order.
template <typename Use>
void ForEachPartOutsideQuotes(std::string_view text, char separator, const Use& use) {
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == separator && !quoted) {
            use(text.substr(start, i - start));
            start = i + 1;
        }
    }
    use(text.substr(start));
}

std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    ForEachPartOutsideQuotes(text, separator,
                             [&](std::string_view part) { parts.push_back(part); });
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
    // The name, then each parameter, split in place: a card has many lines.
    bool first = true;
    line.params.clear();
    ForEachPartOutsideQuotes(logical.substr(0, colon), ';', [&](std::string_view part) {
        if (std::exchange(first, false)) {
            line.nameText = std::string(part);
        } else {
            line.params.emplace_back(part);
        }
    });
    const std::string_view name = Trim(line.nameText);
    const std::size_t dot = name.rfind('.');
    line.name = ToUpperText(dot == std::string_view::npos ? name : name.substr(dot + 1));
    line.value = std::string(logical.substr(colon + 1));
    return !line.name.empty();
}

bool IsCardMarker(const VCardLine& line, std::string_view name) {
    return line.name == name && EqualsIgnoringCase(Trim(line.value), "VCARD");
}

// Some writers end a card's last quoted-printable value with a stray '='. The
// card's end never belongs to that value, nor do the lines Velmora adds
// after it, which all have names of its own.
bool StopsSoftLineBreakAt(std::string_view physicalLine) {
    VCardLine probe;
    return SplitProperty(physicalLine, probe) &&
           (IsCardMarker(probe, "END") || probe.name.starts_with("X-VELMORA-"));
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

// Whether a growing logical line is in quoted-printable. Its parameters are
// known once the ':' after them has been read; each byte is looked at once,
// so that a value of many soft line breaks reads in linear time.
class QuotedPrintableProbe {
  public:
    bool Check(std::string_view logical) {
        if (known_) return quotedPrintable_;
        for (; scanned_ < logical.size(); ++scanned_) {
            if (logical[scanned_] == '"') quoted_ = !quoted_;
            if (logical[scanned_] == ':' && !quoted_) break;
        }
        if (scanned_ == logical.size()) return false;
        known_ = true;
        VCardLine head;
        quotedPrintable_ =
            SplitProperty(logical.substr(0, scanned_ + 1), head) && IsQuotedPrintable(head);
        return quotedPrintable_;
    }

  private:
    std::size_t scanned_ = 0;
    bool quoted_ = false;
    bool known_ = false;
    bool quotedPrintable_ = false;
};

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
                gap.append(line.text).append(line.ending);
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
        card.lineBreak = CleanLineBreak(beginEnding);
        const int beginLine = begin.lineNumber;
        read_.clear();
        read_.push_back(std::move(begin));
        int depth = 0;  // cards embedded in this one
        while (next_ < lines_.size()) {
            VCardLine line = ReadLogicalLine();
            if (IsCardMarker(line, "END") && depth == 0) {
                read_.push_back(std::move(line));
                // The card's lines, with room for the two a run adds (its
                // contact ID and speed dials) and no more: growing would copy
                // them, and a run parses each card it writes.
                card.lines.reserve(read_.size() + 2);
                std::move(read_.begin(), read_.end(), std::back_inserter(card.lines));
                card.version = VersionOf(card);
                return card;
            }
            if (IsCardMarker(line, "BEGIN")) ++depth;
            line.nested = depth > 0;
            if (IsCardMarker(line, "END")) --depth;
            read_.push_back(std::move(line));
        }
        FailAtLine(path_, beginLine, "the card that starts here is not closed by END:VCARD");
    }

    // One property: a physical line with its folded continuations (a leading
    // blank or tab) and quoted-printable soft line breaks (a trailing '=').
    // The bytes are joined first and decoded later, so a character that a
    // line break split is whole again.
    VCardLine ReadLogicalLine() {
        VCardLine line;
        const PhysicalLine& first = lines_[next_++];
        line.lineNumber = first.number;
        // Nearly every line is whole: it is joined with its continuations
        // only when it has some.
        std::string_view logical = first.text;
        std::string joined;
        // Keeps the first `keep` bytes of the line so far and adds `more`; the
        // line grows in place, so that a value of many soft line breaks still
        // reads in linear time.
        const auto join = [&](std::size_t keep, std::string_view more) {
            if (logical.data() != joined.data()) joined.assign(logical);
            joined.resize(keep);
            joined.append(more);
            logical = joined;
        };
        line.raw.append(first.text).append(first.ending);
        QuotedPrintableProbe quotedPrintable;
        while (next_ < lines_.size()) {
            const PhysicalLine& more = lines_[next_];
            if (!logical.empty() && logical.back() == '=' && quotedPrintable.Check(logical) &&
                !StopsSoftLineBreakAt(more.text)) {
                join(logical.size() - 1, more.text);
            } else if (!more.text.empty() && (more.text[0] == ' ' || more.text[0] == '\t')) {
                join(logical.size(), more.text.substr(1));
            } else {
                break;
            }
            line.raw.append(more.text).append(more.ending);
            ++next_;
        }
        if (logical.empty()) return line;  // an empty line inside a card, kept as it is
        if (!SplitProperty(logical, line)) {
            FailAtLine(path_, line.lineNumber,
                       "the line has no property name followed by ':' and a value");
        }
        return line;
    }

    const std::filesystem::path& path_;
    std::vector<PhysicalLine> lines_;
    std::vector<VCardLine> read_;  // the card being read, reused from card to card
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

// A blank line as read: its text starts with its line end.
bool StartsWithLineEnd(const VCardLine& line) {
    return !line.changed && !line.raw.empty() && (line.raw[0] == '\r' || line.raw[0] == '\n');
}

// A changed line's text. Its parameters are decided UTF-8 or Windows-1252
// one by one and written as UTF-8. 2.1 lines and quoted-printable ones are
// written whole: 2.1 readers unfold in different ways (some keep the blank),
// and not all readers take quoted-printable soft line breaks.
std::string Render(const VCardLine& line, std::string_view lineBreak, VCardVersion version,
                   bool fold) {
    if (line.name.empty()) return std::string(lineBreak);
    std::string text = ToUtf8(line.nameText);
    for (const std::string& param : line.params)
        text.append(";").append(ToUtf8(param));
    text.append(":").append(line.value);
    if (fold && version != VCardVersion::V21 && !IsQuotedPrintable(line)) {
        text = FoldLine(text, lineBreak);
    }
    return text.append(lineBreak);
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
    // Sized at once: a run holds the text of every card it writes until it
    // saves them, and a string grown line by line holds up to twice its text.
    std::size_t size = 0;
    for (const VCardLine& line : card.lines)
        size += line.raw.size();
    std::string text;
    text.reserve(size);
    for (const VCardLine& line : card.lines)
        text += line.raw;
    return text;
}

void FreezeCard(VCard& card) {
    for (std::size_t i = 0; i < card.lines.size(); ++i) {
        VCardLine& line = card.lines[i];
        if (!line.changed) continue;  // written back as it was read
        // After a stray '=' the line's name and ':' must be on its first line,
        // or reading would take it into the value before it.
        const bool fold = i == 0 || !EndsInSoftLineBreak(card.lines[i - 1]);
        // A lone CR before a blank line would make one line end of both.
        const bool beforeBlank = i + 1 < card.lines.size() && StartsWithLineEnd(card.lines[i + 1]);
        const std::string lineBreak =
            card.lineBreak == "\r" && beforeBlank ? std::string("\r\n") : card.lineBreak;
        line.raw = Render(line, lineBreak, card.version, fold);
        line.changed = false;
    }
    card.dirty = false;
}

bool ReadsAsOne(const VCardLine& first, const VCardLine& second) {
    if (EndsInSoftLineBreak(first) && !StopsSoftLineBreak(second)) return true;
    return !first.changed && first.raw.ends_with('\r') && StartsWithLineEnd(second);
}

std::string RenderLine(const VCardLine& line, std::string_view lineBreak) {
    return Render(line, lineBreak, VCardVersion::V30, true);
}

std::string RenderLine(const VCardLine& line, std::string_view lineBreak, VCardVersion version) {
    return Render(line, lineBreak, version, true);
}

bool EndsInSoftLineBreak(const VCardLine& line) {
    return !line.value.empty() && line.value.back() == '=' && IsQuotedPrintable(line);
}

bool StopsSoftLineBreak(const VCardLine& line) {
    // Reading looks at the line's first physical line alone; a changed line
    // after a stray '=' is written unfolded (FreezeCard).
    if (line.changed || line.raw.empty()) {
        return IsCardMarker(line, "END") || line.name.starts_with("X-VELMORA-");
    }
    const std::string_view raw = line.raw;
    return StopsSoftLineBreakAt(raw.substr(0, raw.find_first_of("\r\n")));
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

namespace {

// A parameter that reads the same compared byte for byte, ignoring ASCII
// case, as split, unquoted and case-mapped: every value a card's fields read
// asks for its types and encoding, so the common case is compared in place.
bool IsPlainParam(std::string_view param) {
    return std::all_of(param.begin(), param.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '"'; });
}

// The name of a plain parameter ("" for a bare 2.1 type) and its values.
std::pair<std::string_view, std::string_view> SplitPlainParam(std::string_view param) {
    const std::size_t equals = param.find('=');
    if (equals == std::string_view::npos) return {"", param};
    return {Trim(param.substr(0, equals)), param.substr(equals + 1)};
}

}  // namespace

std::uint32_t TypesOf(const VCardLine& line, std::span<const std::string_view> types) {
    std::uint32_t found = 0;
    const auto mark = [&](std::string_view value, auto equal) {
        for (std::size_t i = 0; i < types.size(); ++i) {
            if (equal(value, types[i])) found |= std::uint32_t{1} << i;
        }
    };
    for (const std::string& param : line.params) {
        if (!IsPlainParam(param)) {
            const std::string name = ParamName(param);
            if (!name.empty() && name != "TYPE") continue;
            for (const std::string& value : ParamValues(param))
                mark(ToLowerText(value), std::equal_to<std::string_view>());
            continue;
        }
        const auto [name, values] = SplitPlainParam(param);
        // A plain parameter is ASCII, which folds byte by byte.
        if (!name.empty() && !EqualsIgnoringAsciiCase(name, "type")) continue;
        // No quotes here: the values are split at every comma, in place.
        for (std::string_view rest = values;;) {
            const std::size_t comma = rest.find(',');
            mark(Trim(rest.substr(0, comma)), EqualsIgnoringAsciiCase);
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
    }
    return found;
}

bool HasType(const VCardLine& line, std::string_view type) {
    return TypesOf(line, std::span(&type, 1)) != 0;
}

std::string ParamValue(const VCardLine& line, std::string_view name) {
    for (const std::string& param : line.params) {
        if (IsPlainParam(param)) {
            const auto [paramName, values] = SplitPlainParam(param);
            if (!EqualsIgnoringCase(paramName, name)) continue;
            return std::string(Trim(values.substr(0, values.find(','))));
        }
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
