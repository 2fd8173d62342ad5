#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/Error.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::MakeCard;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ::testing::ThrowsMessage;

std::string Uid(const std::vector<std::string>& lines, std::string_view version = "3.0") {
    std::vector<std::string> withUid{"UID:test-uid"};
    withUid.insert(withUid.end(), lines.begin(), lines.end());
    return MakeCard(withUid, version);
}

class VCardFolderTest : public ::testing::Test {
  protected:
    VCardFolderTest() { std::filesystem::create_directories(folder); }

    void Write(const std::string& name, const std::string& text) {
        test::WriteFileBytes(folder / name, text);
    }
    std::string File(const std::string& name) const { return test::ReadFileBytes(folder / name); }
    std::string Stored() const { return test::RenderAddressBook(*OpenVCardFolder(folder)); }

    void Save(int index, std::string_view fields) {
        const auto book = OpenVCardFolder(folder);
        for (const auto& [field, value] : test::ParseFields(fields))
            book->Set(index, field, value);
        EXPECT_TRUE(book->SaveChanges().empty());
    }

    static std::string Failures(AddressBook& book) {
        std::string reasons;
        for (const CardFailure& failure : book.SaveChanges())
            reasons += failure.reason + "\n";
        return reasons;
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
};

// Each version's encodings and types, as the contact they read as.
TEST_F(VCardFolderTest, CardsReadAsContacts) {
    const std::pair<std::string, std::string> cases[] = {
        // 2.1: quoted-printable, CHARSET, bare types; a stray '=' before END.
        {MakeCard({"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen",
                   "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:J=C3=BCrgen M=C3=BCller, so long=",
                   " that it is broken=3D", "TEL;WORK;VOICE:555-0101", "TEL;CELL:555-0102",
                   "TEL;HOME;FAX:555-0103", "TEL;PREF;HOME:555-0104",
                   "EMAIL;INTERNET:jm@example.com", "NOTE;QUOTED-PRINTABLE:first=0D=0Asecond="},
                  "2.1"),
         "FileAs=Müller, Jürgen; FullName=Jürgen Müller, so long that it is broken=; "
         "FirstName=Jürgen; LastName=Müller; BusinessTelephoneNumber=555-0101; "
         "HomeTelephoneNumber=555-0104; MobileTelephoneNumber=555-0102; "
         "BusinessFaxNumber=555-0103; Email1Address=jm@example.com; Email1AddressType=SMTP"},
        // 3.0: folding, escapes, groups, repeated TYPEs; each TEL fills one field.
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
        // Windows-1252, a byte-order mark and bare LF line ends.
        {"\xEF\xBB\xBF"
         "BEGIN:VCARD\nVERSION:3.0\nFN:Ren\xE9 \x80\nEND:VCARD\n",
         "FileAs=René €; FullName=René €"},
    };
    for (const auto& [text, contact] : cases) {
        Write("card.vcf", text);
        EXPECT_EQ(Stored(), contact + "\n") << text;
    }
}

// Items in file-name byte order; groups are lists; an AGENT card lends no fields.
TEST_F(VCardFolderTest, FolderItems) {
    Write("b.vcf", MakeCard({"FN:B1"}) + "\r\n" + MakeCard({"FN:B2"}));
    Write("a.VCF", MakeCard({"FN:A"}));
    Write("C.vcf", MakeCard({"FN:C"}));
    Write("notes.txt", "not a card");
    Write("._b.vcf", "\x05\x16\x07 resource fork");
    std::filesystem::create_directories(folder / "sub.vcf");
    Write("l1.vcf", MakeCard({"FN:Team A", "KIND:group"}, "4.0"));
    Write("l2.vcf", MakeCard({"X-ADDRESSBOOKSERVER-KIND:Group"}));
    Write("l3.vcf", MakeCard({"X-EVOLUTION-LIST:true"}));
    Write("m.vcf", MakeCard({"FN:Boss", "AGENT:", "BEGIN:VCARD", "VERSION:2.1", "FN:Assistant",
                             "TEL;CELL:555-0199", "END:VCARD", "TEL;WORK:555-0101"},
                            "2.1"));
    EXPECT_EQ(
        Stored(),
        "FileAs=C; FullName=C\nFileAs=A; FullName=A\nFileAs=B1; FullName=B1\n"
        "FileAs=B2; FullName=B2\n(distribution list)\n(distribution list)\n"
        "(distribution list)\nFileAs=Boss; FullName=Boss; BusinessTelephoneNumber=555-0101\n");
}

// An unreadable card, a missing folder or a file in its place stops reading by name.
TEST_F(VCardFolderTest, UnreadableCardsNameFileAndLine) {
    const auto open = [&] { OpenVCardFolder(folder); };
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
        SCOPED_TRACE(text);
        Write("bad.vcf", text);
        EXPECT_THAT(open, ThrowsMessage<Error>(StartsWith(file + where)));
    }
    Write("bad.vcf", MakeCard({"FN:Ann", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ"}));
    EXPECT_NO_THROW(open());

    // Among hundreds of cards, read by more than one thread, the first bad
    // one by name is named, whichever was read first.
    for (int i = 0; i < 600; ++i)
        Write("c" + std::to_string(1000 + i) + ".vcf", Uid({"FN:Card"}));
    for (const char* bad : {"c1577.vcf", "c1130.vcf", "c1100.vcf"})
        Write(bad, "FN:Ann\r\n");
    EXPECT_THAT(open, ThrowsMessage<Error>(
                          StartsWith("The contact file " + (folder / "c1100.vcf").string())));

    std::filesystem::remove_all(folder);
    const std::string named = "The address book folder " + folder.string();
    EXPECT_THAT(open, ThrowsMessage<Error>(named + " does not exist."));
    test::WriteFileBytes(folder, "a file");
    EXPECT_THAT(open, ThrowsMessage<Error>(named + " is not a folder."));
}

// A change rewrites its line alone; rewriting a field's own value writes nothing.
TEST_F(VCardFolderTest, UnknownLinesKeptByteForByte) {
    const std::string before =
        "BEGIN:VCARD\nVERSION:3.0\nUID:ann\nPRODID:-//Some Program//EN\nFN:Ann Lee\n"
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

    const auto book = OpenVCardFolder(folder);
    book->Set(1, F::HomeTelephoneNumber, "555  0102");
    book->Set(1, F::User2, "");
    Write("ann.vcf", expected + "\n");
    EXPECT_EQ(Failures(*book), "");
    EXPECT_EQ(File("ann.vcf"), expected + "\n");
}

// New fields get lines of their types; "" removes a line; "SMTP" adds internet.
TEST_F(VCardFolderTest, AddedAndRemovedLines) {
    Write("ann.vcf",
          Uid({"FN:Ann", "TEL;TYPE=home:555 0101", "EMAIL;TYPE=work:a@example.com", "NOTE:last"}));
    Save(1,
         "HomeTelephoneNumber=; BusinessTelephoneNumber=555 0201; MobileTelephoneNumber=555 0202; "
         "BusinessFaxNumber=555 0203; PagerNumber=555 0204; OtherTelephoneNumber=555 0205; "
         "Email1AddressType=SMTP; User3=12; FileAs=Lee, Ann");
    EXPECT_EQ(File("ann.vcf"), Uid({"FN:Ann", "EMAIL;TYPE=work;TYPE=internet:a@example.com",
                                    "NOTE:last", "TEL;TYPE=work,voice:555 0201",
                                    "TEL;TYPE=cell:555 0202", "TEL;TYPE=work,fax:555 0203",
                                    "TEL;TYPE=pager:555 0204", "TEL;TYPE=voice:555 0205",
                                    "X-VELMORA-CONTACT-ID:12", "X-EVOLUTION-FILE-AS:Lee\\, Ann"}));
}

// The second work number keeps its field whatever happens to the first.
TEST_F(VCardFolderTest, SecondWorkNumberKeepsItsPlace) {
    Write("ann.vcf", Uid({"FN:Ann"}));
    Save(1, "Business2TelephoneNumber=555 0102");
    EXPECT_EQ(Stored(), "FileAs=Ann; FullName=Ann; Business2TelephoneNumber=555 0102\n");
    Save(1, "BusinessTelephoneNumber=555 0101");
    Save(1, "BusinessTelephoneNumber=");
    EXPECT_EQ(Stored(), "FileAs=Ann; FullName=Ann; Business2TelephoneNumber=555 0102\n");
    Save(1, "Business2TelephoneNumber=");
    EXPECT_EQ(File("ann.vcf"), Uid({"FN:Ann"}));
}

// Each version writes its own way: 2.1 8-bit, 4.0 tel: URIs, 3.0 folded at 75 octets.
TEST_F(VCardFolderTest, EachVersionWritesItsOwnWay) {
    Write("1.vcf",
          Uid({"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Ann", "FN:A"}, "2.1"));
    Save(1,
         "FirstName=Änne;Marie; MobileTelephoneNumber=555 0101; "
         "Business2TelephoneNumber=555 0103; "
         "FullName=Änne Müller, a name long enough to need more than one line in the file");
    EXPECT_EQ(File("1.vcf"),
              Uid({"N;CHARSET=UTF-8:Müller;Änne\\;Marie",
                   "FN;CHARSET=UTF-8:Änne Müller, a name long enough to need more than one line in "
                   "the file",
                   "TEL;CELL:555 0101", "TEL;WORK;VOICE:", "TEL;WORK;VOICE:555 0103"},
                  "2.1"));
    EXPECT_EQ(OpenVCardFolder(folder)->Get(1, F::FirstName), "Änne;Marie");

    Write("2.vcf", Uid({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0101"}, "4.0"));
    Save(2, "MobileTelephoneNumber=+1-555-0202; HomeTelephoneNumber=555 0303");
    EXPECT_EQ(File("2.vcf"), Uid({"FN:Ann", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0202",
                                  "TEL;VALUE=text;TYPE=home,voice:555 0303"},
                                 "4.0"));

    Write("3.vcf", Uid({"FN:Ann"}));
    const std::string x33(33, 'x');
    Save(3, "FullName=Ann " + x33 + "éééééééééééééééééééé Lee");
    EXPECT_EQ(File("3.vcf"), Uid({"FN:Ann " + x33 + "ééééééééééééééééé", " ééé Lee"}));
}

// One card of a shared file is saved or deleted, the others' bytes kept.
TEST_F(VCardFolderTest, SharedFiles) {
    const std::string first = MakeCard({"FN:Zo\xEB", "X-ODD:keep  me"});
    Write("all.vcf", first + "\r\n" + Uid({"FN:Ren\xE9", "NOTE:caf\xE9"}));
    Save(2, "User3=7");
    const std::string second = Uid({"FN:Ren\xE9", "NOTE:caf\xE9", "X-VELMORA-CONTACT-ID:7"});
    EXPECT_EQ(File("all.vcf"), first + "\r\n" + second);

    // Written in turns with a card of another file, both cards of the
    // shared file keep their changes.
    Write("all.vcf", Uid({"FN:Zo\xEB"}) + "\r\n" + second);
    Write("b.vcf", MakeCard({"FN:Bob"}));
    auto book = OpenVCardFolder(folder);
    book->Set(2, ContactField::NickName, "R");
    book->Set(3, ContactField::NickName, "B");
    book->Set(1, ContactField::NickName, "Z");
    book->Set(2, ContactField::User3, "8");
    EXPECT_EQ(Failures(*book), "");
    const std::string firstNamed = Uid({"FN:Zo\xEB", "NICKNAME:Z"});
    const std::string secondNamed =
        Uid({"FN:Ren\xE9", "NOTE:caf\xE9", "X-VELMORA-CONTACT-ID:8", "NICKNAME:R"});
    EXPECT_EQ(File("all.vcf"), firstNamed + "\r\n" + secondNamed);

    book = OpenVCardFolder(folder);
    book->Delete(1);
    EXPECT_EQ(Failures(*book), "");
    EXPECT_EQ(File("all.vcf"), "\r\n" + secondNamed);
}

// Another program's change or removal since the read is never overwritten.
TEST_F(VCardFolderTest, RefusesToOverwriteAChangedFile) {
    Write("ann.vcf", MakeCard({"FN:Ann"}));
    const auto book = OpenVCardFolder(folder);
    book->Set(1, F::User3, "7");
    const std::string theirs = MakeCard({"FN:Ann", "TEL:555 0101"});
    Write("ann.vcf", theirs);
    EXPECT_THAT(Failures(*book), HasSubstr((folder / "ann.vcf").string() +
                                           " was not written: it was changed by another program"));
    EXPECT_EQ(File("ann.vcf"), theirs);

    const auto deleting = OpenVCardFolder(folder);
    deleting->Delete(1);
    Write("ann.vcf", MakeCard({"FN:Ann"}));
    EXPECT_THAT(Failures(*deleting), HasSubstr("was changed"));
    EXPECT_TRUE(std::filesystem::exists(folder / "ann.vcf"));

    const auto saving = OpenVCardFolder(folder);
    saving->Set(1, F::User3, "8");
    std::filesystem::remove(folder / "ann.vcf");
    EXPECT_THAT(Failures(*saving), HasSubstr("was removed"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// A new card gets its own <UID>.vcf; a saved file keeps its permissions.
TEST_F(VCardFolderTest, NewCardsAndFiles) {
    const auto book = OpenVCardFolder(folder);
    book->Set(book->Create(), F::FullName, "Ann Lee");
    EXPECT_EQ(Failures(*book), "");
    const auto annFile = std::filesystem::directory_iterator(folder)->path().filename().string();
    ASSERT_EQ(annFile.size(), 40U);
    EXPECT_EQ(File(annFile), MakeCard({"FN:Ann Lee", "N:;;;;", "UID:" + annFile.substr(0, 36)}));

    book->Create();
    EXPECT_EQ(Failures(*book), "");
    using std::filesystem::perms;
    const auto mode = perms::owner_read | perms::owner_write | perms::group_read;
    std::filesystem::permissions(folder / annFile, mode);
    Save(1, "User3=5");
    Save(2, "User3=6");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    EXPECT_EQ(std::filesystem::status(folder / annFile).permissions(), mode);
}

// A new card whose file cannot be made keeps what was written to it, and a
// later save stores it with the changes made since.
TEST_F(VCardFolderTest, ANewCardWhoseFileFailsStaysNew) {
    const auto book = OpenVCardFolder(folder);
    const CardHandle ann = book->Create();
    book->Set(ann, F::FullName, "Ann Lee");
    book->Set(book->Create(), F::FullName, "Bob Ray");  // the writer moves on
    const std::string annFile = book->PendingFiles().created.front();
    const std::string theirs = MakeCard({"FN:Someone else"});
    Write(annFile, theirs);
    EXPECT_THAT(Failures(*book), HasSubstr(annFile));
    EXPECT_EQ(File(annFile), theirs);

    std::filesystem::remove(folder / annFile);
    book->Set(ann, F::NickName, "Annie");
    EXPECT_EQ(Failures(*book), "");
    EXPECT_EQ(File(annFile),
              MakeCard({"FN:Ann Lee", "N:;;;;", "UID:" + annFile.substr(0, 36), "NICKNAME:Annie"}));
}

// Links, same-byte rewrites and a killed run's temporary files.
TEST_F(VCardFolderTest, FileSettingsAndLeftovers) {
    test::TempDir elsewhere;
    test::WriteFileBytes(elsewhere.Path() / "real.vcf", Uid({"FN:Real"}));
    std::filesystem::create_symlink(elsewhere.Path() / "real.vcf", folder / "s.vcf");
    Write("same.vcf", Uid({"FN:Same"}));
    Write(".ann.vcf.1f2e.tmp", "half a card");
    Write(".keep.tmp", "not ours");

    const auto book = OpenVCardFolder(folder);
    ASSERT_EQ(book->Count(), 2);  // s, same
    for (CardHandle card = 1; card <= 2; ++card)
        book->Set(card, F::User3, std::to_string(card));
    Write("same.vcf", Uid({"FN:Same"}));
    EXPECT_EQ(Failures(*book), "");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "s.vcf"));
    EXPECT_EQ(test::ReadFileBytes(elsewhere.Path() / "real.vcf"),
              Uid({"FN:Real", "X-VELMORA-CONTACT-ID:1"}));
    EXPECT_EQ(File("same.vcf"), Uid({"FN:Same", "X-VELMORA-CONTACT-ID:2"}));
    EXPECT_FALSE(std::filesystem::exists(folder / ".ann.vcf.1f2e.tmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / ".keep.tmp"));

    const auto deleting = OpenVCardFolder(folder);
    deleting->Delete(1);
    EXPECT_EQ(Failures(*deleting), "");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "s.vcf"));
    EXPECT_TRUE(std::filesystem::exists(elsewhere.Path() / "real.vcf"));
}

// Batches of every size, and saves of several batches (each swapped in
// while the next is written), store each card, refuse a read-only one in
// the first batch and in the last, and leave no temporary file behind.
TEST_F(VCardFolderTest, LargeBatchesStoreEveryCard) {
    for (const int cards : {300, 1100, 4500}) {  // 4500: stored in two batches
        SCOPED_TRACE(cards);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const auto name = [](int i) { return "c" + std::to_string(10000 + i) + ".vcf"; };
        for (int i = 0; i < cards; ++i)
            Write(name(i), Uid({"FN:Card " + std::to_string(i)}));
        const int last = cards - 2;
        for (const int readOnly : {150, last})
            std::filesystem::permissions(folder / name(readOnly),
                                         std::filesystem::perms::owner_read);
        const auto book = OpenVCardFolder(folder);
        for (CardHandle card = 1; card <= cards; ++card)
            book->Set(card, F::User3, std::to_string(card));
        book->Set(book->Create(), F::FullName, "New");
        const auto refused = [&](int i) {
            return "The contact file " + (folder / name(i)).string() +
                   " was not written: it is read-only.\n";
        };
        EXPECT_EQ(Failures(*book), refused(150) + refused(last));
        EXPECT_EQ(File(name(0)), Uid({"FN:Card 0", "X-VELMORA-CONTACT-ID:1"}));
        EXPECT_EQ(File(name(cards - 1)), Uid({"FN:Card " + std::to_string(cards - 1),
                                              "X-VELMORA-CONTACT-ID:" + std::to_string(cards)}));
        EXPECT_EQ(File(name(150)), Uid({"FN:Card 150"}));
        EXPECT_EQ(File(name(last)), Uid({"FN:Card " + std::to_string(last)}));
        EXPECT_EQ(OpenVCardFolder(folder)->Count(), cards + 1);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), cards + 1);
    }
}

// A book opened to check only (a preview) reports the cards a save would
// refuse, in the same words, and writes nothing: no card, no index, no
// leftover removed.
TEST_F(VCardFolderTest, CheckingOnlyRefusesAsASaveWouldAndWritesNothing) {
    Write("ann.vcf", Uid({"FN:Ann"}));
    Write("bob.vcf", Uid({"FN:Bob"}));
    Write("cy.vcf", Uid({"FN:Cy"}));
    Write(".ann.vcf.1f2e.tmp", "half a card");
    std::filesystem::permissions(folder / "bob.vcf", std::filesystem::perms::owner_read);
    const std::filesystem::path index = dir / "cards.index";
    const auto book = OpenVCardFolder(folder, index, SaveMode::CheckOnly);
    for (CardHandle card = 1; card <= 3; ++card)
        book->Set(card, F::User3, std::to_string(card));
    book->Set(book->Create(), F::FullName, "New");
    Write("cy.vcf", Uid({"FN:Cy", "NOTE:theirs"}));
    const auto before = test::FilesBelow(dir.Path());

    EXPECT_EQ(Failures(*book),
              "The contact file " + (folder / "bob.vcf").string() +
                  " was not written: it is read-only.\n"
                  "The contact file " +
                  (folder / "cy.vcf").string() +
                  " was not written: it was changed by another program after it was read, and "
                  "that change is kept. Please run the synchronization again.\n");
    EXPECT_EQ(test::FilesBelow(dir.Path()), before);
}

// A save killed as it swaps in its first batch (the next batch's temporary
// files already written) leaves each card whole, old or new; the next save
// clears the temporary files and stores every card, and one more writes
// nothing.
TEST_F(VCardFolderTest, ASaveKilledMidwayLeavesEachCardWhole) {
    constexpr int kCards = 4500;  // two batches
    const auto name = [](int i) { return "c" + std::to_string(10000 + i) + ".vcf"; };
    const auto card = [](int i, bool written) {
        std::vector<std::string> lines{"FN:Card " + std::to_string(i)};
        if (written) lines.push_back("X-VELMORA-CONTACT-ID:" + std::to_string(i + 1));
        return Uid(lines);
    };
    for (int i = 0; i < kCards; ++i)
        Write(name(i), card(i, false));
    const auto setEvery = [](AddressBook& book) {
        for (CardHandle c = 1; c <= kCards; ++c)
            book.Set(c, F::User3, std::to_string(c));
    };
    const std::string first = (folder / name(0)).string();
    struct stat status {};
    ASSERT_EQ(stat(first.c_str(), &status), 0);
    const ino_t firstInode = status.st_ino;

    const pid_t saving = fork();
    if (saving == 0) {
        const auto book = OpenVCardFolder(folder);
        setEvery(*book);
        book->SaveChanges();
        _exit(0);
    }
    int ended = 0;
    while (waitpid(saving, &ended, WNOHANG) == 0) {
        if (stat(first.c_str(), &status) == 0 && status.st_ino != firstInode) {
            kill(saving, SIGKILL);
            waitpid(saving, &ended, 0);
            break;
        }
    }
    ASSERT_TRUE(WIFSIGNALED(ended));
    int temporary = 0;
    int written = 0;
    for (const auto& [file, text] : test::FilesBelow(folder)) {
        if (file.front() == '.') {
            ++temporary;
            continue;
        }
        const int i = std::stoi(file.substr(1)) - 10000;
        if (text == card(i, true)) {
            ++written;
        } else {
            EXPECT_EQ(text, card(i, false)) << file;
        }
    }
    EXPECT_GT(written, 0);
    EXPECT_GT(temporary, kCards / 2);  // the second batch's, at least

    const auto book = OpenVCardFolder(folder);
    setEvery(*book);
    EXPECT_EQ(Failures(*book), "");
    int stored = 0;
    for (const auto& [file, text] : test::FilesBelow(folder))
        stored += file.front() != '.' && text == card(std::stoi(file.substr(1)) - 10000, true);
    EXPECT_EQ(stored, kCards);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), kCards);

    // And a save of the same values then writes nothing.
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    const auto folderChanged = status.st_mtim;
    const auto again = OpenVCardFolder(folder);
    setEvery(*again);
    EXPECT_EQ(Failures(*again), "");
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, folderChanged.tv_sec);
    EXPECT_EQ(status.st_mtim.tv_nsec, folderChanged.tv_nsec);
}

// A written card without a UID gets one; an unwritten one is left alone.
TEST_F(VCardFolderTest, WrittenCardsGetAUid) {
    Write("a.vcf", MakeCard({"FN:Ann"}));
    Write("b.vcf", MakeCard({"FN:Bob"}));
    Save(1, "User3=7");
    const std::string written = File("a.vcf");
    const std::size_t uid = written.find("\r\nUID:");
    ASSERT_NE(uid, std::string::npos) << written;
    EXPECT_EQ(written.find("\r\n", uid + 2), uid + 6 + 36);  // a UUID
    EXPECT_EQ(File("b.vcf"), MakeCard({"FN:Bob"}));
}

}  // namespace
}  // namespace velmora
