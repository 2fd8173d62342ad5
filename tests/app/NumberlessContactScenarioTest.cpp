#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using K = NumberKind;
using test::FileScenario;
using test::ScenarioContact;
using Lines = std::vector<std::string>;

// Contacts without any number or e-mail address stay in the address book: a
// new one (Gil) and one whose numbers the address book removed (Cy). The
// phone book loses Cy's rows; the run after that forgets Cy instead of taking
// his absence from the phone book for a deletion there, and both cards stay,
// run after run. Once Gil has a number, he goes to the phone book.
TEST(NumberlessContactScenarioTest, ContactsWithoutNumbersStayInTheAddressBook) {
    const ScenarioContact ann{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}};
    const ScenarioContact cy{
        2, "Cy Dunn", {{K::Home, "5553334444", 3}, {K::Work1, "5553335555", 4}}};
    FileScenario s;
    s.WriteAgreedStores({ann, cy});
    // The person removes the numbers, not the speed-dial tag.
    s.WriteCard(
        "2.vcf",
        {{F::FileAs, "Cy Dunn"}, {F::User2, "YES"}, {F::User3, "2"}, {F::User4, "H:3,W1:4"}});
    s.WriteCard("g.vcf", {{F::FileAs, "Gil Ray"}, {F::FullName, "Gil Ray"}, {F::User2, "YES"}});

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.EngineLog(),
              (Lines{
                  "Verifying that all Outlook Contact items contain a contact ID.",
                  "... Gil Ray has been assigned a new contact ID of 3.",
                  "... Gil Ray will be modified in Outlook.",
                  "Checking for items that have been deleted.",
                  "Checking for new items in Outlook.",
                  "Checking for new items in the PhoneBook.",
                  "Checking for items that have been modified.",
                  "... Cy Dunn has been modified in Outlook.",
                  "Synchronizing modified items.",
                  "... The speed dial values for Cy Dunn will be modified in Outlook.",
                  "... Information for Cy Dunn has been copied from the Outlook data to the "
                  "PhoneBook data.",
                  "... Information for Cy Dunn has been copied from the Outlook data to the sync "
                  "data.",
                  "... Cy Dunn will be modified in the PhoneBook.",
                  "... Cy Dunn will be modified in the sync database.",
                  "Synchronizing new items.",
                  "Writing to Outlook Contacts.",
                  "... The new speed dial values for Cy Dunn have been saved.",
                  "... Gil Ray has been assigned a contact ID of 3.",
                  "... The new speed dial values for Gil Ray have been saved.",
                  "Writing to the PhoneBook database.",
                  "... The work number for Cy Dunn has been deleted.",
                  "... The home number for Cy Dunn has been deleted.",
                  "Writing to the sync database.",
                  "... Cy Dunn has been modified.",
              }));
    const std::string annCard =
        "User2=YES; User3=1; User4=M:1; FileAs=Ann Lee; MobileTelephoneNumber=(555) 123-4567\n";
    const std::string cards = annCard +
                              "User2=YES; User3=2; FileAs=Cy Dunn\n"
                              "User2=YES; User3=3; FileAs=Gil Ray; FullName=Gil Ray\n";
    EXPECT_EQ(s.Stores(), (test::StoreTexts{"1|Ann Lee|5551234567|4|1|6",
                                            "1|Ann Lee|M:1|Mobile=5551234567;2|Cy Dunn|", cards}));

    // The sync database forgets Cy; the address book keeps both cards.
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    const Lines log = s.EngineLog();
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (Lines{"Writing to the sync database.", "... Cy Dunn has been deleted."}));
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) { return line.starts_with("... "); }),
              1);
    EXPECT_EQ(s.Stores(), (test::StoreTexts{"1|Ann Lee|5551234567|4|1|6",
                                            "1|Ann Lee|M:1|Mobile=5551234567", cards}));
    test::ExpectQuietRun(s.session);

    s.WriteCard("g.vcf", {{F::FileAs, "Gil Ray"},
                          {F::FullName, "Gil Ray"},
                          {F::User2, "YES"},
                          {F::User3, "3"},
                          {F::MobileTelephoneNumber, "555 777 8888"}});
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.PhoneBook(), "1|Ann Lee|5551234567|4|1|6;3|Gil Ray|5557778888|4|2|6");
    EXPECT_EQ(s.Sync(), "1|Ann Lee|M:1|Mobile=5551234567;3|Gil Ray|M:2|Mobile=5557778888");
    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
