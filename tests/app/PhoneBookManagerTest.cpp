#include <gtest/gtest.h>

#include "app/FakeProcessPort.h"
#include "app/PhoneBookManager.h"
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

// A Windows program goes through wine on a host that cannot run it, in any
// letter case of its extension; other programs, a Windows host, or a host
// without wine start the program itself.
TEST_F(PhoneBookManagerTest, ChoosesWineOnlyForWindowsProgramsWhereNeeded) {
    const std::filesystem::path wine = "/usr/bin/wine";
    processes.onPath["wine"] = wine;
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

// The waiting start of a manager that is missing or will not start returns
// at once without a word, so the run goes on.
TEST_F(PhoneBookManagerTest, WaitingStartOfAMissingManagerReturnsSilently) {
    StartPhoneBookManager(true, absent, processes, ui);
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
    EXPECT_EQ(processes.detached, std::vector{ManagerCommand(manager, processes)});
    EXPECT_TRUE(processes.started.empty());

    StartPhoneBookManager(false, absent, processes, ui);
    EXPECT_EQ(processes.detached.size(), 1u);
    processes.startFailure = "The program could not be started: denied.";
    StartPhoneBookManager(false, manager, processes, ui);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  "The iDEN PhoneBook Manager could not be started. The file " + absent.string() +
                      " does not exist.",
                  "The iDEN PhoneBook Manager could not be started. " + *processes.startFailure}));
}

}  // namespace
}  // namespace velmora
