#include <regex>
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
using test::ReadFileBytes;
using test::WriteCardFile;

class VCardWriteTest : public ::testing::Test {
  protected:
    VCardWriteTest() { std::filesystem::create_directories(folder); }

    void Open() { application = MakeVCardFolderApplication(folder); }

    std::unique_ptr<ContactItem> Contact(int index) {
        return TakeContact(application->GetDefaultContactsFolder().Items()->Item(index));
    }

    // Writes one field of the item at `index` in a fresh session and saves it.
    void SaveField(int index, ContactField field, const std::string& value) {
        Open();
        auto contact = Contact(index);
        contact->Set(field, value);
        contact->Save();
    }

    std::string File(const std::string& name) const { return ReadFileBytes(folder / name); }

    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
    std::unique_ptr<OutlookApplication> application;
};

// A saved change rewrites its line alone: every other line, folded, binary or
// unknown, stays byte for byte, line ends included.
TEST_F(VCardWriteTest, UnknownLinesKeptByteForByte) {
    const std::string before =
        "BEGIN:VCARD\n"
        "VERSION:3.0\n"
        "PRODID:-//Some Program//EN\n"
        "FN:Ann Lee\n"
        "N:Lee;Ann;Marie;Dr.;PhD\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgMCAgMDAwMEAw\n"
        " MDBAUEBAQEBAUGBQUGBQUGBAgMCgoMCAcHBwgLCQkKDAsK\n"
        "item1.TEL;type=CELL;x-Label=\"My, own\":555 0101\n"
        "item1.X-ABLabel:mobile\n"
        "NOTE:a note\\, with commas\n"
        "X-SOMETHING;X-PARAM=1:kept\n"
        "END:VCARD\n";
    WriteCardFile(folder, "ann.vcf", before);
    SaveField(1, F::MobileTelephoneNumber, "(555) 020-2020");
    std::string expected = before;
    expected.replace(expected.find("555 0101"), 8, "(555) 020-2020");
    EXPECT_EQ(File("ann.vcf"), expected);

    SaveField(1, F::FirstName, "Anna");
    expected.replace(expected.find("N:Lee;Ann;"), 10, "N:Lee;Anna;");
    EXPECT_EQ(File("ann.vcf"), expected);
}

// Writing what a field already holds, or saving nothing, leaves the file as
// it is, even if another program changed it meanwhile.
TEST_F(VCardWriteTest, NothingChangedNothingWritten) {
    const std::string card = MakeCard({"FN:Ann", "N:Lee;Ann;;;", "TEL;TYPE=home:555  0101"});
    WriteCardFile(folder, "ann.vcf", card);
    Open();
    auto contact = Contact(1);
    contact->Set(F::HomeTelephoneNumber, "555  0101");
    contact->Set(F::FileAs, "");
    contact->Set(F::User2, "");
    WriteCardFile(folder, "ann.vcf", card + "\r\n");
    EXPECT_NO_THROW(contact->Save());
    EXPECT_EQ(File("ann.vcf"), card + "\r\n");
}

// Fields missing from a card get lines of the right types, after the lines of
// their property; "" removes a line.
TEST_F(VCardWriteTest, AddedAndRemovedLines) {
    WriteCardFile(folder, "ann.vcf",
                  MakeCard({"FN:Ann", "TEL;TYPE=home:555 0101", "EMAIL;TYPE=work:a@example.com",
                            "NOTE:last"}));
    Open();
    auto contact = Contact(1);
    contact->Set(F::HomeTelephoneNumber, "");
    contact->Set(F::BusinessTelephoneNumber, "555 0201");
    contact->Set(F::MobileTelephoneNumber, "555 0202");
    contact->Set(F::BusinessFaxNumber, "555 0203");
    contact->Set(F::PagerNumber, "555 0204");
    contact->Set(F::OtherTelephoneNumber, "555 0205");
    contact->Set(F::Email1AddressType, "SMTP");
    contact->Set(F::User3, "12");
    contact->Set(F::FileAs, "Lee, Ann");
    contact->Save();
    EXPECT_EQ(File("ann.vcf"),
              MakeCard({"FN:Ann", "EMAIL;TYPE=work;TYPE=internet:a@example.com", "NOTE:last",
                        "TEL;TYPE=work,voice:555 0201", "TEL;TYPE=cell:555 0202",
                        "TEL;TYPE=work,fax:555 0203", "TEL;TYPE=pager:555 0204",
                        "TEL;TYPE=voice:555 0205", "X-VELMORA-CONTACT-ID:12",
                        "X-EVOLUTION-FILE-AS:Lee\\, Ann"}));
    EXPECT_EQ(test::RenderContactsFolder(folder),
              "User3=12; FileAs=Lee, Ann; FullName=Ann; BusinessTelephoneNumber=555 0201; "
              "MobileTelephoneNumber=555 0202; BusinessFaxNumber=555 0203; "
              "PagerNumber=555 0204; OtherTelephoneNumber=555 0205; "
              "Email1Address=a@example.com; Email1AddressType=SMTP\n");
}

// The second work number keeps its field whatever happens to the first.
TEST_F(VCardWriteTest, SecondWorkNumberKeepsItsPlace) {
    WriteCardFile(folder, "ann.vcf", MakeCard({"FN:Ann"}));
    SaveField(1, F::Business2TelephoneNumber, "555 0102");
    Open();
    EXPECT_EQ(Contact(1)->Get(F::BusinessTelephoneNumber), "");
    EXPECT_EQ(Contact(1)->Get(F::Business2TelephoneNumber), "555 0102");

    SaveField(1, F::BusinessTelephoneNumber, "555 0101");
    SaveField(1, F::BusinessTelephoneNumber, "");
    Open();
    EXPECT_EQ(Contact(1)->Get(F::BusinessTelephoneNumber), "");
    EXPECT_EQ(Contact(1)->Get(F::Business2TelephoneNumber), "555 0102");

    SaveField(1, F::Business2TelephoneNumber, "");
    EXPECT_EQ(File("ann.vcf"), MakeCard({"FN:Ann"}));
}

// A 2.1 card stays 2.1: text beyond ASCII goes in quoted-printable UTF-8,
// added lines use bare types, and the card reads back the same.
TEST_F(VCardWriteTest, Version21Writing) {
    WriteCardFile(
        folder, "ann.vcf",
        MakeCard({"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Ann", "FN:Ann Muller"},
                 "2.1"));
    Open();
    auto contact = Contact(1);
    contact->Set(F::FirstName, "Änne; Marie");
    contact->Set(F::MobileTelephoneNumber, "555 0101");
    contact->Set(F::BusinessTelephoneNumber, "555 0102");
    contact->Set(F::Business2TelephoneNumber, "555 0103");
    EXPECT_EQ(contact->Get(F::BusinessTelephoneNumber), "555 0102");
    contact->Set(F::FullName,
                 "Änne Müller, a name long enough to need more than one line in the file");
    contact->Save();
    EXPECT_EQ(
        File("ann.vcf"),
        MakeCard({"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;=C3=84nne\\; Marie",
                  "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=84nne M=C3=BCller, a name l=",
                  "ong enough to need more than one line in the file", "TEL;CELL:555 0101",
                  "TEL;WORK;VOICE:555 0102", "TEL;WORK;VOICE:555 0103"},
                 "2.1"));
    Open();
    EXPECT_EQ(Contact(1)->Get(F::FirstName), "Änne; Marie");
    EXPECT_EQ(Contact(1)->Get(F::LastName), "Müller");
    EXPECT_EQ(Contact(1)->Get(F::Business2TelephoneNumber), "555 0103");
    EXPECT_EQ(Contact(1)->Get(F::FullName),
              "Änne Müller, a name long enough to need more than one line in the file");
}

// Long 3.0 lines are folded at 75 octets, never inside a character.
TEST_F(VCardWriteTest, LongLinesFolded) {
    WriteCardFile(folder, "ann.vcf", MakeCard({"FN:Ann"}));
    std::string accents;
    for (int i = 0; i < 20; ++i)
        accents += "é";
    const std::string name = "Ann " + std::string(33, 'x') + accents + " Lee";
    SaveField(1, F::FullName, name);
    // 74 octets fit on the first line; the 75th starts a character.
    const std::string firstLine = "FN:Ann " + std::string(33, 'x') + accents.substr(0, 34);
    EXPECT_EQ(File("ann.vcf"), MakeCard({firstLine, " ééé Lee"}));
    Open();
    EXPECT_EQ(Contact(1)->Get(F::FullName), name);
}

// 4.0 numbers written as tel: URIs stay URIs; new 4.0 numbers are text.
TEST_F(VCardWriteTest, Version40Numbers) {
    WriteCardFile(folder, "ann.vcf",
                  MakeCard({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0101"}, "4.0"));
    Open();
    auto contact = Contact(1);
    contact->Set(F::MobileTelephoneNumber, "+1-555-0202");
    contact->Set(F::HomeTelephoneNumber, "555 0303");
    contact->Save();
    EXPECT_EQ(File("ann.vcf"), MakeCard({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0202",
                                         "TEL;VALUE=text;TYPE=home,voice:555 0303"},
                                        "4.0"));
}

// Cards sharing a file: saving one leaves the others' bytes; deleting one
// rewrites the file without it, deleting the last removes the file.
TEST_F(VCardWriteTest, SharedFiles) {
    const std::string first = MakeCard({"FN:Ann", "X-ODD:keep  me"});
    const std::string second = MakeCard({"FN:Bob"});
    WriteCardFile(folder, "all.vcf", first + "\r\n" + second);
    SaveField(2, F::User3, "7");
    EXPECT_EQ(File("all.vcf"), first + "\r\n" + MakeCard({"FN:Bob", "X-VELMORA-CONTACT-ID:7"}));

    Open();
    Contact(1)->Delete();
    EXPECT_EQ(File("all.vcf"), "\r\n" + MakeCard({"FN:Bob", "X-VELMORA-CONTACT-ID:7"}));
    Contact(1)->Delete();
    EXPECT_TRUE(FileNames().empty());
}

// Another program's change since the file was read is never overwritten.
TEST_F(VCardWriteTest, RefusesToOverwriteAChangedFile) {
    WriteCardFile(folder, "ann.vcf", MakeCard({"FN:Ann"}));
    Open();
    auto contact = Contact(1);
    contact->Set(F::User3, "7");
    const std::string theirs = MakeCard({"FN:Ann", "TEL:555 0101"});
    WriteCardFile(folder, "ann.vcf", theirs);
    try {
        contact->Save();
        FAIL() << "saved over a changed file";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find((folder / "ann.vcf").string() + " was changed"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(File("ann.vcf"), theirs);
    EXPECT_THROW(contact->Delete(), Error);

    std::filesystem::remove(folder / "ann.vcf");
    EXPECT_THROW(contact->Save(), Error);
    EXPECT_TRUE(FileNames().empty());
}

// A new card gets a fresh UID and its own file <UID>.vcf in version 3.0; no
// temporary file is left behind; the file keeps its permissions on save.
TEST_F(VCardWriteTest, NewCardsAndFiles) {
    Open();
    auto first = application->CreateContactItem();
    first->Set(F::FullName, "Ann Lee");
    first->Set(F::Email1Address, "ann@example.com");
    first->Set(F::Email1AddressType, "SMTP");
    first->Save();
    const std::regex uidFile(
        "([0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12})\\.vcf");
    std::smatch match;
    const std::string annFile = FileNames().at(0);
    ASSERT_TRUE(std::regex_match(annFile, match, uidFile)) << annFile;
    EXPECT_EQ(File(annFile),
              MakeCard({"FN:Ann Lee", "N:;;;;", "EMAIL;TYPE=internet:ann@example.com",
                        "UID:" + match[1].str()}));

    application->CreateContactItem()->Save();
    const auto names = FileNames();
    ASSERT_EQ(names.size(), 2U);
    EXPECT_NE(names[0], names[1]);
    EXPECT_TRUE(std::regex_match(names[0], uidFile)) << names[0];
    EXPECT_TRUE(std::regex_match(names[1], uidFile)) << names[1];

    std::filesystem::permissions(folder / names[0], std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_write |
                                                        std::filesystem::perms::group_read);
    SaveField(1, F::User3, "5");
    SaveField(2, F::User3, "6");
    EXPECT_EQ(FileNames(), names);
    EXPECT_EQ(std::filesystem::status(folder / names[0]).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// Text read as Windows-1252 is written back as UTF-8 when its card is saved,
// and only then.
TEST_F(VCardWriteTest, Windows1252WrittenBackAsUtf8) {
    const std::string other = MakeCard({"FN:Zo\xEB"});
    WriteCardFile(folder, "all.vcf", MakeCard({"FN:Ren\xE9", "NOTE:caf\xE9"}) + other);
    SaveField(1, F::User3, "1");
    EXPECT_EQ(File("all.vcf"),
              MakeCard({"FN:René", "NOTE:café", "X-VELMORA-CONTACT-ID:1"}) + other);
    Open();
    EXPECT_EQ(Contact(1)->Get(F::FullName), "René");
    EXPECT_EQ(Contact(2)->Get(F::FullName), "Zoë");
}

}  // namespace
}  // namespace velmora
