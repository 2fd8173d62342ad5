#include <gtest/gtest.h>

#include "app/FakeProcessPort.h"
#include "app/PhoneBookManager.h"
#include "app/RunDriver.h"
#include "model/Error.h"
#include "model/NumberKinds.h"
#include "support/EngineFixtures.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::Lines;

// The manager starts after each run; stages do nothing unless a test sets one.
class RunDriverTest : public ::testing::Test {
  protected:
    RunDriverTest() {
        settings.Save("PMBefore", "False");
        settings.Save("PMAfter", "True");
        test::WriteFileBytes(dir / "idenpm.exe", "MZ");
    }

    std::filesystem::path LogPath() const { return dir / "Data" / "SyncLog.txt"; }
    Stage& StageOf(StageId id) { return stages[static_cast<std::size_t>(id)]; }
    RunResult Run() { return RunDriver(state, settings, dir.Path(), ui, launcher, stages).Start(); }

    test::TempDir dir;
    InMemorySettingsStore settings;
    RunState state;
    test::ScriptedRunUi ui;
    test::FakeProcessPort processes;
    ProcessManagerLauncher launcher{processes, ui};
    StageTable stages;
};

// Labels and captions in order; a second start while the manager runs is refused.
TEST_F(RunDriverTest, CompleteRunShowsStagesInOrder) {
    settings.Save("PMBefore", "True");
    StageOf(StageId::SyncNewItems) = [](RunState& s) { s.OutlookSet.Append({}); };
    RunDriver driver(state, settings, dir.Path(), ui, launcher, stages);
    std::vector<RunOutcome> inner;
    processes.looksBeforeEnd = 1;
    processes.whileRunning = [&] { inner.push_back(driver.Start().outcome); };
    EXPECT_EQ(driver.Start().outcome, RunOutcome::Complete);
    EXPECT_EQ(inner, std::vector(2, RunOutcome::AlreadyRunning));
    EXPECT_FALSE(driver.IsRunning());
    const std::string waiting = "caption: Status: Waiting for PhoneBook Manager . . .";
    Lines expected{"reset labels", waiting, "caption: Status: Synchronization in progress . . ."};
    for (const std::string_view caption : kStageCaptions)
        expected.insert(expected.end(),
                        {"text: " + std::string(caption), "done: " + std::string(caption)});
    expected.insert(expected.end(), {waiting, "caption: Status: Synchronization complete."});
    EXPECT_EQ(ui.events, expected);
    EXPECT_EQ(processes.started, std::vector(2, ProcessCommand{dir / "idenpm.exe", {}}));
    EXPECT_EQ(state.OutlookSet.Count(), 0);
}

// An overflow of names or numbers stops the run before any writer or the manager.
TEST_F(RunDriverTest, CapacityCheck) {
    StageOf(StageId::SyncNewItems) = [](RunState& s) {
        for (int r = 0; r < 51; ++r) {
            SyncObject& record = s.OutlookSet.Append({});
            for (int n = 0; n < (r < 50 ? 5 : 9); ++n)
                record.SetNumber(kNumberKinds[n].kind, "1");
            if (r == 50) record.Flag = RecordFlag::Delete;
        }
    };
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"0", "250", ""},
        {"51", "250", ""},
        {"50", "250", "The 51 names in Outlook exceeds your phone's capacity of 50."},
        {"0", "249", "The 250 phone numbers in Outlook exceeds your phone's capacity of 249."},
    };
    for (const auto& [names, numbers, message] : cases) {
        SCOPED_TRACE(message);
        settings.Save("NameLimit", names);
        settings.Save("NumberLimit", numbers);
        ui = {};
        processes.started.clear();
        EXPECT_EQ(Run().outcome,
                  message.empty() ? RunOutcome::Complete : RunOutcome::CapacityExceeded);
        EXPECT_EQ(processes.started.size(), message.empty() ? 1u : 0u);  // after the run only
        if (message.empty()) continue;
        EXPECT_EQ(Lines(ui.events.end() - 3, ui.events.end()),
                  (Lines{"done: Synchronizing new items . . .",
                         "caption: Status: Synchronization error. Please check the log.",
                         "message: " + message}));
        const Lines log = test::ReadLogLines(LogPath());
        EXPECT_EQ(Lines(log.end() - 3, log.end()),
                  (Lines{"Synchronization cannot continue.", "... " + message,
                         "... If your phone is actually capable of this capacity, please check "
                         "the settings from the main menu."}));
    }
}

// A throwing stage or an uncreatable log ends the run, saying why; the next run works.
TEST_F(RunDriverTest, FailuresEndTheRunAndLeaveTheProgramUsable) {
    StageOf(StageId::FlagNewItems) = [](RunState& s) {
        s.OutlookSet.Append({});
        throw Error("The card /tmp/a.vcf cannot be read.");
    };
    const std::string stopped = "The synchronization stopped: The card /tmp/a.vcf cannot be read.";
    const std::string error = "Status: Synchronization error. Please check the log.";
    EXPECT_EQ(Run().outcome, RunOutcome::Failed);
    EXPECT_EQ(
        Lines(ui.events.end() - 3, ui.events.end()),
        (Lines{"text: Flagging new items . . .", "caption: " + error, "message: " + stopped}));
    EXPECT_EQ(test::ReadLogLines(LogPath()).back(), "... " + stopped);
    EXPECT_EQ(state.OutlookSet.Count(), 0);

    StageOf(StageId::FlagNewItems) = nullptr;
    StageOf(StageId::WritePhoneBookDatabase) = [](RunState& s) { ++s.FailedWrites; };
    EXPECT_EQ(Run().outcome, RunOutcome::CompletedWithErrors);
    EXPECT_EQ(ui.events.back(), "caption: " + error);

    test::WriteFileBytes(dir / "blocker", "x");
    settings.Save("LogPath", (dir / "blocker" / "SyncLog.txt").string());
    ui = {};
    EXPECT_EQ(Run().outcome, RunOutcome::Failed);
    EXPECT_EQ(ui.events.size(), 4u);  // no stage: labels reset, two captions and the message
    EXPECT_NE(ui.messages.back().find("blocker"), std::string::npos);
}

}  // namespace
}  // namespace velmora
