#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using test::MakeCard;
using test::WriteCardFile;
using ::testing::StartsWith;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

class VCardReadTest : public ::testing::Test {
  protected:
    VCardReadTest() { std::filesystem::create_directories(folder); }

    void ExpectReadingFails(const ::testing::Matcher<std::string>& message) {
        EXPECT_THAT([&] { MakeVCardFolderApplication(folder); }, ThrowsMessage<Error>(message));
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
};

// Each version's encodings and types, as the contact they read as.
TEST_F(VCardReadTest, CardsReadAsContacts) {
    const struct {
        std::string text;
        std::string contact;
    } cases[] = {
        // 2.1: quoted-printable with soft line breaks, CHARSET, bare types; a
        // stray '=' before END is no soft line break.
        {"BEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
         "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:J=C3=BCrgen M=C3=BCller, so long=\r\n"
         " that it is broken=3D\r\n"
         "TEL;WORK;VOICE:555-0101\r\nTEL;CELL:555-0102\r\nTEL;HOME;FAX:555-0103\r\n"
         "TEL;PREF;HOME:555-0104\r\nEMAIL;INTERNET:jm@example.com\r\n"
         "NOTE;QUOTED-PRINTABLE:first=0D=0Asecond=\r\nEND:VCARD\r\n",
         "FileAs=Müller, Jürgen; FullName=Jürgen Müller, so long that it is broken=; "
         "FirstName=Jürgen; LastName=Müller; BusinessTelephoneNumber=555-0101; "
         "HomeTelephoneNumber=555-0104; MobileTelephoneNumber=555-0102; "
         "BusinessFaxNumber=555-0103; Email1Address=jm@example.com; Email1AddressType=SMTP"},
        // 3.0: folding, escapes, groups, repeated TYPE parameters; every TEL
        // counts for one field only, the first EMAIL for the address.
        {MakeCard({"FN:Smith\\, John\\; Jr. \\\\ Esq.", "N:Smith;John;;;",
                   "X-EVOLUTION-FILE-AS:Smith\\, John", "NICKNAME:Jo", "TEL;TYPE=WORK,VOICE:+1 555",
                   "  0101", "item1.TEL;type=pref:555 0199", "TEL;TYPE=work;TYPE=voice:555 0102",
                   "TEL;TYPE=CELL,WORK:555 0103", "TEL;TYPE=work;TYPE=pager:555 0104",
                   "TEL;TYPE=home,cell:555 0105", "TEL;TYPE=work:555 0106",
                   "EMAIL;TYPE=HOME:a@example.com", "EMAIL;TYPE=INTERNET:b@example.com",
                   "X-VELMORA-SYNC:yes", "X-VELMORA-CONTACT-ID:17",
                   "X-VELMORA-SPEED-DIALS:W1:2\\,M:3", "X-VELMORA-DIRECT-CONNECT:123*45*6"}),
         "User1=123*45*6; User2=yes; User3=17; User4=W1:2,M:3; FileAs=Smith, John; "
         "FullName=Smith, John; Jr. \\ Esq.; FirstName=John; LastName=Smith; NickName=Jo; "
         "Business2TelephoneNumber=555 0102; BusinessTelephoneNumber=+1 555 0101; "
         "MobileTelephoneNumber=555 0103; PagerNumber=555 0104; "
         "OtherTelephoneNumber=555 0199; Email1Address=a@example.com"},
        // 4.0: quoted TYPE lists and tel: URIs.
        {MakeCard({"FN:Ann Lee", "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-555-0101",
                   "TEL;TYPE=home:TEL:555-0102", "TEL:555-0103"},
                  "4.0"),
         "FileAs=Ann Lee; FullName=Ann Lee; BusinessTelephoneNumber=+1-555-0101; "
         "HomeTelephoneNumber=555-0102; OtherTelephoneNumber=555-0103"},
        // Without a file-as line: "Last, First", the part there is, the full name.
        {MakeCard({"N:Lee;;;;", "FN:Ann Lee"}), "FileAs=Lee; FullName=Ann Lee; LastName=Lee"},
        {MakeCard({"N:;Ann", "FN:Ann Lee"}), "FileAs=Ann; FullName=Ann Lee; FirstName=Ann"},
        {MakeCard({"N:;;;;", "FN:Ann Lee"}), "FileAs=Ann Lee; FullName=Ann Lee"},
        // Text that is not UTF-8 reads as Windows-1252; a byte-order mark and
        // bare LF line ends are fine.
        {"\xEF\xBB\xBF"
         "BEGIN:VCARD\nVERSION:3.0\nFN:Ren\xE9 \x80\nEND:VCARD\n",
         "FileAs=René €; FullName=René €"},
    };
    for (const auto& [text, contact] : cases) {
        WriteCardFile(folder, "card.vcf", text);
        EXPECT_EQ(test::RenderContactsFolder(folder), contact + "\n") << text;
    }
}

// Items follow file names in byte order, cards of one file in their order;
// other files are not cards; group cards are distribution lists; a card
// embedded in another (2.1's AGENT) lends it none of its fields.
TEST_F(VCardReadTest, FolderItems) {
    WriteCardFile(folder, "b.vcf", MakeCard({"FN:B1"}) + "\r\n" + MakeCard({"FN:B2"}));
    WriteCardFile(folder, "a.VCF", MakeCard({"FN:A"}));
    WriteCardFile(folder, "C.vcf", MakeCard({"FN:C"}));
    WriteCardFile(folder, "notes.txt", "not a card");
    WriteCardFile(folder, "._b.vcf", "\x00\x05\x16\x07 resource fork");
    std::filesystem::create_directories(folder / "sub.vcf");
    WriteCardFile(folder, "l1.vcf", MakeCard({"FN:Team A", "KIND:group"}, "4.0"));
    WriteCardFile(folder, "l2.vcf", MakeCard({"X-ADDRESSBOOKSERVER-KIND:Group"}));
    WriteCardFile(folder, "l3.vcf", MakeCard({"X-EVOLUTION-LIST:true"}));
    WriteCardFile(folder, "m.vcf",
                  MakeCard({"FN:Boss", "AGENT:", "BEGIN:VCARD", "VERSION:2.1", "FN:Assistant",
                            "TEL;CELL:555-0199", "END:VCARD", "TEL;WORK:555-0101"},
                           "2.1"));
    EXPECT_EQ(
        test::RenderContactsFolder(folder),
        "FileAs=C; FullName=C\nFileAs=A; FullName=A\nFileAs=B1; FullName=B1\n"
        "FileAs=B2; FullName=B2\n(distribution list)\n(distribution list)\n"
        "(distribution list)\nFileAs=Boss; FullName=Boss; BusinessTelephoneNumber=555-0101\n");
}

// A card that cannot be read stops reading with the file and the line; so do
// a missing folder and a file in its place.
TEST_F(VCardReadTest, UnreadableCardsNameFileAndLine) {
    const std::string file = "The contact file " + (folder / "bad.vcf").string();
    const std::pair<std::string, std::string> cases[] = {
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n",
         " cannot be read at line 1: the card that starts"},
        {MakeCard({"FN:Ann", "this line has no colon"}), " cannot be read at line 4:"},
        {"FN:Ann\r\n" + MakeCard({"FN:Bob"}), " cannot be read at line 1: a card must start"},
        {MakeCard({"FN;CHARSET=KOI8-R:x"}), " cannot be read at line 3: the character set KOI8-R"},
        {MakeCard({"FN:Ann", "TEL;ENCODING=b:NTU1"}),
         " cannot be read at line 4: the TEL value is in base64"},
        {std::string("\xFF\xFE") + "B\0E\0", " cannot be read: it is UTF-16"},
    };
    for (const auto& [text, where] : cases) {
        WriteCardFile(folder, "bad.vcf", text);
        ExpectReadingFails(StartsWith(file + where));
    }
    // The same encoding outside what is read is kept and never decoded.
    WriteCardFile(folder, "bad.vcf", MakeCard({"FN:Ann", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ"}));
    EXPECT_NO_THROW(MakeVCardFolderApplication(folder));

    std::filesystem::remove_all(folder);
    ExpectReadingFails(StrEq("The address book folder " + folder.string() + " does not exist."));
    test::WriteFileBytes(folder, "a file");
    ExpectReadingFails(StrEq("The address book folder " + folder.string() + " is not a folder."));
}

}  // namespace
}  // namespace velmora
