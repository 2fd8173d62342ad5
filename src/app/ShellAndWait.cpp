#include "app/ShellAndWait.h"

#include "model/Error.h"
#include "run/RunUi.h"

namespace velmora {

bool ShellAndWait(const ShellAndWaitInfo& info, ProcessPort& processes, RunUi& ui) {
    const std::chrono::milliseconds interval =
        info.PollInterval < 1 ? kDefaultPollInterval : std::chrono::milliseconds(info.PollInterval);
    std::unique_ptr<StartedProcess> process;
    try {
        process = processes.Start(info.CommandLine);
    } catch (const Error&) {
        // A program that cannot be started counts as one that has run.
        return false;
    }
    while (process->WaitForEnd(interval) == WaitOutcome::StillRunning)
        ui.ProcessPendingEvents();
    return true;
}

}  // namespace velmora
