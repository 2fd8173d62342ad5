#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::MakeCard;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class VCardWriteTest : public ::testing::Test {
  protected:
    VCardWriteTest() { std::filesystem::create_directories(folder); }

    // The item at `index` in a new session.
    std::unique_ptr<ContactItem> Contact(int index) {
        application = MakeVCardFolderApplication(folder);
        return TakeContact(application->GetDefaultContactsFolder().Items()->Item(index));
    }

    // Writes the fields of the item at `index` in a new session and saves it.
    void Save(int index, std::string_view fields) {
        auto contact = Contact(index);
        for (const auto& [field, value] : test::ParseFields(fields))
            contact->Set(field, value);
        contact->Save();
    }

    void Write(const std::string& name, const std::string& text) {
        test::WriteCardFile(folder, name, text);
    }
    std::string File(const std::string& name) const { return test::ReadFileBytes(folder / name); }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
    std::unique_ptr<OutlookApplication> application;
};

// A saved change rewrites its line alone: every other line, folded, binary or
// unknown, stays byte for byte, line ends included; writing what a field
// holds writes nothing, even over another program's change.
TEST_F(VCardWriteTest, UnknownLinesKeptByteForByte) {
    const std::string before =
        "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Some Program//EN\nFN:Ann Lee\n"
        "N:Lee;Ann;Marie;Dr.;PhD\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgMCAgMDAwMEAw\n"
        " MDBAUEBAQEBAUGBQUGBQUGBAgMCgoMCAcHBwgLCQkKDAsK\n"
        "item1.TEL;type=CELL;x-Label=\"My, own\":555 0101\nitem1.X-ABLabel:mobile\n"
        "NOTE:a note\\, with commas\nX-SOMETHING;X-PARAM=1:kept\nTEL;TYPE=home:555  0102\n"
        "END:VCARD\n";
    Write("ann.vcf", before);
    Save(1, "MobileTelephoneNumber=(555) 020-2020; FirstName=Anna");
    std::string expected = before;
    expected.replace(expected.find("555 0101"), 8, "(555) 020-2020");
    expected.replace(expected.find("N:Lee;Ann;"), 10, "N:Lee;Anna;");
    EXPECT_EQ(File("ann.vcf"), expected);

    auto contact = Contact(1);
    contact->Set(F::HomeTelephoneNumber, "555  0102");
    contact->Set(F::User2, "");
    Write("ann.vcf", expected + "\n");
    EXPECT_NO_THROW(contact->Save());
    EXPECT_EQ(File("ann.vcf"), expected + "\n");
}

// Fields missing from a card get lines of their types after the lines of
// their property; "" removes a line; "SMTP" adds the internet type.
TEST_F(VCardWriteTest, AddedAndRemovedLines) {
    Write("ann.vcf", MakeCard({"FN:Ann", "TEL;TYPE=home:555 0101", "EMAIL;TYPE=work:a@example.com",
                               "NOTE:last"}));
    Save(1,
         "HomeTelephoneNumber=; BusinessTelephoneNumber=555 0201; MobileTelephoneNumber=555 0202; "
         "BusinessFaxNumber=555 0203; PagerNumber=555 0204; OtherTelephoneNumber=555 0205; "
         "Email1AddressType=SMTP; User3=12; FileAs=Lee, Ann");
    EXPECT_EQ(File("ann.vcf"),
              MakeCard({"FN:Ann", "EMAIL;TYPE=work;TYPE=internet:a@example.com", "NOTE:last",
                        "TEL;TYPE=work,voice:555 0201", "TEL;TYPE=cell:555 0202",
                        "TEL;TYPE=work,fax:555 0203", "TEL;TYPE=pager:555 0204",
                        "TEL;TYPE=voice:555 0205", "X-VELMORA-CONTACT-ID:12",
                        "X-EVOLUTION-FILE-AS:Lee\\, Ann"}));
}

// The second work number keeps its field whatever happens to the first.
TEST_F(VCardWriteTest, SecondWorkNumberKeepsItsPlace) {
    Write("ann.vcf", MakeCard({"FN:Ann"}));
    Save(1, "Business2TelephoneNumber=555 0102");
    EXPECT_EQ(test::RenderContactsFolder(folder),
              "FileAs=Ann; FullName=Ann; Business2TelephoneNumber=555 0102\n");
    Save(1, "BusinessTelephoneNumber=555 0101");
    Save(1, "BusinessTelephoneNumber=");
    EXPECT_EQ(test::RenderContactsFolder(folder),
              "FileAs=Ann; FullName=Ann; Business2TelephoneNumber=555 0102\n");
    Save(1, "Business2TelephoneNumber=");
    EXPECT_EQ(File("ann.vcf"), MakeCard({"FN:Ann"}));
}

// A card keeps its version: 2.1 writes text beyond ASCII in quoted-printable
// UTF-8 and bare types; 4.0 keeps tel: URIs and writes new numbers as text;
// 3.0 folds long lines at 75 octets, never inside a character.
TEST_F(VCardWriteTest, EachVersionWritesItsOwnWay) {
    Write("1.vcf",
          MakeCard({"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Ann", "FN:A"}, "2.1"));
    Save(1,
         "FirstName=Änne;Marie; MobileTelephoneNumber=555 0101; "
         "Business2TelephoneNumber=555 0103; "
         "FullName=Änne Müller, a name long enough to need more than one line in the file");
    EXPECT_EQ(
        File("1.vcf"),
        MakeCard({"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;=C3=84nne\\;Marie",
                  "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=84nne M=C3=BCller, a name l=",
                  "ong enough to need more than one line in the file", "TEL;CELL:555 0101",
                  "TEL;WORK;VOICE:", "TEL;WORK;VOICE:555 0103"},
                 "2.1"));
    EXPECT_EQ(Contact(1)->Get(F::FirstName), "Änne;Marie");

    Write("2.vcf", MakeCard({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0101"}, "4.0"));
    Save(2, "MobileTelephoneNumber=+1-555-0202; HomeTelephoneNumber=555 0303");
    EXPECT_EQ(File("2.vcf"), MakeCard({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0202",
                                       "TEL;VALUE=text;TYPE=home,voice:555 0303"},
                                      "4.0"));

    Write("3.vcf", MakeCard({"FN:Ann"}));
    const std::string x33(33, 'x');
    Save(3, "FullName=Ann " + x33 + "éééééééééééééééééééé Lee");
    // 74 octets fit on the first line; the 75th starts a character.
    EXPECT_EQ(File("3.vcf"), MakeCard({"FN:Ann " + x33 + "ééééééééééééééééé", " ééé Lee"}));
}

// Cards sharing a file: saving one leaves the others' bytes, writing text
// read as Windows-1252 back as UTF-8 for the saved card alone; deleting one
// rewrites the file without it.
TEST_F(VCardWriteTest, SharedFiles) {
    const std::string first = MakeCard({"FN:Zo\xEB", "X-ODD:keep  me"});
    Write("all.vcf", first + "\r\n" + MakeCard({"FN:Ren\xE9", "NOTE:caf\xE9"}));
    Save(2, "User3=7");
    const std::string second = MakeCard({"FN:René", "NOTE:café", "X-VELMORA-CONTACT-ID:7"});
    EXPECT_EQ(File("all.vcf"), first + "\r\n" + second);

    Contact(1)->Delete();
    EXPECT_EQ(File("all.vcf"), "\r\n" + second);
}

// Another program's change since the file was read is never overwritten,
// nor is a file it removed made again.
TEST_F(VCardWriteTest, RefusesToOverwriteAChangedFile) {
    Write("ann.vcf", MakeCard({"FN:Ann"}));
    auto contact = Contact(1);
    contact->Set(F::User3, "7");
    const std::string theirs = MakeCard({"FN:Ann", "TEL:555 0101"});
    Write("ann.vcf", theirs);
    EXPECT_THAT([&] { contact->Save(); },
                ThrowsMessage<Error>(HasSubstr((folder / "ann.vcf").string() + " was changed")));
    EXPECT_EQ(File("ann.vcf"), theirs);
    EXPECT_THROW(contact->Delete(), Error);
    std::filesystem::remove(folder / "ann.vcf");
    EXPECT_THROW(contact->Save(), Error);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// A new card gets a fresh UID and its own file <UID>.vcf in version 3.0, and
// no temporary file is left behind; a file keeps its permissions on save.
TEST_F(VCardWriteTest, NewCardsAndFiles) {
    application = MakeVCardFolderApplication(folder);
    auto ann = application->CreateContactItem();
    ann->Set(F::FullName, "Ann Lee");
    ann->Save();
    const auto annFile = std::filesystem::directory_iterator(folder)->path().filename().string();
    ASSERT_EQ(annFile.size(), 40U);
    EXPECT_EQ(File(annFile), MakeCard({"FN:Ann Lee", "N:;;;;", "UID:" + annFile.substr(0, 36)}));

    application->CreateContactItem()->Save();
    using std::filesystem::perms;
    const auto mode = perms::owner_read | perms::owner_write | perms::group_read;
    std::filesystem::permissions(folder / annFile, mode);
    Save(1, "User3=5");
    Save(2, "User3=6");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    EXPECT_EQ(std::filesystem::status(folder / annFile).permissions(), mode);
}

}  // namespace
}  // namespace velmora
