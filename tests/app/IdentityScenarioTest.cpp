#include <gmock/gmock.h>

#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora::test {
namespace {

using F = ContactField;
using K = NumberKind;
using ::testing::HasSubstr;

// Scenarios where a contact could lose its identity, each ending with a quiet run.
class IdentityScenario : public ::testing::Test {
  protected:
    void TearDown() override { ExpectQuietRun(s.session); }

    std::string Card(const std::string& fileName) const {
        return ReadFileBytes(s.settings.ContactsPath / fileName);
    }

    FileScenario s;
};

// Namesakes and nameless cards keep their own IDs and speed dials.
TEST_F(IdentityScenario, SameNameAndNamelessCardsKeepTheirIds) {
    s.WriteStores({});
    s.WriteCard("a.vcf", "User2=YES; FileAs=Lee, Ann; MobileTelephoneNumber=555 000 0001");
    s.WriteCard("b.vcf", "User2=YES; FileAs=Lee, Ann; MobileTelephoneNumber=555 000 0002");
    WriteFileBytes(s.settings.ContactsPath / "c.vcf",
                   MakeCard({"X-VELMORA-SYNC:YES", "TEL;TYPE=cell:555 000 0003"}));
    WriteFileBytes(s.settings.ContactsPath / "d.vcf",
                   MakeCard({"X-VELMORA-SYNC:YES", "TEL;TYPE=cell:555 000 0004"}));
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_THAT(Card("a.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:1\r\n"));
    EXPECT_THAT(Card("a.vcf"), HasSubstr("X-VELMORA-SPEED-DIALS:M:1\r\n"));
    EXPECT_THAT(Card("b.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:2\r\n"));
    EXPECT_THAT(Card("c.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:3\r\n"));
    EXPECT_THAT(Card("d.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:4\r\n"));
    EXPECT_EQ(s.Stores().phoneBook,
              "1|Lee, Ann|5550000001|4|1|6;2|Lee, Ann|5550000002|4|2|6;"
              "3||5550000003|4|3|6;4||5550000004|4|4|6");
}

// A copied card becomes a contact of its own; the original keeps the ID.
TEST_F(IdentityScenario, ACopiedCardBecomesANewContact) {
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
    std::filesystem::copy_file(s.settings.ContactsPath / "1.vcf",
                               s.settings.ContactsPath / "z.vcf");
    s.ChangePhoneBook("UPDATE tblContactList SET Number = '5559876543' WHERE ContactID = 1");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_THAT(Card("1.vcf"), HasSubstr("TEL;TYPE=cell:(555) 987-6543\r\n"));
    EXPECT_THAT(Card("1.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:1\r\n"));
    EXPECT_THAT(Card("z.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:2\r\n"));
    EXPECT_EQ(s.Stores().phoneBook, "1|Ann Lee|5559876543|4|1|6;2|Ann Lee|5551234567|4|2|6");
}

// A numberless card gives up a stale ID the manager reused; the new contact gets a card.
TEST_F(IdentityScenario, ANewPhoneContactIsNotMergedIntoACardWithoutNumbers) {
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
    s.WriteCard("g.vcf", "User2=YES; User3=7; FileAs=Gil Ray");
    ExecuteSql(
        s.settings.SyncPath,
        "INSERT INTO SyncContacts VALUES (7, 'Gil Ray', '', '', '', '', '', '', '', '', '', '')");
    s.ChangePhoneBook(
        "INSERT INTO tblContactList (ContactID, ContactName, Number, NumberType, SpeedDial, "
        "PhoneNumberLength) VALUES (7, 'Bob Stone', '5552223333', 4, 9, 6)");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores().addressBook,
              "User2=YES; FileAs=Gil Ray\n"
              "User2=YES; User3=1; User4=M:1; FileAs=Ann Lee; "
              "MobileTelephoneNumber=(555) 123-4567\n"
              "User2=YES; User3=7; User4=M:9; FileAs=Bob Stone; FullName=Bob Stone; "
              "LastName=Bob Stone; MobileTelephoneNumber=(555) 222-3333\n");
    std::string bob;
    for (const auto& file : std::filesystem::directory_iterator(s.settings.ContactsPath)) {
        const std::string text = ReadFileBytes(file.path());
        if (text.find("Bob Stone") != std::string::npos) bob = text;
    }
    EXPECT_THAT(bob, HasSubstr("\r\nFN:Bob Stone\r\nN:Bob Stone;;;;\r\n"));
    EXPECT_THAT(bob, ::testing::Not(HasSubstr("X-EVOLUTION-FILE-AS")));
}

// Kept phone book data reaches a card that lost its ID.
TEST_F(IdentityScenario, KeptPhoneBookDataReachesACardThatLostItsId) {
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
    s.EditCard("Ann Lee", F::User3, "");
    s.EditCard("Ann Lee", F::MobileTelephoneNumber, "555 111 1111");
    s.ChangePhoneBook("UPDATE tblContactList SET Number = '5552222222' WHERE ContactID = 1");
    s.ui.conflictPolicy = ScriptedRunUi::Keep(ConflictSide::PhoneBook);
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Shown("conflict: Ann Lee / Ann Lee"), 1);
    EXPECT_EQ(s.Stores(),
              (StoreTexts{"User2=YES; User3=1; User4=M:1; FileAs=Ann Lee; "
                          "MobileTelephoneNumber=(555) 222-2222\n",
                          "1|Ann Lee|5552222222|4|1|6", "1|Ann Lee|M:1|Mobile=5552222222"}));
}

// A cut name, "+" and lower case read as the same values; the card keeps what was typed.
TEST_F(IdentityScenario, ValuesThePhoneKeepsInAnotherForm) {
    s.WriteStores({});
    s.WriteCard("m.vcf",
                "User2=YES; FileAs=Maximilian Alexander Worthington; "
                "FullName=Maximilian Alexander Worthington; "
                "MobileTelephoneNumber=+1 555-444-0004; Email1Address=Dee.Park@Example.COM");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores().phoneBook,
              "1|Maximilian Alexander W|+15554440004|4|1|0;"
              "1|Maximilian Alexander W|dee.park@example.com|10|2|255");
    EXPECT_THAT(Card("m.vcf"), HasSubstr("FN:Maximilian Alexander Worthington\r\n"));
    EXPECT_THAT(Card("m.vcf"), HasSubstr(":+1 555-444-0004\r\n"));
    EXPECT_THAT(Card("m.vcf"), HasSubstr(":Dee.Park@Example.COM\r\n"));
}

// "07" is the ID 7; a new card carrying " 7" while Ann holds 7 is a new contact.
TEST_F(IdentityScenario, IdsNotWrittenPlainly) {
    s.Agree({{7, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
    s.EditCard("Ann Lee", F::User3, "07");
    s.WriteCard("b.vcf", "User2=YES; User3= 7; FileAs=Bob Stone; HomeTelephoneNumber=555 222 3333");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_THAT(Card("7.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:7\r\n"));
    EXPECT_THAT(Card("b.vcf"), HasSubstr("X-VELMORA-CONTACT-ID:1\r\n"));
    EXPECT_EQ(s.Stores().phoneBook, "7|Ann Lee|5551234567|4|1|6;1|Bob Stone|5552223333|2|2|6");
    EXPECT_EQ(s.Stores().sync, "7|Ann Lee|M:1|Mobile=5551234567;1|Bob Stone|H:2|Home=5552223333");
}

// A speed dial edited in the address book reaches the phone.
TEST_F(IdentityScenario, ASpeedDialEditedInTheAddressBookReachesThePhone) {
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 3}, {K::Home, "5550001111", 4}}}});
    s.EditCard("Ann Lee", F::User4, "H:4,M:9");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores().phoneBook, "1|Ann Lee|5551234567|4|9|6;1|Ann Lee|5550001111|2|4|6");
    EXPECT_EQ(s.Stores().sync, "1|Ann Lee|H:4,M:9|Home=5550001111|Mobile=5551234567");
}

// A long rename reaches the phone cut to 22 characters.
TEST_F(IdentityScenario, ALongRenameReachesThePhoneCut) {
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
    s.EditCard("Ann Lee", F::FileAs, "Ann Lee-Worthington of Somerset");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores().phoneBook, "1|Ann Lee-Worthington of|5551234567|4|1|6");
    EXPECT_THAT(s.Stores().addressBook, HasSubstr("FileAs=Ann Lee-Worthington of Somerset;"));
}

}  // namespace
}  // namespace velmora::test
