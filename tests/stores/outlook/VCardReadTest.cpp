#include <string>

#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::MakeCard;
using test::WriteCardFile;

class VCardReadTest : public ::testing::Test {
  protected:
    VCardReadTest() { std::filesystem::create_directories(folder); }

    // The only contact of the folder after writing `text` as its one file.
    std::unique_ptr<ContactItem> ReadOne(const std::string& text) {
        WriteCardFile(folder, "card.vcf", text);
        application = MakeVCardFolderApplication(folder);
        auto items = application->GetDefaultContactsFolder().Items();
        EXPECT_EQ(items->Count(), 1);
        auto contact = TakeContact(items->Item(1));
        EXPECT_NE(contact, nullptr);
        return contact;
    }

    // The message of the error that reading the folder throws.
    std::string ReadError() {
        try {
            MakeVCardFolderApplication(folder);
        } catch (const Error& error) {
            return error.what();
        }
        return "no error";
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
    std::unique_ptr<OutlookApplication> application;
};

// 2.1: quoted-printable with soft line breaks, CHARSET, bare types.
TEST_F(VCardReadTest, Version21QuotedPrintableAndBareTypes) {
    const auto contact = ReadOne(
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
        "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:J=C3=BCrgen M=C3=BCller, a name so long=\r\n"
        " that it is broken=3D\r\n"
        "TEL;WORK;VOICE:555-0101\r\n"
        "TEL;CELL:555-0102\r\n"
        "TEL;HOME;FAX:555-0103\r\n"
        "TEL;PREF;HOME:555-0104\r\n"
        "EMAIL;INTERNET:jm@example.com\r\n"
        "NOTE;QUOTED-PRINTABLE:first=0D=0Asecond=\r\n"
        "END:VCARD\r\n");
    EXPECT_EQ(contact->Get(F::LastName), "Müller");
    EXPECT_EQ(contact->Get(F::FirstName), "Jürgen");
    EXPECT_EQ(contact->Get(F::FileAs), "Müller, Jürgen");
    EXPECT_EQ(contact->Get(F::FullName), "Jürgen Müller, a name so long that it is broken=");
    EXPECT_EQ(contact->Get(F::BusinessTelephoneNumber), "555-0101");
    EXPECT_EQ(contact->Get(F::MobileTelephoneNumber), "555-0102");
    EXPECT_EQ(contact->Get(F::BusinessFaxNumber), "555-0103");
    EXPECT_EQ(contact->Get(F::HomeTelephoneNumber), "555-0104");
    EXPECT_EQ(contact->Get(F::Email1Address), "jm@example.com");
    EXPECT_EQ(contact->Get(F::Email1AddressType), "SMTP");
}

// 3.0: folded lines, escapes, groups, repeated TYPE parameters; every TEL
// counts for one field only.
TEST_F(VCardReadTest, Version30FoldingEscapesAndNumberTypes) {
    const auto contact = ReadOne(MakeCard({
        "FN:Smith\\, John\\; Jr. \\\\ Esq.",
        "N:Smith;John;;;",
        "X-EVOLUTION-FILE-AS:Smith\\, John",
        "NICKNAME:Jo",
        "TEL;TYPE=WORK,VOICE:+1 555",
        "  0101",
        "item1.TEL;type=pref:555 0199",
        "TEL;TYPE=work;TYPE=voice:555 0102",
        "TEL;TYPE=CELL,WORK:555 0103",
        "TEL;TYPE=work;TYPE=pager:555 0104",
        "TEL;TYPE=home,cell:555 0105",
        "TEL;TYPE=work:555 0106",
        "EMAIL;TYPE=HOME:a@example.com",
        "EMAIL;TYPE=INTERNET:second@example.com",
        "X-VELMORA-SYNC:yes",
        "X-VELMORA-CONTACT-ID:17",
        "X-VELMORA-SPEED-DIALS:W1:2\\,M:3",
        "X-VELMORA-DIRECT-CONNECT:123*45*6",
    }));
    EXPECT_EQ(contact->Get(F::FullName), "Smith, John; Jr. \\ Esq.");
    EXPECT_EQ(contact->Get(F::FileAs), "Smith, John");
    EXPECT_EQ(contact->Get(F::NickName), "Jo");
    EXPECT_EQ(contact->Get(F::BusinessTelephoneNumber), "+1 555 0101");
    EXPECT_EQ(contact->Get(F::Business2TelephoneNumber), "555 0102");
    EXPECT_EQ(contact->Get(F::MobileTelephoneNumber), "555 0103");
    EXPECT_EQ(contact->Get(F::PagerNumber), "555 0104");
    EXPECT_EQ(contact->Get(F::HomeTelephoneNumber), "");
    EXPECT_EQ(contact->Get(F::OtherTelephoneNumber), "555 0199");
    EXPECT_EQ(contact->Get(F::Email1Address), "a@example.com");
    EXPECT_EQ(contact->Get(F::Email1DisplayName), "a@example.com");
    EXPECT_EQ(contact->Get(F::Email1AddressType), "");
    EXPECT_EQ(contact->Get(F::User2), "yes");
    EXPECT_EQ(contact->Get(F::User3), "17");
    EXPECT_EQ(contact->Get(F::User4), "W1:2,M:3");
    EXPECT_EQ(contact->Get(F::User1), "123*45*6");
}

// 4.0: quoted TYPE lists and tel: URIs.
TEST_F(VCardReadTest, Version40TypesAndTelUris) {
    const auto contact = ReadOne(MakeCard(
        {
            "KIND:individual",
            "FN:Ann Lee",
            "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-555-0101",
            "TEL;TYPE=home:TEL:555-0102",
            "TEL:555-0103",
        },
        "4.0"));
    EXPECT_EQ(contact->Get(F::BusinessTelephoneNumber), "+1-555-0101");
    EXPECT_EQ(contact->Get(F::HomeTelephoneNumber), "555-0102");
    EXPECT_EQ(contact->Get(F::OtherTelephoneNumber), "555-0103");
    EXPECT_EQ(contact->Get(F::FileAs), "Ann Lee");
}

// Without a file-as line a contact files as "Last, First", the part there
// is, or its full name.
TEST_F(VCardReadTest, FileAsDefaults) {
    EXPECT_EQ(ReadOne(MakeCard({"N:Lee;Ann;;;", "FN:Ann Lee"}))->Get(F::FileAs), "Lee, Ann");
    EXPECT_EQ(ReadOne(MakeCard({"N:Lee;;;;", "FN:Ann Lee"}))->Get(F::FileAs), "Lee");
    EXPECT_EQ(ReadOne(MakeCard({"N:;Ann", "FN:Ann Lee"}))->Get(F::FileAs), "Ann");
    EXPECT_EQ(ReadOne(MakeCard({"N:;;;;", "FN:Ann Lee"}))->Get(F::FileAs), "Ann Lee");
    EXPECT_EQ(ReadOne(MakeCard({"NOTE:no names"}))->Get(F::FileAs), "");
}

// Text that is not UTF-8 reads as Windows-1252; a byte-order mark and bare
// LF line ends are fine.
TEST_F(VCardReadTest, Windows1252AndByteOrderMark) {
    const auto contact = ReadOne(
        "\xEF\xBB\xBF"
        "BEGIN:VCARD\nVERSION:3.0\nFN:Ren\xE9 Dupont \x80\nN:Dupont;Ren\xE9;;;\nEND:VCARD\n");
    EXPECT_EQ(contact->Get(F::FullName), "René Dupont €");
    EXPECT_EQ(contact->Get(F::FirstName), "René");
}

// Group cards are distribution lists; a card embedded in another (2.1's
// AGENT) lends it none of its fields.
TEST_F(VCardReadTest, DistributionListsAndEmbeddedCards) {
    WriteCardFile(folder, "1.vcf", MakeCard({"FN:Team A", "KIND:group"}, "4.0"));
    WriteCardFile(folder, "2.vcf", MakeCard({"FN:Team B", "X-ADDRESSBOOKSERVER-KIND:Group"}));
    WriteCardFile(folder, "3.vcf", MakeCard({"FN:Team C", "X-EVOLUTION-LIST:true"}));
    WriteCardFile(folder, "4.vcf",
                  MakeCard({"FN:Boss", "AGENT:", "BEGIN:VCARD", "VERSION:2.1", "FN:Assistant",
                            "TEL;CELL:555-0199", "END:VCARD", "TEL;WORK:555-0101"},
                           "2.1"));
    const auto app = MakeVCardFolderApplication(folder);
    const auto items = app->GetDefaultContactsFolder().Items();
    ASSERT_EQ(items->Count(), 4);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(items->Item(i)->TypeName(), "DistListItem");
        EXPECT_EQ(items->Item(i)->AsContact(), nullptr);
    }
    const auto boss = items->Item(4);
    EXPECT_EQ(boss->TypeName(), "ContactItem");
    EXPECT_EQ(boss->AsContact()->Get(F::FullName), "Boss");
    EXPECT_EQ(boss->AsContact()->Get(F::MobileTelephoneNumber), "");
    EXPECT_EQ(boss->AsContact()->Get(F::BusinessTelephoneNumber), "555-0101");
}

// Items follow file names in byte order, cards of one file in their order;
// other files and hidden files are not cards.
TEST_F(VCardReadTest, ItemOrder) {
    WriteCardFile(folder, "b.vcf", MakeCard({"FN:B1"}) + "\r\n" + MakeCard({"FN:B2"}));
    WriteCardFile(folder, "a.VCF", MakeCard({"FN:A"}));
    WriteCardFile(folder, "C.vcf", MakeCard({"FN:C"}));
    WriteCardFile(folder, "notes.txt", "not a card");
    WriteCardFile(folder, "._b.vcf", "\x00\x05\x16\x07 resource fork");
    std::filesystem::create_directories(folder / "sub.vcf");
    EXPECT_EQ(test::RenderContactsFolder(folder),
              "FileAs=C; FullName=C\n"
              "FileAs=A; FullName=A\n"
              "FileAs=B1; FullName=B1\n"
              "FileAs=B2; FullName=B2\n");
}

// A card that cannot be read stops reading with the file and the line.
TEST_F(VCardReadTest, UnreadableCardsNameFileAndLine) {
    const auto file = (folder / "bad.vcf").string();
    const auto expectError = [&](const std::string& text, const std::string& where) {
        WriteCardFile(folder, "bad.vcf", text);
        const std::string message = ReadError();
        EXPECT_NE(message.find(file), std::string::npos) << message;
        EXPECT_NE(message.find(where), std::string::npos) << message;
    };
    expectError("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n", "line 1: the card that starts");
    expectError(MakeCard({"FN:Ann", "this line has no colon"}), "line 4:");
    expectError("FN:Ann\r\n" + MakeCard({"FN:Bob"}), "line 1: a card must start");
    expectError(MakeCard({"FN;CHARSET=KOI8-R:x"}), "line 3: the character set KOI8-R");
    expectError(MakeCard({"FN:Ann", "TEL;ENCODING=b:NTU1"}), "line 4: the TEL value is in base64");
    expectError(std::string("\xFF\xFE") + "B\0E\0", "UTF-16");
    // The same property outside what is read is kept and never decoded.
    WriteCardFile(folder, "bad.vcf", MakeCard({"FN:Ann", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ"}));
    EXPECT_EQ(ReadError(), "no error");
}

// A missing folder, or a file in its place, is an error naming it.
TEST_F(VCardReadTest, MissingFolder) {
    std::filesystem::remove(folder);
    EXPECT_EQ(ReadError(), "The address book folder " + folder.string() + " does not exist.");
    test::WriteFileBytes(folder, "a file");
    EXPECT_EQ(ReadError(), "The address book folder " + folder.string() + " is not a folder.");
}

}  // namespace
}  // namespace velmora
