#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class VCardVersion { V21, V30, V40 };

// One property line of a card. A line that has not been changed is written
// back exactly as it was read (`raw`); a changed one is written from its parts.
struct VCardLine {
    std::string raw;                  // bytes as read: folding and line break included
    int lineNumber = 0;               // its first line in the file; 0 for a line made here
    bool nested = false;              // part of a card embedded in this one (2.1's AGENT)
    bool changed = false;             // write from the parts below instead of `raw`
    std::string name;                 // property name in upper case; "" for a blank line
    std::string nameText;             // group and name as written ("item1.tel")
    std::vector<std::string> params;  // parameters as written, without the ';'
    std::string value;                // the value after unfolding, still encoded and escaped
};

// One card: BEGIN:VCARD first, END:VCARD last, every line in between in order.
struct VCard {
    std::vector<VCardLine> lines;
    VCardVersion version = VCardVersion::V30;
    std::string lineBreak = "\r\n";  // what the card's own lines end with
    bool dirty = false;              // a field was written since the card was read or saved
};

// A file of cards and the text around them (blank lines, a byte-order mark):
// gaps[0] comes before cards[0], gaps[i + 1] after cards[i].
struct VCardFileContent {
    std::vector<std::string> gaps;
    std::vector<VCard> cards;
};

// Reads the cards of a file. A file or card that cannot be read throws
// velmora::Error naming the file and the line.
VCardFileContent ParseVCardFile(std::string_view bytes, const std::filesystem::path& path);

// The card's text: `raw` of every line (changed lines must be frozen first).
std::string CardText(const VCard& card);

// Makes every changed line's `raw` from its parts, ready to be written, in
// UTF-8. Lines that did not change keep their bytes.
void FreezeCard(VCard& card);

// A line's text as it goes into the file, with its line break: folded at 75
// octets as in 3.0 and 4.0, or whole in 2.1 and in quoted-printable.
std::string RenderLine(const VCardLine& line, std::string_view lineBreak);
std::string RenderLine(const VCardLine& line, std::string_view lineBreak, VCardVersion version);

// A quoted-printable value that ends in '=' (some writers leave a stray one
// at a card's end): reading joins the next line to it unless that line stops
// soft line breaks, which END:VCARD and Velmora's own X-VELMORA- lines do.
bool EndsInSoftLineBreak(const VCardLine& line);
bool StopsSoftLineBreak(const VCardLine& line);
// Whether reading would not keep the two lines apart if they stood next to
// each other: a stray '=' ending the first takes in a second that does not
// stop soft line breaks, and a lone CR ending the first joins the line end of
// a blank second line (CR, then CR LF or LF, is one line end).
bool ReadsAsOne(const VCardLine& first, const VCardLine& second);

// Parameter helpers. A parameter is NAME=value[,value] or, in 2.1, a bare value.
std::string ParamName(std::string_view param);                 // upper case; "" for a bare one
std::vector<std::string> ParamValues(std::string_view param);  // unquoted, split at commas
// The line's types, in lower case: TYPE values and 2.1's bare parameters.
std::vector<std::string> LineTypes(const VCardLine& line);
bool HasType(const VCardLine& line, std::string_view type);  // `type` in lower case
// Which of the types (each in lower case, at most 32) the line has, a bit per
// type in their order, found in one pass over its parameters.
std::uint32_t TypesOf(const VCardLine& line, std::span<const std::string_view> types);
// The value of the first parameter of that name (upper case), "" when absent.
std::string ParamValue(const VCardLine& line, std::string_view name);
bool IsQuotedPrintable(const VCardLine& line);

[[noreturn]] void FailAtLine(const std::filesystem::path& path, int lineNumber,
                             const std::string& reason);

}  // namespace velmora
