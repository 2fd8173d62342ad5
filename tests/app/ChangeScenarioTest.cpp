#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/AppInfo.h"
#include "support/EngineFixtures.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using K = NumberKind;
using test::CardFieldsOf;
using test::FileScenario;
using test::ScenarioContact;
using test::WithField;
using Lines = std::vector<std::string>;

// Two contacts as the previous run left them in all three stores.
const ScenarioContact kAnn{
    1, "Ann Lee", {{K::Mobile, "5551234567", 1}, {K::Home, "5550001111", 2}}};
const ScenarioContact kCy{2, "Cy Dunn", {{K::Home, "5553334444", 3}}};

const std::string kAgreedPhoneBook =
    "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|5550001111|2|2|6;2|Cy Dunn|5553334444|2|3|6";

// The log's first lines, up to the engine's: nothing to report.
const Lines kQuietStart{
    "Verifying that all Outlook Contact items contain a contact ID.",
    "Checking for items that have been deleted.",
    "Checking for new items in Outlook.",
    "Checking for new items in the PhoneBook.",
    "Checking for items that have been modified.",
};

Lines Join(Lines first, const Lines& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

void ChangePhoneBook(const FileScenario& s, const std::string& sql) {
    test::ExecuteSql(s.PhoneBookPath(), sql);
}

class ChangeScenarioTest : public ::testing::Test {
  protected:
    ChangeScenarioTest() { s.WriteAgreedStores({kAnn, kCy}); }

    FileScenario s;
};

// The road of one change: the mobile number changed in the address book is
// carried to the phone book and the sync database, line for line; the
// address book is not written, since the speed dials did not change. The
// next run finds all three stores equal and does nothing.
TEST_F(ChangeScenarioTest, RoadOfOneChange) {
    s.WriteCard("1.vcf", WithField(CardFieldsOf(kAnn), F::MobileTelephoneNumber, "(555) 987-6543"));
    const std::string addressBook = s.AddressBook();

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    EXPECT_EQ(test::ReadLogLines(s.LogPath()),
              (Lines{
                  TitleVersionLine(),
                  std::string(kCopyrightNotice),
                  "Activity Log",
                  "",
                  "Status: Synchronization in progress . . .",
                  "Loaded Outlook contacts.",
                  "Loaded PhoneBook records from " + s.PhoneBookPath().string(),
                  "Loaded previous sync data from " + s.SyncPath().string(),
                  "Verifying that all Outlook Contact items contain a contact ID.",
                  "Checking for items that have been deleted.",
                  "Checking for new items in Outlook.",
                  "Checking for new items in the PhoneBook.",
                  "Checking for items that have been modified.",
                  "... Ann Lee has been modified in Outlook.",
                  "Synchronizing modified items.",
                  "... Information for Ann Lee has been copied from the Outlook data to the "
                  "PhoneBook data.",
                  "... Information for Ann Lee has been copied from the Outlook data to the sync "
                  "data.",
                  "... Ann Lee will be modified in the PhoneBook.",
                  "... Ann Lee will be modified in the sync database.",
                  "Synchronizing new items.",
                  "Writing to Outlook Contacts.",
                  "Writing to the PhoneBook database.",
                  "... The mobile number for Ann Lee has been changed from 5551234567 to "
                  "5559876543.",
                  "Writing to the sync database.",
                  "... Ann Lee has been modified.",
              }));
    EXPECT_EQ(
        s.Stores(),
        (test::StoreTexts{
            "1|Ann Lee|5559876543|4|1|6;1|Ann Lee|5550001111|2|2|6;2|Cy Dunn|5553334444|2|3|6",
            "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5559876543;2|Cy Dunn|H:3|Home=5553334444",
            addressBook}));
    EXPECT_EQ(s.ui.caption, "Status: Synchronization complete.");

    test::ExpectQuietRun(s.session);
}

// A change on each side: the phone book's new home number for Ann reaches the
// address book, typed the default way; the pager number added for Cy in the
// address book gets the smallest free speed dial, reaches the phone book as a
// new row, and the address book stores the new speed-dial tag.
TEST_F(ChangeScenarioTest, ChangeOnEachSide) {
    ChangePhoneBook(s,
                    "UPDATE tblContactList SET Number = '5550002222' "
                    "WHERE ContactID = 1 AND NumberType = 2");
    s.WriteCard("2.vcf", WithField(CardFieldsOf(kCy), F::PagerNumber, "555 666 7777"));

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    EXPECT_EQ(s.EngineLog(),
              Join(kQuietStart,
                   {
                       "... Ann Lee has been modified in the PhoneBook.",
                       "... Cy Dunn has been modified in Outlook.",
                       "Synchronizing modified items.",
                       "... Information for Ann Lee has been copied from the PhoneBook data to "
                       "the Outlook data.",
                       "... Information for Ann Lee has been copied from the PhoneBook data to "
                       "the sync data.",
                       "... Ann Lee will be modified in Outlook.",
                       "... Ann Lee will be modified in the sync database.",
                       "... The speed dial values for Cy Dunn will be modified in Outlook.",
                       "... Information for Cy Dunn has been copied from the Outlook data to the "
                       "PhoneBook data.",
                       "... Information for Cy Dunn has been copied from the Outlook data to the "
                       "sync data.",
                       "... Cy Dunn will be modified in the PhoneBook.",
                       "... Cy Dunn will be modified in the sync database.",
                       "Synchronizing new items.",
                       "Writing to Outlook Contacts.",
                       "... The home number for Ann Lee has been changed from 5550001111 to "
                       "(555) 000-2222.",
                       "... The new speed dial values for Cy Dunn have been saved.",
                       "Writing to the PhoneBook database.",
                       "... A pager number of 5556667777 was added for Cy Dunn.",
                       "Writing to the sync database.",
                       "... Ann Lee has been modified.",
                       "... Cy Dunn has been modified.",
                   }));
    EXPECT_EQ(s.Stores(),
              (test::StoreTexts{
                  "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|5550002222|2|2|6;"
                  "2|Cy Dunn|5553334444|2|3|6;2|Cy Dunn|5556667777|6|4|6",
                  "1|Ann Lee|H:2,M:1|Home=5550002222|Mobile=5551234567;"
                  "2|Cy Dunn|H:3,P:4|Home=5553334444|Pager=5556667777",
                  "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
                  "HomeTelephoneNumber=(555) 000-2222; MobileTelephoneNumber=(555) 123-4567\n"
                  "User2=YES; User3=2; User4=H:3,P:4; FileAs=Cy Dunn; "
                  "HomeTelephoneNumber=(555) 333-4444; PagerNumber=555 666 7777\n"}));

    test::ExpectQuietRun(s.session);
}

// The same change on both sides: Ann's new mobile number, and the work
// number removed from Cy, in the address book and in the phone book. No
// dialog: the sync database takes the change (once per pass), and neither
// side is written.
TEST(IdenticalChangeScenarioTest, SameChangeOnBothSides) {
    const ScenarioContact cy{
        2, "Cy Dunn", {{K::Home, "5553334444", 3}, {K::Work1, "5553335555", 4}}};
    FileScenario s;
    s.WriteAgreedStores({kAnn, cy});
    s.WriteCard("1.vcf", WithField(CardFieldsOf(kAnn), F::MobileTelephoneNumber, "555.987.6543"));
    // The card keeps its speed-dial tag, W1 entry and all: the person
    // removes numbers, not tags.
    s.WriteCard("2.vcf", WithField(CardFieldsOf(cy), F::BusinessTelephoneNumber, ""));
    ChangePhoneBook(s,
                    "UPDATE tblContactList SET Number = '5559876543' "
                    "WHERE ContactID = 1 AND NumberType = 4; "
                    "DELETE FROM tblContactList WHERE ContactID = 2 AND NumberType = 3;");
    const test::StoreTexts edited = s.Stores();

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    const auto identical = [](const std::string& name) {
        return Lines{
            "... Identical changes have been detected in the Outlook data and the PhoneBook data.",
            "... Information for " + name +
                " has been copied from the Outlook data to the sync data.",
            "... " + name + " will be modified in the sync database."};
    };
    const auto identicalAgain = [](const std::string& name) {
        return Lines{
            "... Identical changes have been detected in the PhoneBook data and the Outlook data.",
            "... Information for " + name +
                " has been copied from the PhoneBook data to the sync data.",
            "... " + name + " will be modified in the sync database."};
    };
    Lines expected = Join(kQuietStart, {"... Ann Lee has been modified in Outlook.",
                                        "... Ann Lee has been modified in the PhoneBook.",
                                        "... Cy Dunn has been modified in Outlook.",
                                        "... Cy Dunn has been modified in the PhoneBook.",
                                        "Synchronizing modified items."});
    expected = Join(Join(expected, identical("Ann Lee")), identical("Cy Dunn"));
    expected = Join(Join(expected, identicalAgain("Ann Lee")), identicalAgain("Cy Dunn"));
    expected =
        Join(expected, {"Synchronizing new items.", "Writing to Outlook Contacts.",
                        "Writing to the PhoneBook database.", "Writing to the sync database.",
                        "... Ann Lee has been modified.", "... Cy Dunn has been modified."});
    EXPECT_EQ(s.EngineLog(), expected);
    EXPECT_EQ(s.ConflictsShown(), 0);
    EXPECT_EQ(s.Stores(), (test::StoreTexts{edited.phoneBook,
                                            "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5559876543;"
                                            "2|Cy Dunn|H:3|Home=5553334444",
                                            edited.addressBook}));

    test::ExpectQuietRun(s.session);
}

// A conflict resolved each way in one run: both sides changed Ann's mobile
// number and the person keeps the address book's; the address book renamed
// Cy while the phone book changed his home number, and the person keeps the
// phone book's column with the new name typed into it. All three stores end
// with the values chosen.
TEST_F(ChangeScenarioTest, ConflictResolvedEachWay) {
    s.WriteCard("1.vcf", WithField(CardFieldsOf(kAnn), F::MobileTelephoneNumber, "(555) 987-6543"));
    s.WriteCard("2.vcf", WithField(CardFieldsOf(kCy), F::FileAs, "Cy Dunn-Moss"));
    ChangePhoneBook(s,
                    "UPDATE tblContactList SET Number = '5551112222' "
                    "WHERE ContactID = 1 AND NumberType = 4; "
                    "UPDATE tblContactList SET Number = '5553339999' WHERE ContactID = 2;");
    s.ui.conflictPolicy = [](const SyncObject& outlook, const SyncObject& phoneBook) {
        if (outlook.ContactName == "Ann Lee") {
            return std::optional(ConflictChoice{ConflictSide::Outlook, outlook});
        }
        SyncObject edited = phoneBook;
        edited.ContactName = outlook.ContactName;
        return std::optional(ConflictChoice{ConflictSide::PhoneBook, edited});
    };

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    EXPECT_EQ(
        s.EngineLog(),
        Join(kQuietStart,
             {
                 "... Ann Lee has been modified in Outlook.",
                 "... Ann Lee has been modified in the PhoneBook.",
                 "... Cy Dunn has been modified in Outlook.",
                 "... Cy Dunn has been modified in the PhoneBook.",
                 "Synchronizing modified items.",
                 "... Conflict detected for Ann Lee",
                 "... Conflict resolution for Ann Lee: Outlook data will overwrite PhoneBook data.",
                 "... Ann Lee will be modified in Outlook.",
                 "... Ann Lee will be modified in the PhoneBook.",
                 "... Ann Lee will be modified in the sync database.",
                 "... Conflict detected for Cy Dunn-Moss",
                 "... Conflict resolution for Cy Dunn: PhoneBook data will overwrite Outlook data.",
                 "... Cy Dunn-Moss will be modified in Outlook.",
                 "... Cy Dunn-Moss will be modified in the PhoneBook.",
                 "... Cy Dunn-Moss will be modified in the sync database.",
                 "Synchronizing new items.",
                 "Writing to Outlook Contacts.",
                 "... The home number for Cy Dunn-Moss has been changed from 5553334444 to "
                 "(555) 333-9999.",
                 "Writing to the PhoneBook database.",
                 "... The mobile number for Ann Lee has been changed from 5551112222 to "
                 "5559876543.",
                 "... The name for Cy Dunn has been changed to Cy Dunn-Moss.",
                 "Writing to the sync database.",
                 "... Ann Lee has been modified.",
                 "... Cy Dunn-Moss has been modified.",
             }));
    EXPECT_EQ(s.ConflictsShown(), 2);
    EXPECT_EQ(s.Stores(),
              (test::StoreTexts{
                  "1|Ann Lee|5559876543|4|1|6;1|Ann Lee|5550001111|2|2|6;"
                  "2|Cy Dunn-Moss|5553339999|2|3|6",
                  "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5559876543;"
                  "2|Cy Dunn-Moss|H:3|Home=5553339999",
                  "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
                  "HomeTelephoneNumber=(555) 000-1111; MobileTelephoneNumber=(555) 987-6543\n"
                  "User2=YES; User3=2; User4=H:3; FileAs=Cy Dunn-Moss; "
                  "HomeTelephoneNumber=(555) 333-9999\n"}));

    test::ExpectQuietRun(s.session);
}

// A conflict dialog closed without a choice changes nothing: it is shown
// once per pass, both sides keep their versions, and the sync database keeps
// the old one, so the next run asks again; that time the person keeps the
// phone book's data, and the run after it has nothing to do.
TEST_F(ChangeScenarioTest, ConflictClosedWithoutChoice) {
    s.WriteCard("1.vcf", WithField(CardFieldsOf(kAnn), F::MobileTelephoneNumber, "(555) 987-6543"));
    ChangePhoneBook(s,
                    "UPDATE tblContactList SET Number = '5551112222' "
                    "WHERE ContactID = 1 AND NumberType = 4");
    const test::StoreTexts edited = s.Stores();

    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);

    EXPECT_EQ(s.EngineLog(),
              Join(kQuietStart, {
                                    "... Ann Lee has been modified in Outlook.",
                                    "... Ann Lee has been modified in the PhoneBook.",
                                    "Synchronizing modified items.",
                                    "... Conflict detected for Ann Lee",
                                    "... Conflict detected for Ann Lee",
                                    "Synchronizing new items.",
                                    "Writing to Outlook Contacts.",
                                    "Writing to the PhoneBook database.",
                                    "Writing to the sync database.",
                                    "... Ann Lee has been modified.",
                                }));
    EXPECT_EQ(std::count(s.ui.events.begin(), s.ui.events.end(), "conflict: Ann Lee / Ann Lee"), 2);
    EXPECT_EQ(s.Stores(), edited);

    s.ui.events.clear();
    s.ui.conflictPolicy = test::ScriptedRunUi::Keep(ConflictSide::PhoneBook);
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(std::count(s.ui.events.begin(), s.ui.events.end(), "conflict: Ann Lee / Ann Lee"), 1);
    EXPECT_EQ(s.Stores(),
              (test::StoreTexts{
                  edited.phoneBook,
                  "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5551112222;"
                  "2|Cy Dunn|H:3|Home=5553334444",
                  "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
                  "HomeTelephoneNumber=(555) 000-1111; MobileTelephoneNumber=(555) 111-2222\n"
                  "User2=YES; User3=2; User4=H:3; FileAs=Cy Dunn; "
                  "HomeTelephoneNumber=(555) 333-4444\n"}));

    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
