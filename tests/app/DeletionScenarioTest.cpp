#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using K = NumberKind;
using test::CardFieldsOf;
using test::FileScenario;
using test::ScenarioContact;
using Lines = std::vector<std::string>;

// Deletions since the previous run: Ann deleted in the address book, Bob in
// the phone book, Cy on both sides; Dee deleted in the phone book while the
// address book changed her pager number, and Eve deleted in the address book
// while the phone book changed her mobile number. A deletion on one side
// wins over a change on the other. Each contact goes from every store that
// still has it; Fay, untouched, stays. The next run has nothing to do.
TEST(DeletionScenarioTest, DeletionsOnOneSideAndOnBoth) {
    const ScenarioContact ann{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}};
    const ScenarioContact bob{2, "Bob Stone", {{K::Home, "5552223333", 2}}};
    const ScenarioContact cy{
        3, "Cy Dunn", {{K::Work1, "5553334444", 3}, {K::Email, "cy@example.org", 4}}};
    const ScenarioContact dee{4, "Dee Park", {{K::Pager, "5554445555", 5}}};
    const ScenarioContact eve{5, "Eve Moss", {{K::Mobile, "5556667777", 6}}};
    const ScenarioContact fay{6, "Fay Wu", {{K::Home, "5558889999", 7}}};
    FileScenario s;
    s.WriteAgreedStores({ann, bob, cy, dee, eve, fay});
    for (const char* card : {"1.vcf", "3.vcf", "5.vcf"})
        std::filesystem::remove(s.ContactsPath() / card);
    s.WriteCard("4.vcf", test::WithField(CardFieldsOf(dee), F::PagerNumber, "555 444 0000"));
    test::ExecuteSql(s.PhoneBookPath(),
                     "DELETE FROM tblContactList WHERE ContactID IN (2, 3, 4); "
                     "UPDATE tblContactList SET Number = '5556660000' WHERE ContactID = 5;");

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    EXPECT_EQ(s.EngineLog(),
              (Lines{
                  "Verifying that all Outlook Contact items contain a contact ID.",
                  "Checking for items that have been deleted.",
                  "... Ann Lee has been deleted from Outlook.",
                  "... Bob Stone has been deleted from the PhoneBook.",
                  "... Cy Dunn has been deleted from both Outlook and the PhoneBook.",
                  "... Dee Park has been deleted from the PhoneBook.",
                  "... Eve Moss has been deleted from Outlook.",
                  "Checking for new items in Outlook.",
                  "Checking for new items in the PhoneBook.",
                  "Checking for items that have been modified.",
                  "Synchronizing modified items.",
                  "Synchronizing new items.",
                  "Writing to Outlook Contacts.",
                  "... Bob Stone has been deleted.",
                  "... Dee Park has been deleted.",
                  "Writing to the PhoneBook database.",
                  "... The mobile number for Ann Lee has been deleted.",
                  "... The mobile number for Eve Moss has been deleted.",
                  "Writing to the sync database.",
                  "... Ann Lee has been deleted.",
                  "... Bob Stone has been deleted.",
                  "... Cy Dunn has been deleted.",
                  "... Dee Park has been deleted.",
                  "... Eve Moss has been deleted.",
              }));
    EXPECT_EQ(s.Stores(),
              (test::StoreTexts{"6|Fay Wu|5558889999|2|7|6", "6|Fay Wu|H:7|Home=5558889999",
                                "User2=YES; User3=6; User4=H:7; FileAs=Fay Wu; "
                                "HomeTelephoneNumber=(555) 888-9999\n"}));
    EXPECT_EQ(s.ConflictsShown(), 0);

    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
