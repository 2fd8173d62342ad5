#include <gtest/gtest.h>

#include "run/RunState.h"
#include "stores/outlook/OutlookWriter.h"
#include "support/EngineFixtures.h"
#include "support/InMemoryAddressBook.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::Lines;

class OutlookWriterTest : public ::testing::Test {
  protected:
    OutlookWriterTest() { state.settings.LogPath = dir / "SyncLog.txt"; }

    // The lines logged after the heading.
    Lines Write(std::string_view records) {
        std::filesystem::remove(state.settings.LogPath);
        state.OutlookSet = test::ParseSet(records);
        ApplyWriteReport(state, WriteOutlookContacts(state, *book.Open(), ui));
        const Lines lines = test::ReadLogLines(state.settings.LogPath);
        EXPECT_EQ(lines.at(0), "Writing to Outlook Contacts.");
        return Lines(lines.begin() + 1, lines.end());
    }

    std::string Stored() { return test::RenderAddressBook(*book.Open()); }

    test::TempDir dir;
    InMemoryAddressBook book;
    RunState state;
    test::ScriptedRunUi ui;
};

// Each record acts on its own card, never one found by ID or name.
TEST_F(OutlookWriterTest, FlagsActOnTheirOwnCard) {
    state.settings.NameField = "Full Name";
    test::AddContact(book, "User3=1; User2=yes; FullName=Ann");
    test::AddContact(book, "User3=9; User2=Y; User4=H:3; FullName=Bob");
    test::AddContact(book, "User3=3; User2=No; FullName=Cy");
    test::AddContact(book,
                     "User2=YES; FullName=O'Brien; Email1Address=x@example.com; "
                     "Email1DisplayName=X (x@example.com)");
    test::AddContact(book, "User2=Y; User4=M:1; FullName=Dee");
    test::AddContact(book, "User2=Y; User3=6; FullName=Twin; HomeTelephoneNumber=555 0006");
    test::AddContact(book,
                     "User2=Y; User3=7; User4=H:7; FullName=Twin; HomeTelephoneNumber=555 0007");
    EXPECT_EQ(Write("1:Ann:D::1 | 2:Bob:D: | 9:Bob::H=1/:2 | 9:Bob:M:H=1/:2 | 9:Bob:N:H=1/"
                    " | 7:Ghost:W::9 | 2:Bob:S::2 | 8:O'Brien:W::4"
                    " | 4:Dee:I:M=5550000/4:5 | 7:Twin:W:H=5550077/7:7"),
              (Lines{"... Ann has been deleted.", "... Bob was not found to be deleted.",
                     "... Ghost was not found to be modified.",
                     "... The new speed dial values for Bob have been saved.",
                     "... The email address for O'Brien has been deleted.",
                     "... Dee has been assigned a contact ID of 4.",
                     "... The new speed dial values for Dee have been saved.",
                     "... The home number for Twin has been changed from 5550007 to 555-0077."}));
    EXPECT_EQ(Stored(),
              "User2=Y; User3=9; FullName=Bob\nUser2=No; User3=3; FullName=Cy\n"
              "User2=YES; User3=8; FullName=O'Brien\nUser2=Y; User3=4; User4=M:4; "
              "FullName=Dee\nUser2=Y; User3=6; FullName=Twin; HomeTelephoneNumber=555 0006\n"
              "User2=Y; User3=7; User4=H:7; FullName=Twin; HomeTelephoneNumber=555-0077\n");
    EXPECT_EQ(book.Field(3, F::Email1DisplayName), "");
    EXPECT_EQ(book.Saves(), 4);
    EXPECT_EQ(book.Deletes(), 1);
}

// A card changed meanwhile is not overwritten, and its sync record stays as loaded.
TEST_F(OutlookWriterTest, ACardChangedMeanwhileIsNotOverwritten) {
    test::AddContact(book, "User2=Y; User3=1; User4=P:1; FileAs=Ann; PagerNumber=555 0101");
    test::AddContact(book, "User2=Y; User3=2; User4=P:2; FileAs=Bob");
    state.OutlookSet = test::ParseSet("1:Ann:W:P=5550202/1:1 | 2:Bob:W:P=5550303/2:2");
    state.SyncDataSet = test::ParseSet("1:Ann:W:P=5550202/1 | 2:Bob:W:P=5550303/2");
    const auto opened = book.Open();
    book.ReplaceContact(1, {{F::User2, "Y"}, {F::User3, "1"}, {F::FileAs, "Ann Edited"}});
    ApplyWriteReport(state, WriteOutlookContacts(state, *opened, ui));
    const Lines lines = test::ReadLogLines(state.settings.LogPath);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3].rfind("... Could not save Ann in the address book: ", 0), 0u) << lines[3];
    EXPECT_EQ(state.FailedWrites, 1);
    EXPECT_EQ(test::Render(state.SyncDataSet), "1:Ann::P=5550202/1 | 2:Bob:W:P=5550303/2");
    EXPECT_EQ(Stored(),
              "User2=Y; User3=1; FileAs=Ann Edited\n"
              "User2=Y; User3=2; User4=P:2; FileAs=Bob; PagerNumber=555-0303\n");
}

// "W" logs every changed field and stores once; case and punctuation stay as typed.
TEST_F(OutlookWriterTest, RewriteChangesEveryField) {
    test::AddContact(book,
                     "User1=12*3; User2=Y; User3=5; User4=H:2,P:4; FileAs=Lee, Ann; "
                     "FullName=Ann Lee; FirstName=Ann; LastName=Lee; NickName=Annie; "
                     "HomeTelephoneNumber=555 123 4567; BusinessFaxNumber=(555) 000-0001; "
                     "PagerNumber=555-0100; Email1Address=Ann@Example.com");
    state.settings.MaskOption = 2;
    ui.nameAnswers.push_back(NameValues{"Annabel", "Lee", "Annabel Lee", "Lee, Annabel"});
    EXPECT_EQ(
        Write("5:Lee, Annabel:W:W2=1234567/8,DC=12*4/,H=5559876543/2,M=15551112222/7,"
              "F=5550000001/,E=ann@example.com/:1"),
        (Lines{"... The following name changes for Lee, Ann have been made:",
               "........ First name: Annabel", "........ Last name: Lee",
               "........ Full name: Annabel Lee", "........ File as: Lee, Annabel",
               "... The direct connect number for Lee, Annabel has been changed from 12*3 to 12*4.",
               "... The home number for Lee, Annabel has been changed from 5551234567 to (555) "
               "987-6543.",
               "... The mobile number for Lee, Annabel has been changed from  to 1 (555) 111-2222.",
               "... The pager number for Lee, Annabel has been deleted.",
               "... The secondary work number for Lee, Annabel has been changed from  to 123-4567.",
               "... The new speed dial values for Lee, Annabel have been saved."}));
    EXPECT_EQ(ui.events, Lines{"names: Annabel|Lee|Annabel Lee|Lee, Annabel"});
    EXPECT_EQ(Stored(),
              "User1=12*4; User2=Y; User3=5; User4=W2:8,DC:,H:2,M:7,F:,E:; FileAs=Lee, Annabel; "
              "FullName=Annabel Lee; FirstName=Annabel; LastName=Lee; NickName=Annie; "
              "Business2TelephoneNumber=123-4567; HomeTelephoneNumber=(555) 987-6543; "
              "MobileTelephoneNumber=1 (555) 111-2222; BusinessFaxNumber=(555) 000-0001; "
              "Email1Address=Ann@Example.com\n");
    EXPECT_EQ(book.Saves(), 1);
}

// Under "Nickname"; a prompt closed without OK keeps the names, the rest is written.
TEST_F(OutlookWriterTest, NamesUnderNickname) {
    test::AddContact(book, "User3=5; User2=Y; FileAs=Lee, Ann; FullName=Ann Lee; NickName=Annie");
    state.settings.NameField = "Nickname";
    ui.nameAnswers = {NameValues{"", "", "Ann Lee", "Lee, Ann"}, std::nullopt};
    EXPECT_EQ(
        Write("5:Nan:W::1 | 6:Bobby:C:"),
        (Lines{"... The following name changes for Annie have been made:",
               "........ Full name: Ann Lee", "........ File as: Lee, Ann",
               "........ Nickname: Nan", "... Bobby has been added with the following values:",
               "........ Contact ID: 6", "........ File as: ", "........ Last name: Bobby",
               "........ Full name: Bobby", "........ Nickname: Bobby"}));
    EXPECT_EQ(ui.events, (Lines{"names: ||Ann Lee|Lee, Ann", "names: |Bobby|Bobby|"}));

    ui.nameAnswers = {std::nullopt};
    EXPECT_EQ(Write("5:Nancy:W:H=5550000/:1"),
              (Lines{"... The name change for Nan was not confirmed; the contact keeps its names.",
                     "... The home number for Nancy has been changed from  to 555-0000.",
                     "... The new speed dial values for Nancy have been saved."}));
    EXPECT_EQ(Stored(),
              "User2=Y; User3=5; User4=H:; FileAs=Lee, Ann; FullName=Ann Lee; NickName=Nan; "
              "HomeTelephoneNumber=555-0000\n"
              "User2=YES; User3=6; FullName=Bobby; LastName=Bobby; NickName=Bobby\n");
}

// "C" creates from the confirmed names, storing nothing before every prompt is answered.
TEST_F(OutlookWriterTest, CreateListsTheAddedValues) {
    state.settings.MaskOption = 3;
    ui.nameAnswers = {NameValues{"Ann", "Lee", "", "Lee, Ann"}};
    int savesAtSecondPrompt = -1;
    ui.namePolicy = [&](const NameValues&, std::string_view) -> std::optional<NameValues> {
        savesAtSecondPrompt = book.Saves();
        return std::nullopt;  // closed without OK
    };
    EXPECT_EQ(
        Write("12:Lee, Ann:C:W2=15550000006/9,DC=123*45/1,H=5550000002/4,W1=5551234567/8,"
              "M=5550000003/5,F=5550000001/3,P=5550000005/7,O=5550000004/6,"
              "E=ann@example.com/2 | 13:Bob:C:"),
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
               "........ Secondary work number: 1-555-000-0006, Speed dial: 9",
               "... Bob has been added with the following values:", "........ Contact ID: 13",
               "........ File as: Bob", "........ Last name: Bob", "........ Full name: Bob"}));
    EXPECT_EQ(ui.events, (Lines{"names: Ann|Lee|Ann Lee|Lee, Ann", "names: |Bob|Bob|Bob"}));
    EXPECT_EQ(savesAtSecondPrompt, 0);
    EXPECT_EQ(book.Field(1, F::Email1AddressType), "SMTP");
    EXPECT_EQ(book.Field(1, F::User4), "W2:9,DC:1,H:4,W1:8,M:5,F:3,P:7,O:6,E:2");
    EXPECT_EQ(book.Saves(), 2);
}

}  // namespace
}  // namespace velmora
