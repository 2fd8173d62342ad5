#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/RunState.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/OutlookWriter.h"
#include "stores/outlook/VCardFolder.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using Lines = std::vector<std::string>;

class OutlookWriterTest : public ::testing::Test {
  protected:
    OutlookWriterTest() { state.settings.LogPath = dir / "Data" / "SyncLog.txt"; }

    SyncObject& Record(const std::string& flag, const std::string& id, const std::string& name) {
        SyncObject record;
        record.Flag = flag;
        record.ContactID = id;
        record.ContactName = name;
        return state.OutlookSet.Append(record);
    }

    // Runs the writer over the address book and returns the lines it logged
    // after its heading.
    Lines Write() { return WriteWith(book.Factory()); }

    Lines WriteWith(const OutlookApplicationFactory& factory) {
        WriteOutlookContacts(state, factory, ui);
        const std::string log = test::ReadFileBytes(state.settings.LogPath);
        Lines lines;
        for (std::size_t at = 0; at < log.size();) {
            const std::size_t end = log.find("\r\n", at);
            lines.push_back(log.substr(at, end - at));
            at = end + 2;
        }
        EXPECT_EQ(lines.at(0), "Writing to Outlook Contacts.");
        return Lines(lines.begin() + 1, lines.end());
    }

    // The names-prompt events the UI recorded.
    Lines Prompts() const {
        Lines prompts;
        for (const std::string& event : ui.events)
            if (event.rfind("names: ", 0) == 0) prompts.push_back(event);
        return prompts;
    }

    test::TempDir dir;
    InMemoryAddressBook book;
    RunState state;
    test::ScriptedRunUi ui;
};

// Records flagged "", "M" or "N" leave the address book alone and log nothing.
TEST_F(OutlookWriterTest, UnflaggedRecordsAreLeftAlone) {
    book.AddContact({{F::User3, "1"}, {F::User2, "Y"}, {F::FileAs, "Ann"}});
    for (const std::string flag : {"", "M", "N", "d"})
        Record(flag, "1", "Ann").HomeNumber = "5550000";
    EXPECT_EQ(Write(), Lines{});
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Deletes(), 0);
    EXPECT_EQ(book.Logoffs(), 0);
}

// "D" deletes the included contact with the record's ID and never searches by name.
TEST_F(OutlookWriterTest, DeletePaths) {
    book.AddContact({{F::User3, "1"}, {F::User2, "yes"}, {F::FileAs, "Ann"}});
    book.AddContact({{F::User3, "9"}, {F::User2, "Y"}, {F::FileAs, "Bob"}});
    book.AddContact({{F::User3, "3"}, {F::User2, "No"}, {F::FileAs, "Cy"}});
    Record("D", "1", "Ann");
    Record("D", "2", "Bob");
    Record("D", "3", "Cy");
    Record("D", "O'4", "D'Arcy");
    EXPECT_EQ(Write(), (Lines{"... Ann has been deleted.", "... Bob was not found to be deleted.",
                              "... Cy was not found to be deleted.",
                              "... D'Arcy was not found to be deleted."}));
    EXPECT_EQ(book.Count(), 2);
    EXPECT_EQ(book.Field(1, F::FileAs), "Bob");
}

// A "W" record that agrees with its contact, numbers equal up to punctuation,
// saves nothing and logs nothing.
TEST_F(OutlookWriterTest, RewriteWithNothingToChange) {
    book.AddContact({{F::User3, "5"},
                     {F::User2, "Y"},
                     {F::FileAs, "Lee, Ann"},
                     {F::HomeTelephoneNumber, "555 123 4567"},
                     {F::User1, "12*3"},
                     {F::Email1Address, "ann@example.com"},
                     {F::User4, "DC:1,H:2,E:3"}});
    SyncObject& record = Record("W", "5", "Lee, Ann");
    record.HomeNumber = "5551234567";
    record.DCNumber = "12*3";
    record.EmailAddress = "ann@example.com";
    record.DCSpeed = "1";
    record.HomeSpeed = "2";
    record.EmailSpeed = "3";
    EXPECT_EQ(Write(), Lines{});
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Field(1, F::HomeTelephoneNumber), "555 123 4567");
    EXPECT_TRUE(ui.events.empty());
}

// Every field a "W" record changes is saved and logged in its order: names
// through the prompt, direct connect, e-mail, then the numbers, then the tag.
TEST_F(OutlookWriterTest, RewriteChangesEveryField) {
    book.AddContact({{F::User3, "5"},
                     {F::User2, "Y"},
                     {F::FileAs, "Lee, Ann"},
                     {F::FullName, "Ann Lee"},
                     {F::FirstName, "Ann"},
                     {F::LastName, "Lee"},
                     {F::NickName, "Annie"},
                     {F::User1, "12*3"},
                     {F::Email1Address, "Ann@Example.com"},
                     {F::HomeTelephoneNumber, "555 123 4567"},
                     {F::PagerNumber, "555-0100"},
                     {F::BusinessFaxNumber, "(555) 000-0001"},
                     {F::User4, "H:2,P:4"}});
    state.settings.MaskOption = 2;
    SyncObject& record = Record("W", "5", "Lee, Annabel");
    record.DCNumber = "12*4";
    record.EmailAddress = "ann@example.com";
    record.FaxNumber = "5550000001";
    record.HomeNumber = "5559876543";
    record.HomeSpeed = "2";
    record.MobileNumber = "15551112222";
    record.MobileSpeed = "7";
    record.Work2Number = "1234567";
    record.Work2Speed = "8";
    ui.nameAnswers.push_back(NameValues{"Annabel", "Lee", "Annabel Lee", "Lee, Annabel"});
    EXPECT_EQ(Write(),
              (Lines{"... The following name changes for Lee, Ann have been made:",
                     "........ First name: Annabel", "........ Last name: Lee",
                     "........ Full name: Annabel Lee", "........ File as: Lee, Annabel",
                     "... The direct connect number for Lee, Annabel has been changed from 12*3 "
                     "to 12*4.",
                     "... The email address for Lee, Annabel has been changed from "
                     "Ann@Example.com to ann@example.com.",
                     "... The home number for Lee, Annabel has been changed from 5551234567 to "
                     "(555) 987-6543.",
                     "... The mobile number for Lee, Annabel has been changed from  to 1 (555) "
                     "111-2222.",
                     "... The pager number for Lee, Annabel has been deleted.",
                     "... The secondary work number for Lee, Annabel has been changed from  to "
                     "123-4567.",
                     "... The new speed dial values for Lee, Annabel have been saved."}));
    EXPECT_EQ(Prompts(), Lines{"names: Ann|Lee|Ann Lee|Lee, Annabel"});
    EXPECT_EQ(book.Saves(), 8);
    EXPECT_EQ(book.Field(1, F::FileAs), "Lee, Annabel");
    EXPECT_EQ(book.Field(1, F::FullName), "Annabel Lee");
    EXPECT_EQ(book.Field(1, F::FirstName), "Annabel");
    EXPECT_EQ(book.Field(1, F::NickName), "Annie");
    EXPECT_EQ(book.Field(1, F::BusinessFaxNumber), "(555) 000-0001");
    EXPECT_EQ(book.Field(1, F::HomeTelephoneNumber), "(555) 987-6543");
    EXPECT_EQ(book.Field(1, F::PagerNumber), "");
    EXPECT_EQ(book.Field(1, F::Business2TelephoneNumber), "123-4567");
    EXPECT_EQ(book.Field(1, F::User4), "W2:8,DC:,H:2,M:7,F:,E:");
    EXPECT_EQ(state.NewFileAs, "Lee, Annabel");
}

// A contact that lost its ID is found by name, and its ID is stored with the
// first save; removing the address empties the display name.
TEST_F(OutlookWriterTest, RewriteFoundByName) {
    book.AddContact({{F::User2, "YES"},
                     {F::FullName, "O'Brien"},
                     {F::Email1Address, "x@example.com"},
                     {F::Email1DisplayName, "X (x@example.com)"}});
    state.settings.NameField = "Full Name";
    Record("W", "8", "O'Brien");
    EXPECT_EQ(Write(), Lines{"... The email address for O'Brien has been deleted."});
    EXPECT_EQ(book.Field(1, F::User3), "8");
    EXPECT_EQ(book.Field(1, F::Email1Address), "");
    EXPECT_EQ(book.Field(1, F::Email1DisplayName), "");
    EXPECT_EQ(book.Saves(), 1);
}

// "W", "S" and "I" records whose contact is found neither by ID nor by name,
// or is not included, are reported and skipped.
TEST_F(OutlookWriterTest, RewriteNotFound) {
    book.AddContact({{F::User3, "1"}, {F::User2, "No"}, {F::FileAs, "Ann"}});
    Record("W", "1", "Ann");
    Record("S", "2", "Bob");
    Record("I", "3", "Cy");
    EXPECT_EQ(Write(), (Lines{"... Ann was not found to be modified.",
                              "... Bob was not found to be modified.",
                              "... Cy was not found to be modified."}));
    EXPECT_EQ(book.Saves(), 0);
}

// A name prompt closed without OK keeps the contact's names; the rest of the
// record is still written.
TEST_F(OutlookWriterTest, RewriteWithPromptClosed) {
    book.AddContact({{F::User3, "5"},
                     {F::User2, "Y"},
                     {F::FileAs, "Lee, Ann"},
                     {F::FullName, "Ann Lee"},
                     {F::FirstName, "Ann"}});
    Record("W", "5", "Smith, Ann").HomeNumber = "5550000";
    ui.nameAnswers.push_back(std::nullopt);
    EXPECT_EQ(Write(), (Lines{"... The name change for Lee, Ann was not confirmed; the contact "
                              "keeps its names.",
                              "... The home number for Smith, Ann has been changed from  to "
                              "555-0000.",
                              "... The new speed dial values for Smith, Ann have been saved."}));
    EXPECT_EQ(book.Field(1, F::FileAs), "Lee, Ann");
    EXPECT_EQ(book.Field(1, F::FullName), "Ann Lee");
    EXPECT_EQ(book.Field(1, F::FirstName), "Ann");
    EXPECT_EQ(state.NewFileAs, "");
}

// With "Nickname" the prompt offers the contact's own file-as and full name,
// and the nickname, the name the phone book knows, takes the record's name,
// on a rename and on a new contact; a closed prompt leaves it alone.
TEST_F(OutlookWriterTest, NamesUnderNickname) {
    book.AddContact({{F::User3, "5"},
                     {F::User2, "Y"},
                     {F::FileAs, "Lee, Ann"},
                     {F::FullName, "Ann Lee"},
                     {F::NickName, "Annie"}});
    state.settings.NameField = "Nickname";
    Record("W", "5", "Nan");
    Record("C", "6", "Bobby");
    // The rename is confirmed; the new contact's prompt is closed (its proposed values count).
    ui.nameAnswers = {NameValues{"", "", "Ann Lee", "Lee, Ann"}, std::nullopt};
    EXPECT_EQ(
        Write(),
        (Lines{"... The following name changes for Annie have been made:",
               "........ Full name: Ann Lee", "........ File as: Lee, Ann",
               "........ Nickname: Nan", "... Bobby has been added with the following values:",
               "........ Contact ID: 6", "........ File as: ", "........ Nickname: Bobby"}));
    EXPECT_EQ(Prompts(), (Lines{"names: ||Ann Lee|Lee, Ann", "names: |||"}));
    EXPECT_EQ(book.Field(1, F::NickName), "Nan");
    EXPECT_EQ(book.Field(2, F::NickName), "Bobby");

    ui.nameAnswers = {std::nullopt};
    state.OutlookSet.Item(1).ContactName = "Nancy";
    state.OutlookSet.Remove(2);
    Write();
    EXPECT_EQ(book.Field(1, F::NickName), "Nan");
}

// "C" creates an included contact from the confirmed names and the record's
// numbers, masked, and lists what the address book now holds.
TEST_F(OutlookWriterTest, CreateListsTheAddedValues) {
    state.settings.MaskOption = 3;
    SyncObject& record = Record("C", "12", "Lee, Ann");
    record.DCNumber = "123*45";
    record.DCSpeed = "1";
    record.EmailAddress = "ann@example.com";
    record.EmailSpeed = "2";
    record.FaxNumber = "5550000001";
    record.FaxSpeed = "3";
    record.HomeNumber = "5550000002";
    record.HomeSpeed = "4";
    record.MobileNumber = "5550000003";
    record.MobileSpeed = "5";
    record.OtherNumber = "5550000004";
    record.OtherSpeed = "6";
    record.PagerNumber = "5550000005";
    record.PagerSpeed = "7";
    record.Work1Number = "5551234567";
    record.Work1Speed = "8";
    record.Work2Number = "15550000006";
    record.Work2Speed = "9";
    ui.nameAnswers.push_back(NameValues{"Ann", "Lee", "", "Lee, Ann"});
    EXPECT_EQ(
        Write(),
        (Lines{"... Lee, Ann has been added with the following values:", "........ Contact ID: 12",
               "........ File as: Lee, Ann", "........ First name: Ann", "........ Last name: Lee",
               "........ Direct connect number: 123*45, Speed dial: 1",
               "........ Email address: ann@example.com, Speed dial:  2",
               "........ FAX number: 555-000-0001, Speed dial: 3",
               "........ Home number: 555-000-0002, Speed dial: 4",
               "........ Mobile number: 555-000-0003, Speed dial: 5",
               "........ 'Other' number: 555-000-0004, Speed dial: 6",
               "........ Pager number: 555-000-0005, Speed dial: 7",
               "........ Work number: 555-123-4567, Speed dial: 8",
               "........ Secondary work number: 1-555-000-0006, Speed dial: 9"}));
    EXPECT_EQ(Prompts(), Lines{"names: |||Lee, Ann"});
    ASSERT_EQ(book.Count(), 1);
    EXPECT_EQ(book.Field(1, F::User2), "YES");
    EXPECT_EQ(book.Field(1, F::Email1AddressType), "SMTP");
    EXPECT_EQ(book.Field(1, F::User4), "W2:9,DC:1,H:4,W1:8,M:5,F:3,P:7,O:6,E:2");
    EXPECT_EQ(book.Saves(), 1);
}

// A new contact without numbers gets no tag; a prompt closed without OK
// takes the proposed names.
TEST_F(OutlookWriterTest, CreateWithoutNumbersAndPromptClosed) {
    state.settings.NameField = "Full Name";
    Record("C", "12", "Ann Lee");
    ui.nameAnswers.push_back(std::nullopt);
    EXPECT_EQ(
        Write(),
        (Lines{"... Ann Lee has been added with the following values:", "........ Contact ID: 12",
               "........ File as: ", "........ Full name: Ann Lee"}));
    EXPECT_EQ(Prompts(), Lines{"names: ||Ann Lee|"});
    EXPECT_EQ(book.Field(1, F::User4), "");
    EXPECT_EQ(book.Field(1, F::Email1AddressType), "");
}

// Each new contact is prompted for and saved before the next prompt.
TEST_F(OutlookWriterTest, CreatesOneAfterTheOther) {
    Record("C", "1", "A");
    Record("C", "2", "B");
    Record("C", "3", "C");
    Lines seen;
    ui.namePolicy = [&](const NameValues& proposed, std::string_view) {
        seen.push_back(proposed.FileAs + " after " + std::to_string(book.Saves()) + " saves");
        return std::optional<NameValues>(proposed);
    };
    Write();
    EXPECT_EQ(seen, (Lines{"A after 0 saves", "B after 1 saves", "C after 2 saves"}));
    EXPECT_EQ(book.Field(3, F::User3), "3");
}

// "S" stores the tag even when empty; "I" stores ID and tag in one save,
// usually finding the contact by name.
TEST_F(OutlookWriterTest, SpeedDialsAndContactIDs) {
    book.AddContact({{F::User3, "1"}, {F::User2, "Y"}, {F::FileAs, "Ann"}, {F::User4, "H:3"}});
    book.AddContact({{F::User2, "Y"}, {F::FileAs, "Bob"}, {F::User4, "M:1"}});
    Record("S", "1", "Ann");
    SyncObject& bob = Record("I", "2", "Bob");
    bob.MobileNumber = "5550000";
    bob.MobileSpeed = "4";
    EXPECT_EQ(Write(), (Lines{"... The new speed dial values for Ann have been saved.",
                              "... Bob has been assigned a contact ID of 2.",
                              "... The new speed dial values for Bob have been saved."}));
    EXPECT_EQ(book.Field(1, F::User4), "");
    EXPECT_EQ(book.Field(2, F::User3), "2");
    EXPECT_EQ(book.Field(2, F::User4), "M:4");
    EXPECT_EQ(book.Saves(), 2);
}

// A failure of the address book ends the stage with its error.
TEST_F(OutlookWriterTest, UnreachableAddressBook) {
    Record("S", "1", "Ann");
    book.FailToOpen("The address book folder /nowhere does not exist.");
    EXPECT_THROW(Write(), Error);
}

// Over a vCard folder: a new card and a rewritten one, as the folder holds them.
TEST_F(OutlookWriterTest, WritesAVCardFolder) {
    const auto folder = dir / "Contacts";
    // "0.vcf" sorts before any <UID>.vcf, so the new card comes second.
    test::WriteCardFile(
        folder, "0.vcf",
        test::MakeCard({"FN:Ann Lee", "N:Lee;Ann;;;", "X-VELMORA-SYNC:Y", "X-VELMORA-CONTACT-ID:1",
                        "TEL;TYPE=home:555 123 4567", "PHOTO;ENCODING=b:AAAA"}));
    SyncObject& ann = Record("W", "1", "Lee, Ann");
    ann.HomeNumber = "5551234567";
    ann.MobileNumber = "5559876543";
    ann.MobileSpeed = "2";
    SyncObject& bob = Record("C", "2", "Bob");
    bob.EmailAddress = "bob@example.com";
    bob.EmailSpeed = "1";
    EXPECT_EQ(WriteWith(VCardFolderApplicationFactory(folder)),
              (Lines{"... The mobile number for Lee, Ann has been changed from  to (555) "
                     "987-6543.",
                     "... The new speed dial values for Lee, Ann have been saved.",
                     "... Bob has been added with the following values:", "........ Contact ID: 2",
                     "........ File as: Bob",
                     "........ Email address: bob@example.com, Speed dial:  1"}));
    EXPECT_EQ(test::RenderContactsFolder(folder),
              "User2=Y; User3=1; User4=H:,M:2; FileAs=Lee, Ann; FullName=Ann Lee; "
              "FirstName=Ann; LastName=Lee; HomeTelephoneNumber=555 123 4567; "
              "MobileTelephoneNumber=(555) 987-6543\n"
              "User2=YES; User3=2; User4=E:1; FileAs=Bob; Email1Address=bob@example.com; "
              "Email1AddressType=SMTP\n");
}

}  // namespace
}  // namespace velmora
