#include <algorithm>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>

#include "run/AppInfo.h"
#include "support/EngineFixtures.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora::test {
namespace {

using F = ContactField;
using K = NumberKind;

// The first failure `check` reports, caught so that it does not fail the test.
std::string FirstFailureOf(const std::function<void()>& check) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        check();
    }
    return results.size() == 0 ? "" : results.GetTestPartResult(0).message();
}

// The first run links equal names, numbers and copies the rest both ways.
TEST(FirstRunScenario, LinksByNameAndAddsTheRestOnBothSides) {
    FileScenario s;
    s.WriteStores({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}, {K::Email, "ann@example.org", 2}}},
                   {2, "Cy Dunn", {{K::Home, "5550001111", 3}}},
                   {4, "Dee Park", {{K::Work1, "5554445555", 5}}}});
    std::filesystem::remove(s.settings.ContactsPath / "4.vcf");
    s.WriteCard("b.vcf",
                "User1=164*12*3456; User2=Y; FileAs=Bob Stone; MobileTelephoneNumber=555-222-3333");
    // Eve's card is left from an earlier time.
    s.WriteCard("e.vcf",
                "User3=9; User4=M:12; FileAs=Eve Moss; MobileTelephoneNumber=555 999 0000");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores(),
              (StoreTexts{"FileAs=Eve Moss; MobileTelephoneNumber=555 999 0000\n"
                          "User1=164*12*3456; User2=Y; User3=3; User4=DC:4,M:6; FileAs=Bob Stone; "
                          "MobileTelephoneNumber=555-222-3333\n"
                          "User2=YES; User3=1; User4=M:1,E:2; FileAs=Ann Lee; "
                          "MobileTelephoneNumber=(555) 123-4567; Email1Address=ann@example.org\n"
                          "User2=YES; User3=2; User4=H:3; FileAs=Cy Dunn; "
                          "HomeTelephoneNumber=(555) 000-1111\n"
                          "User2=YES; User3=4; User4=W1:5; FileAs=Dee Park; FullName=Dee Park; "
                          "LastName=Dee Park; BusinessTelephoneNumber=(555) 444-5555\n",
                          "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|ann@example.org|10|2|255;"
                          "2|Cy Dunn|5550001111|2|3|6;4|Dee Park|5554445555|3|5|6;"
                          "3|Bob Stone|164*12*3456|1|4|255;3|Bob Stone|5552223333|4|6|6",
                          "1|Ann Lee|M:1,E:2|Mobile=5551234567|Email=ann@example.org;"
                          "2|Cy Dunn|H:3|Home=5550001111;"
                          "3|Bob Stone|DC:4,M:6|DirectConnect=164*12*3456|Mobile=5552223333;"
                          "4|Dee Park|W1:5|Work1=5554445555"}));
    EXPECT_EQ(s.Shown("names: |Dee Park|Dee Park|Dee Park"), 1);
    ExpectQuietRun(s.session);
}

// Ann and Cy agreed in all three stores; every scenario ends with a quiet run.
class ScenarioTest : public ::testing::Test {
  protected:
    ScenarioTest() {
        s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}, {K::Home, "5550001111", 2}}},
                 {2, "Cy Dunn", {{K::Home, "5553334444", 3}}}});
    }
    void TearDown() override { ExpectQuietRun(s.session); }

    FileScenario s;
};

// The road of one change, line for line.
TEST_F(ScenarioTest, RoadOfOneChange) {
    s.EditCard("Ann Lee", F::MobileTelephoneNumber, "(555) 987-6543");
    const std::string addressBook = s.Stores().addressBook;
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(
        ReadLogLines(s.settings.LogPath),
        (Lines{TitleVersionLine(),
               std::string(kCopyrightNotice),
               "Activity Log",
               "",
               "Status: Synchronization in progress . . .",
               "Loaded Outlook contacts.",
               "Loaded PhoneBook records from " + s.settings.PhoneBookPath.string(),
               "Loaded previous sync data from " + s.settings.SyncPath.string(),
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
               "... Ann Lee has been modified."}));
    EXPECT_EQ(
        s.Stores(),
        (StoreTexts{
            addressBook,
            "1|Ann Lee|5559876543|4|1|6;1|Ann Lee|5550001111|2|2|6;2|Cy Dunn|5553334444|2|3|6",
            "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5559876543;2|Cy Dunn|H:3|Home=5553334444"}));
}

// A change on each side reaches the other, a new number with a free speed dial.
TEST_F(ScenarioTest, AChangeOnEachSide) {
    s.EditCard("Cy Dunn", F::PagerNumber, "555 666 7777");
    s.ChangePhoneBook(
        "UPDATE tblContactList SET Number = '5550002222' WHERE ContactID = 1 AND NumberType = 2");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(
        s.Stores(),
        (StoreTexts{"User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
                    "HomeTelephoneNumber=(555) 000-2222; MobileTelephoneNumber=(555) 123-4567\n"
                    "User2=YES; User3=2; User4=H:3,P:4; FileAs=Cy Dunn; "
                    "HomeTelephoneNumber=(555) 333-4444; PagerNumber=555 666 7777\n",
                    "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|5550002222|2|2|6;"
                    "2|Cy Dunn|5553334444|2|3|6;2|Cy Dunn|5556667777|6|4|6",
                    "1|Ann Lee|H:2,M:1|Home=5550002222|Mobile=5551234567;"
                    "2|Cy Dunn|H:3,P:4|Home=5553334444|Pager=5556667777"}));
}

// A conflict closed without a choice is asked again; an edited choice is kept.
TEST_F(ScenarioTest, ConflictsResolvedEachWayOrClosedWithoutChoice) {
    s.EditCard("Ann Lee", F::MobileTelephoneNumber, "(555) 987-6543");
    s.EditCard("Cy Dunn", F::FileAs, "Cy Dunn-Moss");
    s.ChangePhoneBook(
        "UPDATE tblContactList SET Number = '5551112222' WHERE ContactID = 1 AND NumberType = 4;"
        "UPDATE tblContactList SET Number = '5553339999' WHERE ContactID = 2;");
    s.ui.conflictPolicy = [](const SyncObject& outlook, const SyncObject& phoneBook) {
        if (outlook.ContactName == "Ann Lee") return std::optional<ConflictChoice>();
        SyncObject edited = phoneBook;
        edited.ContactName = outlook.ContactName;
        return std::optional(ConflictChoice{ConflictSide::PhoneBook, edited});
    };
    const auto stores = [](const std::string& phoneBook, const std::string& sync) {
        return StoreTexts{
            "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
            "HomeTelephoneNumber=(555) 000-1111; MobileTelephoneNumber=(555) 987-6543\n"
            "User2=YES; User3=2; User4=H:3; FileAs=Cy Dunn-Moss; "
            "HomeTelephoneNumber=(555) 333-9999\n",
            "1|Ann Lee|" + phoneBook +
                "|4|1|6;1|Ann Lee|5550001111|2|2|6;2|Cy Dunn-Moss|5553339999|2|3|6",
            "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=" + sync +
                ";2|Cy Dunn-Moss|H:3|Home=5553339999"};
    };
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Shown("conflict: Ann Lee / Ann Lee"), 2);
    EXPECT_EQ(s.Shown("conflict: Cy Dunn-Moss / Cy Dunn"), 1);
    EXPECT_EQ(s.Stores(), stores("5551112222", "5551234567"));

    s.ui.conflictPolicy = ScriptedRunUi::Keep(ConflictSide::Outlook);
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Shown("conflict: Ann Lee / Ann Lee"), 3);
    EXPECT_EQ(s.Stores(), stores("5559876543", "5559876543"));
}

// The closing check fails at a run's first write, saying what was tried where.
TEST_F(ScenarioTest, QuietRunCheckFailsWhenTheRunHasWorkLeft) {
    const std::pair<std::function<void()>, std::string> edits[] = {
        {[&] { s.ChangePhoneBook("UPDATE tblContactList SET Number = '5559999999'"); },
         "tried to write: Set of HomeTelephoneNumber to \"(555) 999-9999\" on contact "
         "\"Ann Lee\" (contact ID \"1\""},
        {[&] { s.EditCard("Ann Lee", F::MobileTelephoneNumber, "555 8887777"); },
         "tried to write: Edit of row 1 of table tblContactList in "},
    };
    for (const auto& [edit, attempt] : edits) {
        edit();
        const StoreTexts edited = s.Stores();
        EXPECT_THAT(FirstFailureOf([&] { ExpectQuietRun(s.session); }),
                    ::testing::HasSubstr(attempt));
        EXPECT_EQ(s.Stores(), edited);
        ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    }
}

// Contacts without numbers stay in the address book without an ID.
TEST_F(ScenarioTest, ContactsWithoutNumbersStayInTheAddressBook) {
    s.EditCard("Cy Dunn", F::HomeTelephoneNumber, "");
    s.WriteCard("g.vcf", "User2=YES; FileAs=Gil Ray");
    const std::string ann =
        "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; HomeTelephoneNumber=(555) 000-1111; "
        "MobileTelephoneNumber=(555) 123-4567\n";
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores(),
              (StoreTexts{"User2=YES; FileAs=Cy Dunn\nUser2=YES; FileAs=Gil Ray\n" + ann,
                          "1|Ann Lee|5551234567|4|1|6;1|Ann Lee|5550001111|2|2|6",
                          "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5551234567"}));
    ExpectQuietRun(s.session);

    s.EditCard("Gil Ray", F::PagerNumber, "555 777 0000");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_THAT(s.Stores().phoneBook, ::testing::HasSubstr("2|Gil Ray|5557770000|6|3|6"));
}

// An unreadable store stops the run at its own stage; the first in run order is named.
TEST(UnreadableStoresScenario, EachFailureIsReportedAtItsOwnStage) {
    enum Store { AddressBook = 1, PhoneBook = 2, Sync = 4 };
    struct Case {
        const char* scenario;
        int unreadable;
        Store reported;
        std::size_t loadedLines;  // "Loaded ..." lines before the failure
    };
    const Case cases[] = {
        {"the phone book", PhoneBook, PhoneBook, 1},
        {"the sync database", Sync, Sync, 2},
        {"the phone book and the sync database", PhoneBook | Sync, PhoneBook, 1},
        {"all three", AddressBook | PhoneBook | Sync, AddressBook, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        FileScenario s;
        s.WriteStores({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}}});
        if (c.unreadable & PhoneBook) test::WriteFileBytes(s.settings.PhoneBookPath, "not a db");
        if (c.unreadable & Sync) test::WriteFileBytes(s.settings.SyncPath, "not a db");
        if (c.unreadable & AddressBook) std::filesystem::remove_all(s.settings.ContactsPath);
        const auto stored = [&] {
            auto files = test::FilesBelow(s.settings.ContactsPath);
            for (const auto& path : {s.settings.PhoneBookPath, s.settings.SyncPath})
                files[path.string()] =
                    std::filesystem::exists(path) ? test::ReadFileBytes(path) : "(none)";
            return files;
        };
        const auto before = stored();
        EXPECT_EQ(s.Run().outcome, RunOutcome::Failed);
        EXPECT_EQ(stored(), before);  // a stopped run writes no store
        const Lines log = ReadLogLines(s.settings.LogPath);
        ASSERT_FALSE(log.empty());
        const std::filesystem::path& failed = c.reported == AddressBook ? s.settings.ContactsPath
                                              : c.reported == PhoneBook ? s.settings.PhoneBookPath
                                                                        : s.settings.SyncPath;
        EXPECT_THAT(log.back(), ::testing::StartsWith("... The synchronization stopped: "));
        EXPECT_THAT(log.back(), ::testing::HasSubstr(failed.string()));
        EXPECT_EQ(
            std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.starts_with("Loaded "); }),
            c.loadedLines);
    }
}

// A deletion wins over a change; the same change on both sides asks nothing.
TEST(DeletionScenario, DeletionsOnOneSideAndOnBothAndTheSameChange) {
    FileScenario s;
    s.Agree({{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}},
             {2, "Bob Stone", {{K::Home, "5552223333", 2}}},
             {3, "Cy Dunn", {{K::Work1, "5553334444", 3}, {K::Email, "cy@example.org", 4}}},
             {4, "Dee Park", {{K::Pager, "5554445555", 5}}},
             {5, "Eve Moss", {{K::Mobile, "5556667777", 6}}},
             {6, "Fay Wu", {{K::Home, "5558889999", 7}}}});
    for (const char* card : {"1.vcf", "3.vcf", "5.vcf"})
        std::filesystem::remove(s.settings.ContactsPath / card);
    s.EditCard("Dee Park", F::PagerNumber, "555 444 0000");
    s.EditCard("Fay Wu", F::HomeTelephoneNumber, "555.888.0000");
    s.ChangePhoneBook(
        "DELETE FROM tblContactList WHERE ContactID IN (2, 3, 4);"
        "UPDATE tblContactList SET Number = '5556660000' WHERE ContactID = 5;"
        "UPDATE tblContactList SET Number = '5558880000' WHERE ContactID = 6;");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores(),
              (StoreTexts{"User2=YES; User3=6; User4=H:7; FileAs=Fay Wu; "
                          "HomeTelephoneNumber=555.888.0000\n",
                          "6|Fay Wu|5558880000|2|7|6", "6|Fay Wu|H:7|Home=5558880000"}));
    ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora::test
