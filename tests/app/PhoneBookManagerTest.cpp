#include <gtest/gtest.h>

#include "app/FakeProcessPort.h"
#include "app/PhoneBookManager.h"
#include "app/ShellAndWait.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

class PhoneBookManagerTest : public ::testing::Test {
  protected:
    PhoneBookManagerTest() { test::WriteFileBytes(manager, "MZ"); }

    test::TempDir dir;
    std::filesystem::path manager = dir / "idenpm.exe";
    std::filesystem::path absent = dir / "absent.exe";
    test::FakeProcessPort processes;
    test::ScriptedRunUi ui;
};

// The waiter polls once a second by default, handling events between looks.
TEST_F(PhoneBookManagerTest, ShellAndWaitPollsAndHandlesEventsBetweenLooks) {
    processes.looksBeforeEnd = 3;
    ShellAndWaitInfo info;
    info.CommandLine = {"/opt/manager", {"--quiet"}};

    EXPECT_TRUE(ShellAndWait(info, processes, ui));

    EXPECT_EQ(processes.started, std::vector<ProcessCommand>{info.CommandLine});
    EXPECT_EQ(processes.looks, std::vector<std::chrono::milliseconds>(4, kDefaultPollInterval));
    EXPECT_EQ(ui.pendingEventCalls, 3);

    info.PollInterval = 250;
    EXPECT_TRUE(ShellAndWait(info, processes, ui));
    EXPECT_EQ(processes.looks.back(), std::chrono::milliseconds(250));
}

// Wine only for a Windows program on a host that needs and has it.
TEST_F(PhoneBookManagerTest, ChoosesWineOnlyForWindowsProgramsWhereNeeded) {
    const std::filesystem::path wine = "/usr/bin/wine";
    processes.wine = wine;
    EXPECT_EQ(ManagerCommand("/p/IDENPM.EXE", processes, false),
              (ProcessCommand{wine, {"/p/IDENPM.EXE"}}));
    EXPECT_EQ(ManagerCommand("/p/idenpm.sh", processes, false),
              (ProcessCommand{"/p/idenpm.sh", {}}));
    EXPECT_EQ(ManagerCommand("/p/idenpm.exe", processes, true),
              (ProcessCommand{"/p/idenpm.exe", {}}));
    processes.wine.reset();
    EXPECT_EQ(ManagerCommand("/p/idenpm.exe", processes, false),
              (ProcessCommand{"/p/idenpm.exe", {}}));
}

// A manager that cannot start: silent before a run, explained from the menu.
TEST_F(PhoneBookManagerTest, ManagersThatCannotStart) {
    StartPhoneBookManager(true, absent, processes, ui);
    StartPhoneBookManager(false, absent, processes, ui);
    processes.startFailure = "The program could not be started: broken.";
    StartPhoneBookManager(true, manager, processes, ui);
    StartPhoneBookManager(false, manager, processes, ui);
    EXPECT_FALSE(ShellAndWait(ShellAndWaitInfo{}, processes, ui));
    EXPECT_EQ(processes.started.size(), 2u);
    EXPECT_EQ(processes.detached.size(), 1u);
    EXPECT_TRUE(processes.looks.empty());
    EXPECT_EQ(ui.pendingEventCalls, 0);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  "The iDEN PhoneBook Manager could not be started. The file " + absent.string() +
                      " does not exist.",
                  "The iDEN PhoneBook Manager could not be started. " + *processes.startFailure}));
}

}  // namespace
}  // namespace velmora
