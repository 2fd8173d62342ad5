#include <gtest/gtest.h>

#include "app/FakeProcessPort.h"
#include "app/PhoneBookManager.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::FakeProcessPort;
using test::ScriptedRunUi;
using test::TempDir;

class PhoneBookManagerTest : public ::testing::Test {
  protected:
    PhoneBookManagerTest() { test::WriteFileBytes(manager, "MZ"); }

    TempDir dir;
    std::filesystem::path manager = dir / "idenpm.exe";
    FakeProcessPort processes;
    ScriptedRunUi ui;
};

// A Windows program goes through wine on a host that cannot run it, in any
// letter case of its extension; other programs, a Windows host, or a host
// without wine start the program itself.
TEST_F(PhoneBookManagerTest, ChoosesWineOnlyForWindowsProgramsWhereNeeded) {
    const std::filesystem::path wine = "/usr/bin/wine";
    processes.onPath["wine"] = wine;

    EXPECT_EQ(ManagerCommand("/p/idenpm.exe", processes, false),
              (ProcessCommand{wine, {"/p/idenpm.exe"}}));
    EXPECT_EQ(ManagerCommand("/p/IDENPM.EXE", processes, false),
              (ProcessCommand{wine, {"/p/IDENPM.EXE"}}));
    EXPECT_EQ(ManagerCommand("/p/idenpm.sh", processes, false),
              (ProcessCommand{"/p/idenpm.sh", {}}));
    EXPECT_EQ(ManagerCommand("/p/idenpm.exe", processes, true),
              (ProcessCommand{"/p/idenpm.exe", {}}));

    processes.onPath.clear();
    EXPECT_EQ(ManagerCommand("/p/idenpm.exe", processes, false),
              (ProcessCommand{"/p/idenpm.exe", {}}));
}

// The launcher the driver gets waits for the manager, handling the window's
// events meanwhile, and shows nothing.
TEST_F(PhoneBookManagerTest, LauncherWaitsForTheManager) {
    processes.looksBeforeEnd = 2;
    ProcessManagerLauncher launcher(processes, ui);

    launcher.StartAndWait(manager);

    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0], ManagerCommand(manager, processes));
    EXPECT_EQ(processes.looks.size(), 3u);
    EXPECT_EQ(ui.pendingEventCalls, 2);
    EXPECT_TRUE(processes.detached.empty());
    EXPECT_TRUE(ui.messages.empty());
}

// The waiting start of a manager that is missing or will not start returns
// at once without a word, so the run goes on.
TEST_F(PhoneBookManagerTest, WaitingStartOfAMissingManagerReturnsSilently) {
    StartPhoneBookManager(true, dir / "absent.exe", processes, ui);
    EXPECT_TRUE(processes.started.empty());

    processes.startFailure = "The program could not be started: broken.";
    StartPhoneBookManager(true, manager, processes, ui);
    EXPECT_EQ(processes.started.size(), 1u);
    EXPECT_TRUE(processes.looks.empty());
    EXPECT_TRUE(ui.messages.empty());
}

// The start from the menu does not wait; a manager that is missing or will
// not start is reported in a message box naming the reason.
TEST_F(PhoneBookManagerTest, MenuStartReportsWhatWentWrong) {
    StartPhoneBookManager(false, manager, processes, ui);
    ASSERT_EQ(processes.detached.size(), 1u);
    EXPECT_EQ(processes.detached[0], ManagerCommand(manager, processes));
    EXPECT_TRUE(processes.started.empty());
    EXPECT_TRUE(ui.messages.empty());

    const auto absent = dir / "absent.exe";
    StartPhoneBookManager(false, absent, processes, ui);
    EXPECT_EQ(processes.detached.size(), 1u);
    processes.startFailure = "The program " + manager.string() + " could not be started: denied.";
    StartPhoneBookManager(false, manager, processes, ui);

    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], "The iDEN PhoneBook Manager could not be started. The file " +
                                  absent.string() + " does not exist.");
    EXPECT_EQ(ui.messages[1],
              "The iDEN PhoneBook Manager could not be started. " + *processes.startFailure);
}

}  // namespace
}  // namespace velmora
