#include "stores/outlook/VCardFields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/outlook/VCardValue.h"

namespace velmora {

namespace {

enum class Rule {
    Text,              // the first line of the property
    FullName,          // FN: kept (empty) rather than removed
    FileAs,            // its own property, else made from N or FN
    NamePart,          // a component of N
    Tel,               // a TEL line of one class
    EmailDisplayName,  // reads as the address; the format keeps no display name
    EmailType,         // "SMTP" is the internet type of the first EMAIL
};

// Every TEL line belongs to one class, so writing one field never changes
// another: fax before pager before cell before work before home.
enum class TelClass { None, Fax, Pager, Cell, Work, Home, Other };

struct FieldRule {
    ContactField field;
    Rule rule;
    std::string_view property;
    TelClass telClass = TelClass::None;
    std::size_t slot = 0;                        // which line of the class, or which component of N
    std::size_t slots = 1;                       // how many lines of the class map to fields
    std::array<std::string_view, 2> newTypes{};  // types of a line added for the field
};

using F = ContactField;
constexpr std::array<FieldRule, kContactFieldCount> kFieldRules{{
    {F::User1, Rule::Text, "X-VELMORA-DIRECT-CONNECT"},
    {F::User2, Rule::Text, "X-VELMORA-SYNC"},
    {F::User3, Rule::Text, "X-VELMORA-CONTACT-ID"},
    {F::User4, Rule::Text, "X-VELMORA-SPEED-DIALS"},
    {F::FileAs, Rule::FileAs, "X-EVOLUTION-FILE-AS"},
    {F::FullName, Rule::FullName, "FN"},
    {F::FirstName, Rule::NamePart, "N", TelClass::None, 1},
    {F::LastName, Rule::NamePart, "N", TelClass::None, 0},
    {F::NickName, Rule::Text, "NICKNAME"},
    {F::Business2TelephoneNumber, Rule::Tel, "TEL", TelClass::Work, 1, 2, {"work", "voice"}},
    {F::BusinessTelephoneNumber, Rule::Tel, "TEL", TelClass::Work, 0, 2, {"work", "voice"}},
    {F::HomeTelephoneNumber, Rule::Tel, "TEL", TelClass::Home, 0, 1, {"home", "voice"}},
    {F::MobileTelephoneNumber, Rule::Tel, "TEL", TelClass::Cell, 0, 1, {"cell"}},
    {F::BusinessFaxNumber, Rule::Tel, "TEL", TelClass::Fax, 0, 1, {"work", "fax"}},
    {F::PagerNumber, Rule::Tel, "TEL", TelClass::Pager, 0, 1, {"pager"}},
    {F::OtherTelephoneNumber, Rule::Tel, "TEL", TelClass::Other, 0, 1, {"voice"}},
    {F::Email1Address, Rule::Text, "EMAIL"},
    {F::Email1DisplayName, Rule::EmailDisplayName, "EMAIL"},
    {F::Email1AddressType, Rule::EmailType, "EMAIL"},
}};
constexpr FieldRule kUidRule{F::User1, Rule::Text, "UID"};

// Properties whose values are read; they are checked when a card is loaded.
constexpr std::array<std::string_view, 6> kOtherReadProperties{
    "UID", "VERSION", "KIND", "X-ADDRESSBOOKSERVER-KIND", "X-EVOLUTION-LIST", "N"};

const FieldRule& RuleOf(ContactField field) {
    return kFieldRules[static_cast<std::size_t>(field)];
}

// Sets of fields, a bit each.
constexpr std::uint32_t FieldBit(std::size_t field) {
    return std::uint32_t{1} << field;
}
constexpr std::uint32_t FieldBit(ContactField field) {
    return FieldBit(static_cast<std::size_t>(field));
}
constexpr std::uint32_t kEveryField = FieldBit(kContactFieldCount) - 1;

// The fields read from each property, in the table's order: a card's line is
// matched to its property once, rather than to each of the fields (the
// fields of every card are read many times in a run).
struct PropertyFields {
    std::string_view property;
    std::array<std::uint8_t, kContactFieldCount> fields{};
    std::size_t count = 0;
    std::uint32_t mask = 0;  // a bit for each of the fields
};
struct PropertyTable {
    std::array<PropertyFields, kContactFieldCount> entries{};  // at most one a field
    std::size_t used = 0;
};
constexpr PropertyTable MakePropertyFields() {
    PropertyTable table;
    for (std::size_t f = 0; f < kContactFieldCount; ++f) {
        std::size_t p = 0;
        while (p < table.used && table.entries[p].property != kFieldRules[f].property)
            ++p;
        if (p == table.used) table.entries[table.used++].property = kFieldRules[f].property;
        PropertyFields& entry = table.entries[p];
        entry.fields[entry.count++] = static_cast<std::uint8_t>(f);
        entry.mask |= FieldBit(f);
    }
    return table;
}
constexpr PropertyTable kPropertyFields = MakePropertyFields();

const PropertyFields* FieldsOfProperty(std::string_view property) {
    for (std::size_t p = 0; p < kPropertyFields.used; ++p) {
        if (kPropertyFields.entries[p].property == property) return &kPropertyFields.entries[p];
    }
    return nullptr;
}

// A number's class is told by the first of these types it has.
constexpr std::array<std::string_view, 5> kTelTypes{"fax", "pager", "cell", "work", "home"};
constexpr std::array<TelClass, 5> kTelClasses{TelClass::Fax, TelClass::Pager, TelClass::Cell,
                                              TelClass::Work, TelClass::Home};

TelClass TelClassOf(const VCardLine& line) {
    const std::uint32_t found = TypesOf(line, kTelTypes);
    for (std::size_t i = 0; i < kTelTypes.size(); ++i) {
        if ((found & (std::uint32_t{1} << i)) != 0) return kTelClasses[i];
    }
    return TelClass::Other;
}

// Positions in card.lines of the lines that belong to the rule, in order.
std::vector<std::size_t> LinesOf(const VCard& card, const FieldRule& rule) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < card.lines.size(); ++i) {
        const VCardLine& line = card.lines[i];
        if (line.nested || line.name != rule.property) continue;
        if (rule.rule == Rule::Tel && TelClassOf(line) != rule.telClass) continue;
        found.push_back(i);
    }
    return found;
}

std::optional<std::size_t> FirstLineOf(const VCard& card, const FieldRule& rule) {
    const auto lines = LinesOf(card, rule);
    if (lines.empty()) return std::nullopt;
    return lines.front();
}

// 4.0 numbers may be tel: URIs; the field holds the number itself.
bool IsTelUri(std::string_view text) {
    return text.size() >= 4 && EqualsIgnoringCase(text.substr(0, 4), "tel:");
}

// The number of a tel: URI, without its parameters (";ext=102").
std::string_view TelUriNumber(std::string_view uri) {
    uri.remove_prefix(4);
    return uri.substr(0, uri.find(';'));
}

// Reads a card's fields. The lines each field reads (the first one or two
// of its property, or of its class of numbers) are found in one pass, so
// reading every field costs about what reading one does.
class FieldReader {
  public:
    // `wanted`: a bit for each field whose lines are to be found (the lines
    // of others are passed over, numbers' types unread); the fields read
    // must read no others' lines.
    explicit FieldReader(const VCard& card, std::uint32_t wanted = kEveryField) : card_(card) {
        for (std::size_t i = 0; i < card.lines.size(); ++i) {
            const VCardLine& line = card.lines[i];
            if (line.nested) continue;
            const PropertyFields* mapped = FieldsOfProperty(line.name);
            if (mapped == nullptr || (mapped->mask & wanted) == 0) continue;
            std::optional<TelClass> telClass;
            for (std::size_t m = 0; m < mapped->count; ++m) {
                const std::size_t f = mapped->fields[m];
                const FieldRule& rule = kFieldRules[f];
                if (counts_[f] > rule.slot) continue;
                if (rule.rule == Rule::Tel) {
                    if (!telClass) telClass = TelClassOf(line);
                    if (*telClass != rule.telClass) continue;
                }
                lines_[f][counts_[f]++] = i;
            }
        }
    }

    bool HasLine(ContactField field) const { return counts_[Index(field)] > 0; }

    std::string Read(ContactField field) const {
        const FieldRule& rule = RuleOf(field);
        switch (rule.rule) {
            case Rule::FileAs:
                return HasLine(field) ? SlotText(field) : DefaultFileAs();
            case Rule::NamePart:
                return NamePart(rule.slot);
            case Rule::EmailDisplayName:
                return Read(F::Email1Address);
            case Rule::EmailType: {
                return HasLine(field) && HasType(FirstLine(field), "internet") ? "SMTP" : "";
            }
            case Rule::Text:
            case Rule::FullName:
            case Rule::Tel:
                break;
        }
        return SlotText(field);
    }

  private:
    static std::size_t Index(ContactField field) { return static_cast<std::size_t>(field); }

    const VCardLine& FirstLine(ContactField field) const {
        return card_.lines[lines_[Index(field)][0]];
    }

    std::string SlotText(ContactField field) const {
        const FieldRule& rule = RuleOf(field);
        if (rule.slot >= counts_[Index(field)]) return "";
        std::string text = DecodeText(card_.lines[lines_[Index(field)][rule.slot]]);
        if (rule.rule == Rule::Tel && IsTelUri(text)) return std::string(TelUriNumber(text));
        return text;
    }

    std::string NamePart(std::size_t component) const {
        if (!HasLine(F::LastName)) return "";
        if (!nameParts_) nameParts_ = DecodeComponents(FirstLine(F::LastName));
        return component < nameParts_->size() ? (*nameParts_)[component] : "";
    }

    // What the desktop client files a contact under when nothing else is
    // set: "Last, First", the part that exists, else the full name.
    std::string DefaultFileAs() const {
        const std::string last = NamePart(0);
        const std::string first = NamePart(1);
        if (!last.empty() && !first.empty()) return last + ", " + first;
        if (!last.empty() || !first.empty()) return last + first;
        return SlotText(F::FullName);
    }

    // A field's slot is at most its second line.
    static constexpr std::size_t kMostLines = 2;
    static_assert(std::all_of(kFieldRules.begin(), kFieldRules.end(),
                              [](const FieldRule& rule) { return rule.slot < kMostLines; }));

    const VCard& card_;
    std::array<std::array<std::size_t, kMostLines>, kContactFieldCount> lines_{};
    std::array<std::uint8_t, kContactFieldCount> counts_{};
    mutable std::optional<std::vector<std::string>> nameParts_;  // of the first N line, once read
};

// The parameters that give a new line its types: 2.1 writes them bare.
std::vector<std::string> TypeParams(const FieldRule& rule, VCardVersion version) {
    std::vector<std::string> params;
    std::string list;
    for (const std::string_view type : rule.newTypes) {
        if (type.empty()) continue;
        if (version == VCardVersion::V21) {
            params.push_back(ToUpperText(type));
        } else {
            list += (list.empty() ? "TYPE=" : ",") + std::string(type);
        }
    }
    if (!list.empty()) params.push_back(list);
    return params;
}

VCardLine NewLine(const FieldRule& rule, VCardVersion version) {
    VCardLine line;
    line.name = std::string(rule.property);
    line.nameText = line.name;
    if (rule.rule == Rule::Tel) {
        if (version == VCardVersion::V40) line.params.emplace_back("VALUE=text");
        for (std::string& param : TypeParams(rule, version))
            line.params.push_back(std::move(param));
    }
    line.changed = true;
    return line;
}

// New lines go after the last line of the same property, else before END;
// never right after a value with a stray '=', which would take them in.
std::size_t InsertPosition(const VCard& card, std::string_view property) {
    std::size_t at = card.lines.size() - 1;
    for (std::size_t i = card.lines.size() - 1; i-- > 1;) {
        if (!card.lines[i].nested && card.lines[i].name == property) {
            at = i + 1;
            break;
        }
    }
    while (at > 1 && EndsInSoftLineBreak(card.lines[at - 1]))
        --at;
    return at;
}

// Removes a line. One that keeps the lines around it apart (a stray '=' or
// a lone CR before it) stays, empty, which reads the same as no line.
void RemoveLine(VCard& card, std::size_t at) {
    const bool guards =
        at > 0 && at + 1 < card.lines.size() && ReadsAsOne(card.lines[at - 1], card.lines[at + 1]);
    if (guards) {
        SetLineText(card.lines[at], "", card.version);
    } else {
        card.lines.erase(card.lines.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

bool IsPhoneDigit(char c, bool global) {
    return (c >= '0' && c <= '9') || (!global && (c == '*' || c == '#'));
}

bool IsVisualSeparator(char c) {
    return c == ' ' || c == '-' || c == '.' || c == '(' || c == ')' || c == '/';
}

// What a phone-context may hold: a domain name or a global number.
bool IsContextText(std::string_view context) {
    return !context.empty() && std::all_of(context.begin(), context.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
               c == '(' || c == ')';
    });
}

// The phone-context of a tel: URI, "" when it has none.
std::string PhoneContext(std::string_view uri) {
    constexpr std::string_view kName = ";phone-context=";
    const std::string lower = ToLowerText(uri);
    const std::size_t at = lower.find(kName);
    if (at == std::string::npos) return "";
    const std::string_view rest = uri.substr(at + kName.size());
    return std::string(rest.substr(0, rest.find(';')));
}

// A number as a tel: URI: a global number ('+' and digits) with its
// separators written as '-', or a local one under the context the line had.
// nullopt when no URI holds it (letters, a local number without a context).
std::optional<std::string> TelUri(std::string_view number, std::string_view context) {
    const bool global = !number.empty() && number.front() == '+';
    std::string digits;
    bool separator = false;
    for (const char c : number.substr(global ? 1 : 0)) {
        if (IsVisualSeparator(c)) {
            separator = !digits.empty();
        } else if (IsPhoneDigit(c, global)) {
            if (separator) digits += '-';
            digits += c;
            separator = false;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty()) return std::nullopt;
    if (global) return "tel:+" + digits;
    if (!IsContextText(context)) return std::nullopt;
    return "tel:" + digits + ";phone-context=" + std::string(context);
}

// A URI line that can no longer hold its number holds it as text.
void MakeTextLine(VCardLine& line, VCardVersion version) {
    auto& params = line.params;
    const auto isUriValue = [](const std::string& param) {
        return ParamName(param) == "VALUE" && EqualsIgnoringCase(ParamValues(param).front(), "uri");
    };
    const auto uri = std::find_if(params.begin(), params.end(), isUriValue);
    if (uri == params.end()) return;
    if (version == VCardVersion::V40) {
        *uri = "VALUE=text";
    } else {
        params.erase(uri);
    }
}

void SetSlotLine(VCardLine& line, std::string_view value, VCardVersion version) {
    const std::string old = line.name == "TEL" ? DecodeText(line) : std::string();
    const bool uriLine = line.name == "TEL" &&
                         (EqualsIgnoringCase(ParamValue(line, "VALUE"), "uri") || IsTelUri(old));
    if (!uriLine) return SetLineText(line, value, version);
    const auto uri = TelUri(value, IsTelUri(old) ? PhoneContext(old) : std::string());
    if (uri) return SetLineUri(line, *uri);
    MakeTextLine(line, version);
    SetLineText(line, value, version);
}

// Writes the line of the rule's slot. A work number removed while the second
// one stays keeps its place as an empty line, so the second one does not
// move up into the first field.
void WriteSlot(VCard& card, const FieldRule& rule, std::string_view value) {
    const auto lines = LinesOf(card, rule);
    const std::size_t slot = rule.slot;
    if (value.empty()) {
        if (slot >= lines.size()) return;
        if (slot + 1 < rule.slots && slot + 1 < lines.size()) {
            SetSlotLine(card.lines[lines[slot]], "", card.version);
            return;
        }
        RemoveLine(card, lines[slot]);
        for (std::size_t s = slot; s-- > 0;) {
            if (!DecodeText(card.lines[lines[s]]).empty()) break;
            RemoveLine(card, lines[s]);
        }
        return;
    }
    if (slot < lines.size()) {
        SetSlotLine(card.lines[lines[slot]], value, card.version);
        return;
    }
    auto at = static_cast<std::ptrdiff_t>(InsertPosition(card, rule.property));
    for (std::size_t s = lines.size(); s <= slot; ++s) {
        VCardLine line = NewLine(rule, card.version);
        SetLineText(line, s == slot ? value : std::string_view(), card.version);
        card.lines.insert(card.lines.begin() + at++, std::move(line));
    }
}

void WriteNamePart(VCard& card, std::size_t component, std::string_view value) {
    const FieldRule& rule = RuleOf(F::LastName);
    auto line = FirstLineOf(card, rule);
    if (!line) {
        VCardLine added = NewLine(rule, card.version);
        added.value = ";;;;";
        line = InsertPosition(card, rule.property);
        card.lines.insert(card.lines.begin() + static_cast<std::ptrdiff_t>(*line), added);
    }
    auto parts = DecodeComponents(card.lines[*line]);
    if (parts.size() <= component) parts.resize(component + 1);
    parts[component] = std::string(value);
    SetLineComponents(card.lines[*line], parts, card.version);
}

void AddInternetType(VCard& card) {
    const auto line = FirstLineOf(card, RuleOf(F::Email1Address));
    if (!line) return;  // no address to qualify
    VCardLine& email = card.lines[*line];
    email.params.emplace_back(card.version == VCardVersion::V21 ? "INTERNET" : "TYPE=internet");
    SetLineText(email, DecodeText(email), card.version);  // written anew, in UTF-8
}

bool IsReadProperty(std::string_view name) {
    const auto mapped = [&](const FieldRule& rule) { return rule.property == name; };
    return std::any_of(kFieldRules.begin(), kFieldRules.end(), mapped) ||
           std::find(kOtherReadProperties.begin(), kOtherReadProperties.end(), name) !=
               kOtherReadProperties.end();
}

std::string TrimmedText(const VCardLine& line) {
    std::string text = DecodeText(line);
    const auto notBlank = [](char c) { return c != ' ' && c != '\t'; };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notBlank));
    text.erase(std::find_if(text.rbegin(), text.rend(), notBlank).base(), text.end());
    return text;
}

// The fields whose lines a field reads: a name, the file-as text and the
// e-mail display name read others'.
std::uint32_t LinesReadBy(ContactField field) {
    switch (RuleOf(field).rule) {
        case Rule::Text:
        case Rule::FullName:
        case Rule::Tel:
        case Rule::EmailType:
            return FieldBit(field);
        case Rule::FileAs:
        case Rule::NamePart:
        case Rule::EmailDisplayName:
            break;
    }
    return kEveryField;
}

}  // namespace

std::string ReadContactField(const VCard& card, ContactField field) {
    return FieldReader(card, LinesReadBy(field)).Read(field);
}

bool WriteKeepsCard(ContactField field, std::string_view current, bool ownFileAs,
                    std::string_view value) {
    switch (RuleOf(field).rule) {
        case Rule::EmailDisplayName:
            return true;
        case Rule::EmailType:
            if (!EqualsIgnoringCase(value, "SMTP")) return true;
            break;
        case Rule::FileAs:
            // A file-as text is written out even when it equals the one made
            // from the names, so that it stays when the names change.
            if (!ownFileAs) return value.empty();
            break;
        default:
            break;
    }
    return current == value;
}

IndexedCard SummaryOf(const VCard& card) {
    const FieldReader reader(card);
    IndexedCard summary;
    summary.isContact = !IsDistributionList(card);
    summary.ownFileAs = reader.HasLine(F::FileAs);
    std::array<std::string, kContactFieldCount> values;
    std::array<std::string_view, kContactFieldCount> fields;
    for (std::size_t f = 0; f < kContactFieldCount; ++f) {
        values[f] = reader.Read(static_cast<ContactField>(f));
        fields[f] = values[f];
    }
    summary.fields.Assign(fields);
    return summary;
}

bool WritesOnlyItself(ContactField field) {
    const FieldRule& rule = RuleOf(field);
    return rule.rule == Rule::Text && FieldsOfProperty(rule.property)->mask == FieldBit(field);
}

void WriteContactField(VCard& card, ContactField field, std::string_view value) {
    const FieldRule& rule = RuleOf(field);
    // Whether the card has a file-as line of its own reads only that line.
    const FieldReader reader(card, LinesReadBy(field) | FieldBit(F::FileAs));
    if (WriteKeepsCard(field, reader.Read(field), reader.HasLine(F::FileAs), value)) return;
    switch (rule.rule) {
        case Rule::EmailDisplayName:
            return;
        case Rule::EmailType:
            AddInternetType(card);
            break;
        case Rule::NamePart:
            WriteNamePart(card, rule.slot, value);
            break;
        case Rule::FullName:
            if (value.empty() && FirstLineOf(card, rule)) {
                SetLineText(card.lines[*FirstLineOf(card, rule)], "", card.version);
            } else {
                WriteSlot(card, rule, value);
            }
            break;
        case Rule::Text:
        case Rule::FileAs:
        case Rule::Tel:
            WriteSlot(card, rule, value);
            break;
    }
    card.dirty = true;
}

bool IsDistributionList(const VCard& card) {
    for (const VCardLine& line : card.lines) {
        if (line.nested) continue;
        const bool kindGroup = line.name == "KIND" || line.name == "X-ADDRESSBOOKSERVER-KIND";
        if (kindGroup && EqualsIgnoringCase(TrimmedText(line), "group")) return true;
        if (line.name == "X-EVOLUTION-LIST" && EqualsIgnoringCase(TrimmedText(line), "TRUE")) {
            return true;
        }
    }
    return false;
}

void CheckMappedValues(const VCard& card, const std::filesystem::path& path) {
    for (const VCardLine& line : card.lines) {
        if (line.nested || !IsReadProperty(line.name)) continue;
        try {
            DecodeComponents(line);
        } catch (const Error& error) {
            FailAtLine(path, line.lineNumber, error.what());
        }
    }
}

VCard NewContactCard() {
    // Parsed once: a first run makes thousands.
    static const VCard kNewCard = std::move(
        ParseVCardFile("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nN:;;;;\r\nEND:VCARD\r\n", "new card")
            .cards.front());
    VCard card = kNewCard;
    card.dirty = true;
    return card;
}

std::string CardUid(const VCard& card) {
    const auto line = FirstLineOf(card, kUidRule);
    return line ? DecodeText(card.lines[*line]) : std::string();
}

void SetCardUid(VCard& card, std::string_view uid) {
    WriteSlot(card, kUidRule, uid);
    card.dirty = true;
}

}  // namespace velmora
