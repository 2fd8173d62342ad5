#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "run/RunState.h"
#include "run/RunUi.h"

namespace velmora {

class ManagerLauncher;
class SettingsStore;

// One stage of a run: it works on the run state and writes its own log lines.
using Stage = std::function<void(RunState&)>;

// The thirteen stages, indexed by StageId.
using StageTable = std::array<Stage, kStageCount>;

enum class RunOutcome {
    Complete,             // every stage ran and every change was stored
    CompletedWithErrors,  // every stage ran, some changes failed (see the log)
    CapacityExceeded,     // stopped before writing: the result does not fit the phone
    Failed,               // stopped by an error
    AlreadyRunning,       // refused: a run is under way
};

struct RunResult {
    RunOutcome outcome;
    std::string message;  // the message shown to the person, if any
};

// Runs one synchronization: the sequence behind the Start button and the
// Synchronize menu item, shared by both front ends.
class RunDriver {
  public:
    RunDriver(RunState& state, SettingsStore& settings, std::filesystem::path programFolder,
              RunUi& ui, ManagerLauncher& manager, StageTable stages);

    RunResult Start();
    bool IsRunning() const { return running_; }

    // The reset done when the window opens.
    void ResetRunState();

  private:
    RunResult Run();
    RunResult StopOnCapacity(const struct CapacityOverflow& overflow);
    RunResult StopOnError(const std::string& message);
    void RunStage(StageId id);

    RunState& state_;
    SettingsStore& settings_;
    std::filesystem::path programFolder_;
    RunUi& ui_;
    ManagerLauncher& manager_;
    StageTable stages_;
    bool running_ = false;
};

}  // namespace velmora
