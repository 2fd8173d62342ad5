#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::MakeCard;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

VCard ReadCard(const std::string& text) {
    return std::move(ParseVCardFile(text, "card.vcf").cards.at(0));
}

std::string Saved(const std::string& text, const test::FieldValues& fields) {
    VCard card = ReadCard(text);
    for (const auto& [field, value] : fields)
        WriteContactField(card, field, value);
    FreezeCard(card);
    return CardText(card);
}

// Mixed Windows-1252 and UTF-8 values each decode on their own; unchanged lines stay.
TEST(VCardCodecTest, EachValueDecodesOnItsOwn) {
    const std::vector<std::string> kept{"FN;X-LABEL=B\xFCro:Müller", "N:M\xFCller;Jürgen;;;",
                                        "NOTE:Gro\xDF 5", "NICKNAME:J\xC3", " \xBCrgen"};
    std::vector<std::string> lines = kept;
    lines.push_back("TEL;TYPE=cell;X-LABEL=B\xFCro:555 0101");
    const std::string card = MakeCard(lines);
    const std::string saved = Saved(card, {{F::MobileTelephoneNumber, "555 0202"}});

    std::vector<std::string> expected = kept;
    expected.push_back("TEL;TYPE=cell;X-LABEL=Büro:555 0202");  // the changed line is UTF-8
    EXPECT_EQ(saved, MakeCard(expected));
    for (const std::string& text : {card, saved}) {
        const VCard read = ReadCard(text);
        EXPECT_EQ(ReadContactField(read, F::FullName), "Müller");
        EXPECT_EQ(ReadContactField(read, F::LastName), "Müller");
        EXPECT_EQ(ReadContactField(read, F::FirstName), "Jürgen");
        EXPECT_EQ(ReadContactField(read, F::NickName), "Jürgen");
    }
}

// A stray '=' ending a quoted-printable value joins no line Velmora writes.
TEST(VCardCodecTest, StrayEqualsSignJoinsNoLineVelmoraWrites) {
    const std::string note = "NOTE;ENCODING=QUOTED-PRINTABLE:call back=";
    const std::string added = Saved(MakeCard({"FN:Ann", note}, "2.1"),
                                    {{F::User3, "12"}, {F::MobileTelephoneNumber, "555 0101"}});
    EXPECT_THAT(added, HasSubstr("\r\n" + note + "\r\n"));
    const VCard read = ReadCard(added);
    EXPECT_EQ(ReadContactField(read, F::User3), "12");
    EXPECT_EQ(ReadContactField(read, F::MobileTelephoneNumber), "555 0101");

    // An earlier version wrote the ID right after the note.
    const std::string earlier =
        MakeCard({"FN:Ann", note, "X-VELMORA-CONTACT-ID:12", "TEL;CELL:555 0101"}, "2.1");
    EXPECT_EQ(ReadContactField(ReadCard(earlier), F::User3), "12");
    const VCard removed = ReadCard(Saved(earlier, {{F::User3, ""}}));
    EXPECT_EQ(ReadContactField(removed, F::User3), "");
    EXPECT_EQ(ReadContactField(removed, F::MobileTelephoneNumber), "555 0101");
}

// Written values read back as written, and the lines around them stay.
TEST(VCardCodecTest, WrittenValuesReadBackAsWritten) {
    struct Case {
        const char* scenario;
        std::string card;
        test::FieldValues fields;
        std::string keptLine;  // a line the save must leave as it is, "" for none
    };
    const Case cases[] = {
        {"a 2.1 line break keeps its form",
         MakeCard({"FN:Ann"}, "2.1"),
         {{F::FullName, "Ann\nLee"}, {F::FileAs, "Lee\r\nAnn"}, {F::NickName, "A\rB"}},
         ""},
        {"a quoted-printable type leaves with the old encoding",
         MakeCard({"FN;TYPE=QUOTED-PRINTABLE:Ann", "TEL;CELL;QUOTED-PRINTABLE :555"}, "2.1"),
         {{F::FullName, "a=41b"}, {F::MobileTelephoneNumber, "555=30"}},
         ""},
        {"raw 8-bit bytes in a quoted-printable line",
         MakeCard({"FN;ENCODING=QUOTED-PRINTABLE:M=FCller Ren\xE9"}, "2.1"),
         {{F::User3, "7"}},
         "FN;ENCODING=QUOTED-PRINTABLE:M=FCller Ren\xE9\r\n"},
        {"tel: outside TEL is text",
         MakeCard({"FN:tel:555", "EMAIL:tel:a@example.com"}),
         {{F::FileAs, "tel:556"}},
         "FN:tel:555\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const std::string saved = Saved(c.card, c.fields);
        const VCard read = ReadCard(saved);
        for (const auto& [field, value] : c.fields)
            EXPECT_EQ(ReadContactField(read, field), value);
        EXPECT_THAT(saved, HasSubstr(c.keptLine));
    }
    const VCard tel = ReadCard(MakeCard({"FN:tel:555", "EMAIL:tel:a@example.com"}));
    EXPECT_EQ(ReadContactField(tel, F::FullName), "tel:555");
    EXPECT_EQ(ReadContactField(tel, F::Email1Address), "tel:a@example.com");
    EXPECT_EQ(ReadContactField(ReadCard(cases[2].card), F::FullName), "Müller René");
}

// A megabyte quoted-printable name reads whole, in linear time.
TEST(VCardCodecTest, MegabyteQuotedPrintableValueReadsWhole) {
    std::string card = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:";
    const std::string chunk = "=C3=A9" + std::string(68, 'x');  // "é" and 68 letters
    constexpr int kChunks = 40'000;                             // 3 MB
    for (int i = 0; i < kChunks; ++i)
        card += chunk + "=\r\n";
    card += "end\r\nEND:VCARD\r\n";

    const auto content = ParseVCardFile(card, "big.vcf");
    ASSERT_EQ(content.cards.size(), 1U);
    const std::string name = ReadContactField(content.cards[0], F::FullName);
    EXPECT_EQ(name.size(), kChunks * (2 + 68) + 3U);
    EXPECT_EQ(name.substr(name.size() - 73), "é" + std::string(68, 'x') + "end");
    EXPECT_EQ(CardText(content.cards[0]), card);
}

// tel: URIs read as the number, and a written number is a valid URI or text.
TEST(VCardCodecTest, TelUris) {
    const VCard read = ReadCard(
        MakeCard({"TEL;VALUE=uri;TYPE=work:tel:+1-418-656-9254;ext=102",
                  "TEL;VALUE=uri;TYPE=cell:tel:5550101;phone-context=+1-418", "TEL:tel:555-0103"},
                 "4.0"));
    EXPECT_EQ(ReadContactField(read, F::BusinessTelephoneNumber), "+1-418-656-9254");
    EXPECT_EQ(ReadContactField(read, F::MobileTelephoneNumber), "5550101");
    EXPECT_EQ(ReadContactField(read, F::OtherTelephoneNumber), "555-0103");

    const struct {
        std::string before;
        F field;
        std::string number;
        std::string after;
    } writes[] = {
        {"TEL;VALUE=uri;TYPE=work:tel:+1-418-656-9254;ext=102", F::BusinessTelephoneNumber,
         "+1 (555) 000.1111", "TEL;VALUE=uri;TYPE=work:tel:+1-555-000-1111"},
        {"TEL;VALUE=uri;TYPE=cell:tel:5550101;phone-context=+1-418", F::MobileTelephoneNumber,
         "555 0202", "TEL;VALUE=uri;TYPE=cell:tel:555-0202;phone-context=+1-418"},
        {"TEL;TYPE=home;VALUE=uri:tel:+1-555-0101", F::HomeTelephoneNumber, "(555) 020-2020",
         "TEL;TYPE=home;VALUE=text:(555) 020-2020"},
        {"TEL;VALUE=uri;TYPE=home:tel:+1-555-0101", F::HomeTelephoneNumber, "+1 555 FLOWERS",
         "TEL;VALUE=text;TYPE=home:+1 555 FLOWERS"},
    };
    for (const auto& write : writes) {
        SCOPED_TRACE(write.before);
        const std::string saved =
            Saved(MakeCard({write.before}, "4.0"), {{write.field, write.number}});
        EXPECT_EQ(saved, MakeCard({write.after}, "4.0"));
    }
}

// CR CR LF and lone CRs are one line end each; writing never joins two.
TEST(VCardCodecTest, StrayCarriageReturnsInLineEnds) {
    const std::string text =
        "BEGIN:VCARD\r\r\nVERSION:2.1\r\r\nFN;ENCODING=QUOTED-PRINTABLE:Ann =\r\r\nLee\r\r\n"
        "TEL;CELL:555 0101\r\r\nEND:VCARD\r\r\n";
    const auto content = ParseVCardFile(text, "cr.vcf");
    ASSERT_EQ(content.cards.size(), 1U);
    EXPECT_EQ(ReadContactField(content.cards[0], F::FullName), "Ann Lee");
    EXPECT_EQ(ReadContactField(content.cards[0], F::MobileTelephoneNumber), "555 0101");
    EXPECT_EQ(content.cards[0].lines.size(), 5U);
    EXPECT_EQ(CardText(content.cards[0]), text);

    const std::string bad = "BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nFN:Ann\r\r\nno colon\r\r\nEND:VCARD";
    EXPECT_THAT([&] { ParseVCardFile(bad, "cr.vcf"); },
                ThrowsMessage<Error>(HasSubstr("cr.vcf cannot be read at line 4:")));

    // A lone CR must not come to stand before a blank line's LF.
    const std::string blanks =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n\rTEL;TYPE=home:555\r\n\nEND:VCARD\r\n";
    std::string emptied = blanks;
    emptied.replace(emptied.find("555"), 3, "");
    EXPECT_EQ(Saved(blanks, {{F::HomeTelephoneNumber, ""}}), emptied);
    EXPECT_EQ(Saved("BEGIN:VCARD\rVERSION:3.0\rNICKNAME:A\n\nEND:VCARD\r", {{F::NickName, "B"}}),
              "BEGIN:VCARD\rVERSION:3.0\rNICKNAME:B\r\n\nEND:VCARD\r");
}

// Parameters in any case, blanks, quoted lists or bare types; the summary agrees.
TEST(VCardCodecTest, ParametersAsOtherProgramsWriteThem) {
    const VCard card =
        ReadCard(MakeCard({"FN;CHARSET=utf-8:Ann", "N:Lee;Ann;;;", "TEL;type=\"WORK,voice\":555 1",
                           "TEL; Type = Work :555 2", "TEL;CELL:555 3", "TEL;TYPE=fax,work:555 4",
                           "TEL;TYPE=\"pager\":555 5", "TEL;X-KIND=home:555 6",
                           "EMAIL;type=INTERNET:ann@example.com"}));
    const test::FieldValues expected{
        {F::FileAs, "Lee, Ann"},
        {F::BusinessTelephoneNumber, "555 1"},
        {F::Business2TelephoneNumber, "555 2"},
        {F::MobileTelephoneNumber, "555 3"},
        {F::BusinessFaxNumber, "555 4"},
        {F::PagerNumber, "555 5"},
        {F::OtherTelephoneNumber, "555 6"},
        {F::HomeTelephoneNumber, ""},
        {F::Email1AddressType, "SMTP"},
    };
    for (const auto& [field, value] : expected) {
        SCOPED_TRACE(static_cast<int>(field));
        EXPECT_EQ(ReadContactField(card, field), value);
    }
    const IndexedCard all = SummaryOf(card);
    for (std::size_t f = 0; f < kContactFieldCount; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(all.fields[f], ReadContactField(card, static_cast<ContactField>(f)));
    }
}

}  // namespace
}  // namespace velmora
