#include <algorithm>

#include <gtest/gtest.h>

#include "app/ManagerLauncher.h"
#include "app/RunDriver.h"
#include "model/Error.h"
#include "model/NumberKinds.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::ReadFileBytes;
using test::ScriptedRunUi;
using test::TempDir;

class RecordingLauncher : public ManagerLauncher {
  public:
    void StartAndWait(const std::filesystem::path& path) override { starts.push_back(path); }
    std::vector<std::filesystem::path> starts;
};

std::vector<std::string> LogLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::string content = ReadFileBytes(path);
    std::size_t at = 0;
    while (at < content.size()) {
        const auto end = content.find("\r\n", at);
        lines.push_back(content.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class RunDriverTest : public ::testing::Test {
  protected:
    RunDriverTest() {
        settings.Save("PMBefore", "False");
        settings.Save("PMAfter", "False");
        settings.Save("PhoneBookPath", (dir / "pb.db").string());
        settings.Save("SyncPath", (dir / "sync.db").string());
        settings.Save("LogPath", LogPath().string());
        // Every stage records that it ran; the ones that log open the log as stages do.
        for (std::size_t i = 0; i < kStageCount; ++i) {
            stages[i] = [this, i](RunState&) {
                ran.push_back(std::string(kStageLabels[i].textLabel));
            };
        }
    }

    std::filesystem::path LogPath() const { return dir / "Data" / "SyncLog.txt"; }

    RunDriver Driver() { return RunDriver(state, settings, dir.Path(), ui, launcher, stages); }

    // Gives the address-book set `records` records of `numbers` numbers each.
    void FillOutlookSet(int records, int numbers) {
        stages[static_cast<std::size_t>(StageId::LoadOutlookContacts)] = [=](RunState& s) {
            for (int r = 0; r < records; ++r) {
                SyncObject& o = s.OutlookSet.Append({});
                for (int n = 0; n < numbers; ++n)
                    o.*kNumberKinds[n].number = "1";
            }
        };
    }

    TempDir dir;
    InMemorySettingsStore settings;
    RunState state;
    ScriptedRunUi ui;
    RecordingLauncher launcher;
    StageTable stages;
    std::vector<std::string> ran;
};

// A complete run: labels in order, captions from in progress to complete,
// the header and the three loaded lines, and no manager start when both
// options are off.
TEST_F(RunDriverTest, CompleteRunShowsStagesInOrder) {
    RunDriver driver = Driver();
    const RunResult result = driver.Start();
    EXPECT_EQ(result.outcome, RunOutcome::Complete);

    std::vector<std::string> expected{"reset labels",
                                      "caption: Status: Synchronization in progress . . ."};
    for (const auto& stage : kStageLabels) {
        expected.push_back("text: " + std::string(stage.textLabel));
        expected.push_back("done: " + std::string(stage.doneLabel));
    }
    expected.emplace_back("caption: Status: Synchronization complete.");
    EXPECT_EQ(ui.events, expected);
    EXPECT_EQ(ran.size(), kStageCount);
    EXPECT_TRUE(launcher.starts.empty());

    EXPECT_EQ(
        LogLines(LogPath()),
        (std::vector<std::string>{
            "Velmora, version: 0.0.4", "Copyright © 2026 The Velmora developers", "Activity Log",
            "", "Status: Synchronization in progress . . .", "Loaded Outlook contacts.",
            "Loaded PhoneBook records from " + (dir / "pb.db").string(),
            "Loaded previous sync data from " + (dir / "sync.db").string()}));
    EXPECT_EQ(state.OutlookSet.Count(), 0);  // reset after the run
}

// With the manager options on, the manager is started before and after the
// run, each time under the waiting caption, from the program folder.
TEST_F(RunDriverTest, StartsTheManagerBeforeAndAfter) {
    settings.Save("PMBefore", "True");
    settings.Save("PMAfter", "True");
    RunDriver driver = Driver();
    driver.Start();
    ASSERT_EQ(launcher.starts.size(), 2u);
    EXPECT_EQ(launcher.starts[0], dir / "idenpm.exe");
    EXPECT_EQ(ui.events[1], "caption: Status: Waiting for PhoneBook Manager . . .");
    EXPECT_EQ(ui.events[2], "caption: Status: Synchronization in progress . . .");
    const auto n = ui.events.size();
    EXPECT_EQ(ui.events[n - 2], "caption: Status: Waiting for PhoneBook Manager . . .");
    EXPECT_EQ(ui.events[n - 1], "caption: Status: Synchronization complete.");
}

// 251 numbers over a limit of 250 stop the run before any writer, with the
// three log lines, the error caption and the message box; the manager is not
// started afterwards. Exactly 250 pass.
TEST_F(RunDriverTest, NumberCapacityStopsBeforeWriting) {
    settings.Save("PMAfter", "True");
    FillOutlookSet(27, 9);  // 243 numbers
    stages[static_cast<std::size_t>(StageId::SyncNewItems)] = [](RunState& s) {
        SyncObject& o = s.OutlookSet.Append({});
        o.HomeNumber = o.MobileNumber = o.FaxNumber = o.PagerNumber = o.OtherNumber =
            o.Work1Number = o.Work2Number = o.DCNumber = "1";  // 251 in all
        SyncObject& deleted = s.OutlookSet.Append({});
        deleted.Flag = "D";
        deleted.HomeNumber = "1";  // not counted
    };
    RunDriver driver = Driver();
    const RunResult result = driver.Start();

    const std::string message =
        "The 251 phone numbers in Outlook exceeds your phone's capacity of 250.";
    EXPECT_EQ(result.outcome, RunOutcome::CapacityExceeded);
    EXPECT_EQ(ui.messages, std::vector<std::string>{message});
    EXPECT_EQ(ui.caption, "Status: Synchronization error. Please check the log.");
    EXPECT_EQ(std::count_if(ui.events.begin(), ui.events.end(),
                            [](const std::string& e) { return e.starts_with("text: Writing"); }),
              0);
    EXPECT_TRUE(launcher.starts.empty());
    const auto lines = LogLines(LogPath());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{
                  "Synchronization cannot continue.", "... " + message,
                  "... If your phone is actually capable of this capacity, please check the "
                  "settings from the main menu."}));

    // 250 numbers fit exactly.
    ui.messages.clear();
    stages[static_cast<std::size_t>(StageId::SyncNewItems)] = [](RunState& s) {
        SyncObject& o = s.OutlookSet.Append({});
        o.HomeNumber = o.MobileNumber = o.FaxNumber = o.PagerNumber = o.OtherNumber =
            o.Work1Number = o.Work2Number = "1";
    };
    RunDriver second = Driver();
    EXPECT_EQ(second.Start().outcome, RunOutcome::Complete);
    EXPECT_TRUE(ui.messages.empty());
}

// Names are counted over every record, "D" included; a name limit of 0 means
// no limit.
TEST_F(RunDriverTest, NameCapacityCountsEveryRecord) {
    settings.Save("NameLimit", "2");
    stages[static_cast<std::size_t>(StageId::LoadOutlookContacts)] = [](RunState& s) {
        s.OutlookSet.Append({});
        s.OutlookSet.Append({});
        s.OutlookSet.Append({}).Flag = "D";
    };
    RunDriver driver = Driver();
    EXPECT_EQ(driver.Start().outcome, RunOutcome::CapacityExceeded);
    EXPECT_EQ(ui.messages.back(), "The 3 names in Outlook exceeds your phone's capacity of 2.");

    settings.Save("NameLimit", "0");
    RunDriver unlimited = Driver();
    EXPECT_EQ(unlimited.Start().outcome, RunOutcome::Complete);
}

// A stage that throws ends the run there: later stages do not run, the log
// holds the reason, the caption shows the error, the state is reset, and the
// next run works.
TEST_F(RunDriverTest, FailingStageStopsTheRunAndLeavesTheProgramUsable) {
    stages[static_cast<std::size_t>(StageId::FlagNewItems)] = [](RunState& s) {
        s.OutlookSet.Append({});
        throw Error("The card /tmp/a.vcf cannot be read.");
    };
    RunDriver driver = Driver();
    const RunResult result = driver.Start();
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(ran.back(), "FlaggingDeleted");
    EXPECT_EQ(ui.caption, "Status: Synchronization error. Please check the log.");
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "The synchronization stopped: The card /tmp/a.vcf cannot be read."});
    EXPECT_EQ(LogLines(LogPath()).back(),
              "... The synchronization stopped: The card /tmp/a.vcf cannot be read.");
    EXPECT_EQ(state.OutlookSet.Count(), 0);
    EXPECT_FALSE(driver.IsRunning());

    stages[static_cast<std::size_t>(StageId::FlagNewItems)] = nullptr;
    RunDriver next = Driver();
    EXPECT_EQ(next.Start().outcome, RunOutcome::Complete);
}

// A log that cannot be created stops the run before any stage, with a message.
TEST_F(RunDriverTest, UnwritableLogStopsTheRun) {
    test::WriteFileBytes(dir / "blocker", "x");
    settings.Save("LogPath", (dir / "blocker" / "SyncLog.txt").string());
    RunDriver driver = Driver();
    EXPECT_EQ(driver.Start().outcome, RunOutcome::Failed);
    EXPECT_TRUE(ran.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("blocker"), std::string::npos);
}

// A writer that reports failed steps ends the run with the error caption.
TEST_F(RunDriverTest, FailedWritesEndWithTheErrorCaption) {
    stages[static_cast<std::size_t>(StageId::WritePhoneBookDatabase)] = [](RunState& s) {
        ++s.FailedWrites;
    };
    RunDriver driver = Driver();
    EXPECT_EQ(driver.Start().outcome, RunOutcome::CompletedWithErrors);
    EXPECT_EQ(ui.caption, "Status: Synchronization error. Please check the log.");
}

// A second start while a run is under way (the window handles events while
// the manager runs) is refused and does not disturb the first.
TEST_F(RunDriverTest, SecondRunCannotStartInsideTheFirst) {
    settings.Save("PMBefore", "True");
    std::optional<RunDriver> driver;
    struct Reentering : ManagerLauncher {
        std::optional<RunDriver>* driver = nullptr;
        std::vector<RunOutcome> inner;
        void StartAndWait(const std::filesystem::path&) override {
            inner.push_back((*driver)->Start().outcome);
        }
    } reentering;
    reentering.driver = &driver;
    driver.emplace(state, settings, dir.Path(), ui, reentering, stages);
    EXPECT_EQ(driver->Start().outcome, RunOutcome::Complete);
    EXPECT_EQ(reentering.inner, std::vector<RunOutcome>{RunOutcome::AlreadyRunning});
    EXPECT_EQ(ran.size(), kStageCount);
}

}  // namespace
}  // namespace velmora
