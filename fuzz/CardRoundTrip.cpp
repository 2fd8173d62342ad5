#include "CardRoundTrip.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"
#include "stores/outlook/VCardValue.h"

namespace velmora::fuzz {

namespace {

using F = ContactField;

constexpr std::string_view kPath = "fuzz.vcf";

struct Edit {
    F field;
    std::string_view value;
};

// Values that read back exactly as written in every version: numbers in the
// form a tel: URI keeps, text with what needs escaping, folding and encoding.
constexpr std::array<Edit, 18> kPlain{{
    {F::FullName, "Ann Lee"},
    {F::LastName, "Lee"},
    {F::FirstName, "Ann"},
    {F::FileAs, "Lee, Ann"},
    {F::NickName, "Annie"},
    {F::User1, "123*45*6"},
    {F::User2, "YES"},
    {F::User3, "42"},
    {F::User4, "W1:2,M:3"},
    {F::Business2TelephoneNumber, "555-0103"},
    {F::BusinessTelephoneNumber, "+1-555-0102"},
    {F::HomeTelephoneNumber, "555-0104"},
    {F::MobileTelephoneNumber, "+44-20-7946-0000"},
    {F::BusinessFaxNumber, "555-0105"},
    {F::PagerNumber, "555-0106"},
    {F::OtherTelephoneNumber, "+1-555-0107"},
    {F::Email1Address, "ann@example.com"},
    {F::Email1AddressType, "SMTP"},
}};

constexpr std::array<Edit, 10> kHard{{
    {F::FullName,
     "Zoë Ünal; \\ x, y: z\nsecond line =41 = a name long enough to be folded or broken in "
     "two, \t with a tab"},
    {F::LastName, "Ünal;x,\\n"},
    {F::FirstName, "Zoë\\"},
    {F::FileAs, "tel:ü="},
    {F::NickName, " blanks around "},
    {F::User3, "7"},
    {F::User4, "W1:2\\,M:3;"},
    {F::BusinessTelephoneNumber, ""},
    {F::Business2TelephoneNumber, "555-0199"},
    {F::Email1Address, "zoë@exämple.com="},
}};

// Clearing: FileAs, which then reads as made from the names, and the e-mail
// type, which "" leaves as it is, are not cleared.
constexpr std::array<Edit, 14> kCleared{{
    {F::FullName, ""},
    {F::LastName, ""},
    {F::FirstName, ""},
    {F::NickName, ""},
    {F::User1, ""},
    {F::User2, ""},
    {F::User3, ""},
    {F::User4, ""},
    {F::BusinessTelephoneNumber, ""},
    {F::Business2TelephoneNumber, ""},
    {F::HomeTelephoneNumber, ""},
    {F::MobileTelephoneNumber, ""},
    {F::OtherTelephoneNumber, ""},
    {F::Email1Address, ""},
}};

// Properties whose lines writing a field may change, add or remove.
constexpr std::array<std::string_view, 11> kMapped{"TEL",
                                                   "EMAIL",
                                                   "FN",
                                                   "N",
                                                   "NICKNAME",
                                                   "X-EVOLUTION-FILE-AS",
                                                   "X-VELMORA-DIRECT-CONNECT",
                                                   "X-VELMORA-SYNC",
                                                   "X-VELMORA-CONTACT-ID",
                                                   "X-VELMORA-SPEED-DIALS",
                                                   "UID"};

std::string FileText(const VCardFileContent& content) {
    std::string text = content.gaps.front();
    for (std::size_t i = 0; i < content.cards.size(); ++i)
        text += CardText(content.cards[i]) + content.gaps[i + 1];
    return text;
}

// The lines that no field write may touch, as bytes, in their order.
std::vector<std::string> UnmappedLines(const VCard& card) {
    std::vector<std::string> lines;
    for (const VCardLine& line : card.lines) {
        const bool mapped = std::find(kMapped.begin(), kMapped.end(), line.name) != kMapped.end();
        if (line.nested || !mapped) lines.push_back(line.raw);
    }
    return lines;
}

// How many lines an editor shows for the bytes: LF, CR LF, CR CR LF and a
// lone CR each end one.
int EditorLineCount(std::string_view bytes) {
    int lines = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++lines;
        } else if (bytes[i] == '\r') {
            std::size_t crs = i;
            while (crs < bytes.size() && bytes[crs] == '\r')
                ++crs;
            if (crs < bytes.size() && bytes[crs] == '\n') {
                ++lines;
                i = crs;
            } else {
                ++lines;
            }
        }
    }
    return lines;
}

// A refusal must name the file and, when it names a line, one that exists.
std::string CheckRefusal(const Error& error, std::string_view bytes) {
    const std::string message = error.what();
    const std::string prefix = "The contact file " + std::string(kPath) + " cannot be read";
    if (message.rfind(prefix, 0) != 0) return "a refusal does not name the file: " + message;
    const std::string atLine = prefix + " at line ";
    if (message.rfind(atLine, 0) != 0) return "";
    const int line = std::atoi(message.c_str() + atLine.size());
    if (line < 1 || line > EditorLineCount(bytes)) {
        return "a refusal names a line the file does not have: " + message;
    }
    return "";
}

// A decoded value, or why it cannot be decoded, as one text to compare.
template <typename Decode>
std::string Outcome(const Decode& decode) {
    try {
        std::string text = "value:";
        for (const std::string& part : decode())
            text += part + '\x1f';
        return text;
    } catch (const Error& error) {
        return std::string("refused:") + error.what();
    }
}

// A value reads the same by the short way taken for plain values as by the
// whole decoding, which a parameter that means nothing forces.
std::string CheckPlainDecoding(const VCard& card) {
    for (const VCardLine& line : card.lines) {
        VCardLine forced = line;
        forced.params.emplace_back("X-VELMORA-CHECK=1");
        const auto decoded = [](const VCardLine& l) {
            return Outcome([&] { return std::vector{DecodeText(l)}; }) +
                   Outcome([&] { return DecodeComponents(l); });
        };
        if (decoded(line) != decoded(forced)) {
            return "the " + line.name + " value decodes otherwise when it looks plain";
        }
    }
    return "";
}

template <std::size_t N>
std::string CheckEdits(const VCardFileContent& content, std::size_t index,
                       const std::array<Edit, N>& edits, bool setUid) {
    VCard card = content.cards[index];
    const auto unmapped = UnmappedLines(card);
    for (const Edit& edit : edits)
        WriteContactField(card, edit.field, edit.value);
    // Clearing a field whose class has more lines moves the next one up into
    // it; clearing again takes that one too. Each round takes a line away.
    for (std::size_t round = 0; round <= content.cards[index].lines.size(); ++round) {
        bool cleared = true;
        for (const Edit& edit : edits) {
            if (!edit.value.empty() || ReadContactField(card, edit.field).empty()) continue;
            WriteContactField(card, edit.field, edit.value);
            cleared = false;
        }
        if (cleared) break;
    }
    if (setUid) SetCardUid(card, "0b8e9c2e-5f0e-4a39-9d7e-6f3a1c2b4d5e");
    FreezeCard(card);

    // The card is read again on its own: the file around it is kept as it
    // was, and a card that ends as it did (its END:VCARD line is among the
    // lines checked below) cannot reach into the next one.
    VCardFileContent again;
    try {
        again = ParseVCardFile(CardText(card), kPath);
        if (again.cards.size() != 1) {
            return "the edited card reads as " + std::to_string(again.cards.size()) + " cards";
        }
        CheckMappedValues(again.cards.front(), kPath);
    } catch (const Error& error) {
        return std::string("the edited card cannot be read: ") + error.what();
    }
    if (!again.gaps.front().empty() || !again.gaps.back().empty()) {
        return "the edited card has text around it";
    }
    const VCard& read = again.cards.front();
    if (read.version != content.cards[index].version) return "the edited card changed version";
    if (UnmappedLines(read) != unmapped) return "a line that no field maps changed";
    for (const Edit& edit : edits) {
        const std::string value = ReadContactField(read, edit.field);
        if (value != edit.value) {
            return std::string(FieldName(edit.field)) + " reads \"" + value + "\" after \"" +
                   std::string(edit.value) + "\" was written";
        }
    }
    if (setUid && CardUid(read) != "0b8e9c2e-5f0e-4a39-9d7e-6f3a1c2b4d5e") {
        return "the UID does not read back";
    }
    VCard same = read;
    for (const Edit& edit : edits)
        WriteContactField(same, edit.field, edit.value);
    if (same.dirty) return "writing the values a card holds changes it";
    return "";
}

}  // namespace

CardCheck CheckCardFile(std::string_view bytes) {
    CardCheck check;
    VCardFileContent content;
    try {
        content = ParseVCardFile(bytes, kPath);
    } catch (const Error& error) {
        check.failure = CheckRefusal(error, bytes);
        return check;
    }
    check.readable = true;
    if (FileText(content) != bytes) {
        check.failure = "the file does not read back byte for byte";
        return check;
    }
    for (std::size_t i = 0; i < content.cards.size(); ++i) {
        VCard frozen = content.cards[i];
        FreezeCard(frozen);
        if (CardText(frozen) != CardText(content.cards[i])) {
            check.failure = "saving a card without changes changes it";
            return check;
        }
        try {
            CheckMappedValues(content.cards[i], kPath);
        } catch (const Error& error) {
            check.failure = CheckRefusal(error, bytes);
            if (!check.failure.empty()) return check;
            continue;  // such a card is refused when the folder is read, never edited
        }
        for (const std::string& failure :
             {CheckPlainDecoding(content.cards[i]), CheckEdits(content, i, kPlain, true),
              CheckEdits(content, i, kHard, false), CheckEdits(content, i, kCleared, false)}) {
            if (failure.empty()) continue;
            check.failure = "card " + std::to_string(i + 1) + ": " + failure;
            return check;
        }
    }
    return check;
}

}  // namespace velmora::fuzz
