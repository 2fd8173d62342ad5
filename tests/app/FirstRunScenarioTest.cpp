#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using test::FileScenario;
using test::PhoneBookRow;
using Lines = std::vector<std::string>;

// The first run over a phone book and an address book that share some names
// and not others: equal names are linked and share the phone book's ID,
// other contacts get the smallest free IDs and are added to the other side,
// every number gets a speed dial (the phone book's where it has one), and a
// contact the address book does not include is unmarked. The next run has
// nothing to do.
TEST(FirstRunScenarioTest, LinksByNameAndAddsTheRestOnBothSides) {
    FileScenario s;
    test::CreatePhoneBookDatabase(s.PhoneBookPath(),
                                  {PhoneBookRow{1, "Ann Lee", "5551234567", 4, 1, 6},
                                   PhoneBookRow{1, "Ann Lee", "ann@example.org", 10, 2, 255},
                                   PhoneBookRow{2, "Cy Dunn", "5550001111", 2, 3, 6},
                                   PhoneBookRow{4, "Dee Park", "5554445555", 3, 5, 6}});
    s.WriteCard("a.vcf", {{F::FileAs, "Ann Lee"},
                          {F::FullName, "Ann Lee"},
                          {F::MobileTelephoneNumber, "(555) 123-4567"},
                          {F::Email1Address, "ann@example.org"},
                          {F::User2, "YES"}});
    s.WriteCard("b.vcf", {{F::FileAs, "Bob Stone"},
                          {F::MobileTelephoneNumber, "555-222-3333"},
                          {F::User1, "164*12*3456"},
                          {F::User2, "Y"}});
    s.WriteCard(
        "c.vcf",
        {{F::FileAs, "Cy Dunn"}, {F::HomeTelephoneNumber, "555 000 1111"}, {F::User2, "yes"}});
    // Names match exactly or not at all: "dee park" is not "Dee Park".
    s.WriteCard("d.vcf",
                {{F::FileAs, "dee park"}, {F::PagerNumber, "5557778888"}, {F::User2, "YES"}});
    // Not included, with an ID and speed dials left from an earlier time.
    s.WriteCard("e.vcf", {{F::FileAs, "Eve Moss"},
                          {F::MobileTelephoneNumber, "555 999 0000"},
                          {F::User3, "9"},
                          {F::User4, "M:12"}});

    const RunResult result = s.Run();

    ASSERT_EQ(result.outcome, RunOutcome::Complete) << result.message;
    EXPECT_EQ(s.EngineLog(),
              (Lines{
                  "Verifying that all Outlook Contact items contain a contact ID.",
                  "... Ann Lee in Outlook has been matched with Ann Lee in the PhoneBook and "
                  "assigned a contact ID of 1.",
                  "... Ann Lee will be modified in Outlook.",
                  "... Bob Stone has been assigned a new contact ID of 3.",
                  "... Bob Stone will be modified in Outlook.",
                  "... Cy Dunn in Outlook has been matched with Cy Dunn in the PhoneBook and "
                  "assigned a contact ID of 2.",
                  "... Cy Dunn will be modified in Outlook.",
                  "... dee park has been assigned a new contact ID of 5.",
                  "... dee park will be modified in Outlook.",
                  "Checking for items that have been deleted.",
                  "Checking for new items in Outlook.",
                  "... Ann Lee is new to the sync database.",
                  "... Bob Stone is new to the PhoneBook.",
                  "... Bob Stone is new to the sync database.",
                  "... Cy Dunn is new to the sync database.",
                  "... dee park is new to the PhoneBook.",
                  "... dee park is new to the sync database.",
                  "Checking for new items in the PhoneBook.",
                  "... Dee Park is new to Outlook.",
                  "... Dee Park is new to the sync database.",
                  "Checking for items that have been modified.",
                  "Synchronizing modified items.",
                  "Synchronizing new items.",
                  "... Dee Park will be added to Outlook.",
                  "... Dee Park will be added to the sync database.",
                  "... Bob Stone will be added to the PhoneBook.",
                  "... Bob Stone will be added to the sync database.",
                  "... dee park will be added to the PhoneBook.",
                  "... dee park will be added to the sync database.",
                  "Writing to Outlook Contacts.",
                  "... Ann Lee has been assigned a contact ID of 1.",
                  "... The new speed dial values for Ann Lee have been saved.",
                  "... Bob Stone has been assigned a contact ID of 3.",
                  "... The new speed dial values for Bob Stone have been saved.",
                  "... Cy Dunn has been assigned a contact ID of 2.",
                  "... The new speed dial values for Cy Dunn have been saved.",
                  "... dee park has been assigned a contact ID of 5.",
                  "... The new speed dial values for dee park have been saved.",
                  "... Dee Park has been added with the following values:",
                  "........ Contact ID: 4",
                  "........ File as: Dee Park",
                  "........ Work number: (555) 444-5555, Speed dial: 5",
                  "Writing to the PhoneBook database.",
                  "... A direct connect number of 164*12*3456 was added for Bob Stone.",
                  "... A mobile number of 5552223333 was added for Bob Stone.",
                  "... A pager number of 5557778888 was added for dee park.",
                  "Writing to the sync database.",
                  "... Ann Lee has been added.",
                  "... Bob Stone has been added.",
                  "... Cy Dunn has been added.",
                  "... dee park has been added.",
                  "... Dee Park has been added.",
              }));
    // Speed dials: Ann and Cy keep the phone's; the free ones, in the order
    // the contacts and kinds are visited, are 4, 6 and 7.
    EXPECT_EQ(
        s.Stores(),
        (test::StoreTexts{
            "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|ann@example.org|10|2|255;"
            "2|Cy Dunn|5550001111|2|3|6;4|Dee Park|5554445555|3|5|6;"
            "3|Bob Stone|164*12*3456|1|4|255;3|Bob Stone|5552223333|4|6|6;"
            "5|dee park|5557778888|6|7|6",
            "1|Ann Lee|M:1,E:2|Mobile=5551234567|Email=ann@example.org;"
            "3|Bob Stone|DC:4,M:6|DirectConnect=164*12*3456|Mobile=5552223333;"
            "2|Cy Dunn|H:3|Home=5550001111;"
            "5|dee park|P:7|Pager=5557778888;"
            "4|Dee Park|W1:5|Work1=5554445555",
            "User1=164*12*3456; User2=Y; User3=3; User4=DC:4,M:6; FileAs=Bob Stone; "
            "MobileTelephoneNumber=555-222-3333\n"
            "User2=No; FileAs=Eve Moss; MobileTelephoneNumber=555 999 0000\n"
            "User2=YES; User3=1; User4=M:1,E:2; FileAs=Ann Lee; FullName=Ann Lee; "
            "MobileTelephoneNumber=(555) 123-4567; Email1Address=ann@example.org\n"
            "User2=YES; User3=4; User4=W1:5; FileAs=Dee Park; "
            "BusinessTelephoneNumber=(555) 444-5555\n"
            "User2=YES; User3=5; User4=P:7; FileAs=dee park; PagerNumber=5557778888\n"
            "User2=yes; User3=2; User4=H:3; FileAs=Cy Dunn; HomeTelephoneNumber=555 000 1111\n"}));
    // The one new address book contact was named through the prompt.
    EXPECT_EQ(std::count(s.ui.events.begin(), s.ui.events.end(), "names: |||Dee Park"), 1);
    EXPECT_TRUE(s.ui.messages.empty());

    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
