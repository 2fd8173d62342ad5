#include "app/ShellAndWait.h"

#include "model/Error.h"
#include "run/RunUi.h"

namespace velmora {

namespace {

void MarkEnded(ShellAndWaitInfo& info) {
    info.Running = false;
    info.EndTime = std::chrono::system_clock::now();
    info.ElapsedTime = info.EndTime - info.StartTime;
}

}  // namespace

bool ShellAndWait(ShellAndWaitInfo& info, ProcessPort& processes, RunUi& ui) {
    info.StartTime = std::chrono::system_clock::now();
    info.StartFailure.clear();
    const std::chrono::milliseconds interval =
        info.PollInterval < 1 ? kDefaultPollInterval : std::chrono::milliseconds(info.PollInterval);
    if (info.ClearPollInterval) info.PollInterval = -1;

    info.Running = true;
    std::unique_ptr<StartedProcess> process;
    try {
        process = processes.Start(info.CommandLine);
    } catch (const Error& error) {
        info.StartFailure = error.what();
        MarkEnded(info);
        return false;
    }
    while (process->WaitForEnd(interval) == WaitOutcome::StillRunning)
        ui.ProcessPendingEvents();
    MarkEnded(info);
    return true;
}

}  // namespace velmora
