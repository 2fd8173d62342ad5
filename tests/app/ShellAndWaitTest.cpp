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
// between two looks and never after the end, and reports the times.
TEST(ShellAndWaitTest, PollsOnceASecondAndHandlesEventsBetweenLooks) {
    FakeProcessPort processes;
    ScriptedRunUi ui;
    processes.looksBeforeEnd = 3;
    int runningSeen = 0;
    ShellAndWaitInfo info;
    processes.whileRunning = [&] { runningSeen += info.Running ? 1 : 0; };
    info.CommandLine = {"/opt/manager", {"--quiet"}};

    EXPECT_TRUE(ShellAndWait(info, processes, ui));

    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0], (ProcessCommand{"/opt/manager", {"--quiet"}}));
    ASSERT_EQ(processes.looks.size(), 4u);
    for (const auto& look : processes.looks)
        EXPECT_EQ(look.interval, std::chrono::milliseconds(1000));
    EXPECT_EQ(ui.pendingEventCalls, 3);
    EXPECT_EQ(runningSeen, 3);
    EXPECT_FALSE(info.Running);
    EXPECT_LE(info.StartTime, info.EndTime);
    EXPECT_EQ(info.ElapsedTime, info.EndTime - info.StartTime);
    EXPECT_EQ(info.PollInterval, 0);
}

// A positive interval is used as it is; the flag clears it after it was
// taken, and the interval taken stays in force.
TEST(ShellAndWaitTest, TakesThePollIntervalAndClearsItWhenAsked) {
    FakeProcessPort processes;
    ScriptedRunUi ui;
    processes.looksBeforeEnd = 1;
    ShellAndWaitInfo info;
    info.CommandLine = {"/opt/manager", {}};
    info.PollInterval = 250;
    info.ClearPollInterval = true;

    EXPECT_TRUE(ShellAndWait(info, processes, ui));

    ASSERT_EQ(processes.looks.size(), 2u);
    EXPECT_EQ(processes.looks[1].interval, std::chrono::milliseconds(250));
    EXPECT_EQ(info.PollInterval, -1);
}

// A program that cannot be started: false at once, no look and no event
// handling, the reason kept for whoever wants it.
TEST(ShellAndWaitTest, ReturnsAtOnceWhenTheProgramCannotStart) {
    FakeProcessPort processes;
    ScriptedRunUi ui;
    processes.startFailure = "The program /opt/manager could not be started: not found.";
    ShellAndWaitInfo info;
    info.CommandLine = {"/opt/manager", {}};

    EXPECT_FALSE(ShellAndWait(info, processes, ui));

    EXPECT_TRUE(processes.looks.empty());
    EXPECT_EQ(ui.pendingEventCalls, 0);
    EXPECT_FALSE(info.Running);
    EXPECT_EQ(info.StartFailure, *processes.startFailure);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace velmora
