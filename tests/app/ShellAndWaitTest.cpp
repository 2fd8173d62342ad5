#include <gtest/gtest.h>

#include "app/FakeProcessPort.h"
#include "app/ShellAndWait.h"
#include "support/ScriptedRunUi.h"

namespace velmora {
namespace {

using test::FakeProcessPort;
using test::ScriptedRunUi;

// A program that runs for three looks: the waiter looks once a second (the
// interval 0 that every caller passes), lets the window handle its events
// between two looks and never after the end, and reports the times; a
// positive interval is taken as it is and cleared when asked.
TEST(ShellAndWaitTest, PollsAndHandlesEventsBetweenLooks) {
    FakeProcessPort processes;
    ScriptedRunUi ui;
    processes.looksBeforeEnd = 3;
    int runningSeen = 0;
    ShellAndWaitInfo info;
    processes.whileRunning = [&] { runningSeen += info.Running ? 1 : 0; };
    info.CommandLine = {"/opt/manager", {"--quiet"}};

    EXPECT_TRUE(ShellAndWait(info, processes, ui));

    EXPECT_EQ(processes.started, std::vector<ProcessCommand>{info.CommandLine});
    EXPECT_EQ(processes.looks, std::vector<std::chrono::milliseconds>(4, kDefaultPollInterval));
    EXPECT_EQ(ui.pendingEventCalls, 3);
    EXPECT_EQ(runningSeen, 3);
    EXPECT_FALSE(info.Running);
    EXPECT_EQ(info.ElapsedTime, info.EndTime - info.StartTime);

    info.PollInterval = 250;
    info.ClearPollInterval = true;
    EXPECT_TRUE(ShellAndWait(info, processes, ui));
    EXPECT_EQ(processes.looks.back(), std::chrono::milliseconds(250));
    EXPECT_EQ(info.PollInterval, -1);
}

// A program that cannot be started: false at once, no look and no event
// handling, the reason kept for whoever wants it.
TEST(ShellAndWaitTest, ReturnsAtOnceWhenTheProgramCannotStart) {
    FakeProcessPort processes;
    ScriptedRunUi ui;
    processes.startFailure = "The program /opt/manager could not be started: not found.";
    ShellAndWaitInfo info;

    EXPECT_FALSE(ShellAndWait(info, processes, ui));

    EXPECT_TRUE(processes.looks.empty());
    EXPECT_EQ(ui.pendingEventCalls, 0);
    EXPECT_FALSE(info.Running);
    EXPECT_EQ(info.StartFailure, *processes.startFailure);
}

}  // namespace
}  // namespace velmora
