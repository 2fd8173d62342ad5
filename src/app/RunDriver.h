#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Backups.h"
#include "app/RetiredBackups.h"
#include "app/RunLock.h"
#include "run/RunPlan.h"
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
    AlreadyRunning,       // refused: a run is under way, in this program or another (not shown)
    DeletionsRefused,     // stopped before writing: the person chose not to delete so much
};

struct RunResult {
    RunOutcome outcome;
    std::string message;           // the message shown to the person, if any
    RunPlan plan;                  // what the run set out to write (zero when it stopped before)
    std::filesystem::path backup;  // the backup made before writing; empty when none was made
};

// The safety net around a run's writes. The front ends set both; tests and
// previews over copies may leave them empty.
struct RunSafety {
    RunLocker lock;                       // empty: no lock is taken
    std::filesystem::path backupsFolder;  // empty: no backups are made
};

// Runs one synchronization: the sequence behind the Start button and the
// Synchronize menu item, shared by both front ends.
class RunDriver {
  public:
    RunDriver(RunState& state, SettingsStore& settings, std::filesystem::path programFolder,
              RunUi& ui, ManagerLauncher& manager, StageTable stages, RunSafety safety = {});

    RunResult Start();
    bool IsRunning() const { return running_; }

    // The reset done when the window opens.
    void ResetRunState();

  private:
    RunResult Run();
    RunResult Result(RunOutcome outcome, std::string message) const;
    RunResult StopOnCapacity(const struct CapacityOverflow& overflow);
    RunResult StopOnError(const std::string& message);
    // Asks about each mass deletion; the result of a stopped run, or nullopt.
    std::optional<RunResult> AskAboutDeletions();
    // The backup before the first write, once per run; none for a run that
    // writes nothing.
    void BackUpBeforeWriting(std::vector<std::string> changedCards,
                             std::vector<std::string> createdCards);
    // What the run's backup copies, its cards named later.
    BackupRequest RunBackupRequest() const;
    void RunStage(StageId id);

    RunState& state_;
    SettingsStore& settings_;
    std::filesystem::path programFolder_;
    RunUi& ui_;
    ManagerLauncher& manager_;
    StageTable stages_;
    RunSafety safety_;
    bool running_ = false;
    // Of the run under way.
    RunPlan plan_;
    bool backupDecided_ = false;
    std::unique_ptr<BackupUnderWay> backupUnderWay_;  // begun at the first card changed
    std::filesystem::path backup_;
    // Of the old backups the last run that backed up retired: it goes on
    // after that run (a window stays open) until they are gone or the
    // driver is; what is left then waits for the next run that backs up.
    std::unique_ptr<RetiredBackupsRemoval> retiredRemoval_;
};

}  // namespace velmora
