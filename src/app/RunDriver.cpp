#include "app/RunDriver.h"

#include <exception>
#include <optional>
#include <utility>

#include "app/ManagerLauncher.h"
#include "model/Error.h"
#include "run/ActivityLog.h"
#include "run/Capacity.h"

namespace velmora {

namespace {

constexpr std::array<StageId, 3> kLoadStages{
    StageId::LoadOutlookContacts, StageId::LoadPhoneBookRecords, StageId::LoadSyncRecords};
constexpr std::array<StageId, 7> kEngineStages{
    StageId::AssignContactIDs, StageId::FlagDeletedItems,  StageId::FlagNewItems,
    StageId::AssignSpeedDials, StageId::FlagModifiedItems, StageId::SyncModifiedItems,
    StageId::SyncNewItems};
constexpr std::array<StageId, 3> kWriteStages{
    StageId::WriteOutlookContacts, StageId::WritePhoneBookDatabase, StageId::WriteSyncDatabase};

// The line the driver writes after each load.
std::string LoadedLine(StageId id, const Settings& settings) {
    switch (id) {
        case StageId::LoadOutlookContacts:
            return "Loaded Outlook contacts.";
        case StageId::LoadPhoneBookRecords:
            return "Loaded PhoneBook records from " + settings.PhoneBookPath.string();
        default:
            return "Loaded previous sync data from " + settings.SyncPath.string();
    }
}

// Clears a flag when it goes out of scope, however the run ends.
class RunningGuard {
  public:
    explicit RunningGuard(bool& flag) : flag_(flag) { flag_ = true; }
    RunningGuard(const RunningGuard&) = delete;
    RunningGuard& operator=(const RunningGuard&) = delete;
    ~RunningGuard() { flag_ = false; }

  private:
    bool& flag_;
};

}  // namespace

RunDriver::RunDriver(RunState& state, SettingsStore& settings, std::filesystem::path programFolder,
                     RunUi& ui, ManagerLauncher& manager, StageTable stages)
    : state_(state),
      settings_(settings),
      programFolder_(std::move(programFolder)),
      ui_(ui),
      manager_(manager),
      stages_(std::move(stages)) {}

void RunDriver::ResetRunState() {
    velmora::ResetRunState(state_, settings_, programFolder_);
}

RunResult RunDriver::Start() {
    // The window keeps handling events while the manager program runs, so the
    // Start button can be pressed again inside a run.
    if (running_) return {RunOutcome::AlreadyRunning, "A synchronization is already under way."};
    RunningGuard guard(running_);
    try {
        return Run();
    } catch (const std::exception& error) {
        return StopOnError(error.what());
    }
}

void RunDriver::RunStage(StageId id) {
    ui_.ShowStageText(id);
    const Stage& stage = stages_[static_cast<std::size_t>(id)];
    if (stage) stage(state_);
    ui_.ShowStageDone(id);
}

RunResult RunDriver::Run() {
    ui_.ResetStageLabels();
    ResetRunState();

    if (state_.settings.PMBefore) {
        ui_.SetStatusCaption(StatusCaption::WaitingForManager);
        manager_.StartAndWait(state_.ManagerPath);
    }
    ui_.SetStatusCaption(StatusCaption::InProgress);

    {
        ActivityLog log = ActivityLog::Create(state_.settings.LogPath);
        WriteLogHeader(log, StatusCaption::InProgress);
        for (const StageId id : kLoadStages) {
            RunStage(id);
            log.WriteLine(LoadedLine(id, state_.settings));
        }
        log.Close();
    }

    for (const StageId id : kEngineStages)
        RunStage(id);

    if (const auto overflow = CheckCapacity(state_)) return StopOnCapacity(*overflow);

    for (const StageId id : kWriteStages)
        RunStage(id);

    if (state_.settings.PMAfter) {
        ui_.SetStatusCaption(StatusCaption::WaitingForManager);
        manager_.StartAndWait(state_.ManagerPath);
    }

    const bool failedWrites = state_.FailedWrites > 0;
    ui_.SetStatusCaption(failedWrites ? StatusCaption::SyncError : StatusCaption::Complete);
    ResetRunState();
    return failedWrites ? RunResult{RunOutcome::CompletedWithErrors,
                                    "Some changes could not be stored. Please check the log."}
                        : RunResult{RunOutcome::Complete, ""};
}

RunResult RunDriver::StopOnCapacity(const CapacityOverflow& overflow) {
    const std::string message = overflow.Message();
    {
        ActivityLog log = ActivityLog::OpenForAppend(state_.settings.LogPath);
        log.WriteLine("Synchronization cannot continue.");
        log.WriteLine(std::string(kEventPrefix) + message);
        log.WriteLine(
            "... If your phone is actually capable of this capacity, please check the settings "
            "from the main menu.");
        log.Close();
    }
    ui_.SetStatusCaption(StatusCaption::SyncError);
    ui_.ShowMessage(message);
    ResetRunState();
    return {RunOutcome::CapacityExceeded, message};
}

RunResult RunDriver::StopOnError(const std::string& message) {
    const std::string text = "The synchronization stopped: " + message;
    // The stage that failed has closed its log; add the reason when the log can
    // be written at all (it may be the log itself that failed).
    try {
        ActivityLog log = ActivityLog::OpenForAppend(state_.settings.LogPath);
        log.WriteLine(std::string(kEventPrefix) + text);
        log.Close();
    } catch (const Error&) {
        // The message box below still tells the person what happened.
    }
    ui_.SetStatusCaption(StatusCaption::SyncError);
    ui_.ShowMessage(text);
    ResetRunState();
    return {RunOutcome::Failed, text};
}

}  // namespace velmora
