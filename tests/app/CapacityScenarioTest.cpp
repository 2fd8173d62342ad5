#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/EngineFixtures.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using K = NumberKind;
using test::FileScenario;
using test::ScenarioContact;
using Lines = std::vector<std::string>;

// Every file below the folder, by its path, with its bytes.
std::map<std::string, std::string> FileBytes(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] =
                test::ReadFileBytes(entry.path());
        }
    }
    return files;
}

// The capacity check stops a run whose result would not fit the phone: the
// address book added a fourth number where the phone takes three. The run
// ends after the engine with three log lines, the error caption and a
// message; no store is written (the run goes through stores that refuse
// every write) and every file is as it was, byte for byte. Once the limit
// allows the numbers, the run carries both sides' changes, and the next one
// has nothing to do.
TEST(CapacityScenarioTest, OverflowLeavesEveryStoreUntouched) {
    const ScenarioContact ann{
        1, "Ann Lee", {{K::Mobile, "5551234567", 1}, {K::Home, "5550001111", 2}}};
    const ScenarioContact cy{2, "Cy Dunn", {{K::Home, "5553334444", 3}}};
    FileScenario s;
    s.WriteAgreedStores({ann, cy});
    s.WriteCard("2.vcf", test::WithField(test::CardFieldsOf(cy), F::PagerNumber, "555 666 7777"));
    test::ExecuteSql(s.PhoneBookPath(),
                     "UPDATE tblContactList SET Number = '5550002222' "
                     "WHERE ContactID = 1 AND NumberType = 2");
    s.session.SettingsStore().Save("NumberLimit", "3");
    const std::filesystem::path data = s.PhoneBookPath().parent_path();
    std::filesystem::remove(s.LogPath());
    const auto before = FileBytes(data);

    const RunResult result = s.session.Run(s.ui, test::WriteRefusing(s.session.Backends()));

    const std::string message =
        "The 4 phone numbers in Outlook exceeds your phone's capacity of 3.";
    EXPECT_EQ(result.outcome, RunOutcome::CapacityExceeded);
    EXPECT_EQ(result.message, message);
    EXPECT_EQ(s.ui.messages, Lines{message});
    EXPECT_EQ(s.ui.caption, "Status: Synchronization error. Please check the log.");
    const Lines log = s.EngineLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(
        Lines(log.end() - 4, log.end()),
        (Lines{"Synchronizing new items.", "Synchronization cannot continue.", "... " + message,
               "... If your phone is actually capable of this capacity, please check the "
               "settings from the main menu."}));
    auto after = FileBytes(data);
    EXPECT_EQ(after.erase(s.LogPath().filename().string()), 1u);
    EXPECT_EQ(after, before);

    s.session.SettingsStore().Save("NumberLimit", "4");
    ASSERT_EQ(s.Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores(),
              (test::StoreTexts{"1|Ann Lee|5551234567|4|1|6;1|Ann Lee|5550002222|2|2|6;"
                                "2|Cy Dunn|5553334444|2|3|6;2|Cy Dunn|5556667777|6|4|6",
                                "1|Ann Lee|H:2,M:1|Home=5550002222|Mobile=5551234567;"
                                "2|Cy Dunn|H:3,P:4|Home=5553334444|Pager=5556667777",
                                "User2=YES; User3=1; User4=H:2,M:1; FileAs=Ann Lee; "
                                "HomeTelephoneNumber=(555) 000-2222; "
                                "MobileTelephoneNumber=(555) 123-4567\n"
                                "User2=YES; User3=2; User4=H:3,P:4; FileAs=Cy Dunn; "
                                "HomeTelephoneNumber=(555) 333-4444; PagerNumber=555 666 7777\n"}));

    test::ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora
