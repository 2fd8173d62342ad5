#include "app/RunDriver.h"

#include <exception>
#include <optional>
#include <utility>

#include "app/Backups.h"
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

LoadedCounts CountLoaded(const RunState& state) {
    return {state.OutlookSet.Count(), state.PhoneBookSet.Count(), state.SyncDataSet.Count()};
}

std::string CountsText(const LoadedCounts& loaded) {
    return "held: PhoneBook " + std::to_string(loaded.phoneBook) + ", Outlook " +
           std::to_string(loaded.outlook) + ", sync database " + std::to_string(loaded.sync) +
           " contacts";
}

std::string PlanText(const RunPlan& plan) {
    return "the run: Outlook " + ChangesText(plan.outlook) + "; PhoneBook " +
           ChangesText(plan.phoneBook);
}

}  // namespace

RunDriver::RunDriver(RunState& state, SettingsStore& settings, std::filesystem::path programFolder,
                     RunUi& ui, ManagerLauncher& manager, StageTable stages, RunSafety safety)
    : state_(state),
      settings_(settings),
      programFolder_(std::move(programFolder)),
      ui_(ui),
      manager_(manager),
      stages_(std::move(stages)),
      safety_(std::move(safety)) {}

void RunDriver::ResetRunState() {
    velmora::ResetRunState(state_, settings_, programFolder_);
}

RunResult RunDriver::Start() {
    // The window keeps handling events while the manager program runs, so the
    // Start button can be pressed again inside a run.
    if (running_)
        return {RunOutcome::AlreadyRunning, "A synchronization is already under way.", {}, {}};
    RunningGuard guard(running_);
    plan_ = {};
    backupDecided_ = false;
    backup_.clear();
    RunResult result = [this] {
        try {
            return Run();
        } catch (const StoresInUse& refusal) {
            // The other run owns the log and the status: nothing is written
            // or shown here; the front end tells the person.
            return Result(RunOutcome::AlreadyRunning, refusal.what());
        } catch (const std::exception& error) {
            return StopOnError(error.what());
        }
    }();
    state_.BeforeFirstWrite = nullptr;
    state_.CardFileChanging = nullptr;
    // A backup begun by a run that stopped before its first write is
    // removed: it was never finished.
    backupUnderWay_.reset();
    return result;
}

RunResult RunDriver::Result(RunOutcome outcome, std::string message) const {
    RunResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    result.plan = plan_;
    result.backup = backup_;
    return result;
}

void RunDriver::RunStage(StageId id) {
    ui_.ShowStageText(id);
    const Stage& stage = stages_[static_cast<std::size_t>(id)];
    if (stage) stage(state_);
    ui_.ShowStageDone(id);
}

RunResult RunDriver::Run() {
    ResetRunState();
    // Before anything is shown or written: a run over the same stores in
    // another window or terminal keeps them until it ends.
    const std::unique_ptr<RunLock> lock =
        safety_.lock ? safety_.lock(state_.settings.SyncPath) : nullptr;
    ui_.ResetStageLabels();

    if (state_.settings.PMBefore) {
        ui_.SetStatusCaption(StatusCaption::WaitingForManager);
        manager_.StartAndWait(ManagerProgramPath(programFolder_));
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

    const LoadedCounts loaded = CountLoaded(state_);

    for (const StageId id : kEngineStages)
        RunStage(id);

    if (const auto overflow = CheckCapacity(state_)) return StopOnCapacity(*overflow);

    plan_ = PlanOf(state_, loaded);
    if (auto stopped = AskAboutDeletions()) return *stopped;

    state_.BeforeFirstWrite = [this](std::vector<std::string> changedCards,
                                     std::vector<std::string> createdCards) {
        BackUpBeforeWriting(std::move(changedCards), std::move(createdCards));
    };
    if (!safety_.backupsFolder.empty()) {
        state_.CardFileChanging = [this](std::string_view card) {
            if (backupDecided_) return;  // a run backs up once, before its first write
            if (!backupUnderWay_) {
                backupUnderWay_ =
                    std::make_unique<BackupUnderWay>(safety_.backupsFolder, RunBackupRequest());
            }
            backupUnderWay_->KeepCard(card);
        };
    }
    for (const StageId id : kWriteStages) {
        // The address-book writer asks for the backup itself, knowing its
        // cards; a table without one still gets the databases backed up.
        if (id != StageId::WriteOutlookContacts) BackUpBeforeWriting({}, {});
        RunStage(id);
    }
    state_.BeforeFirstWrite = nullptr;
    state_.CardFileChanging = nullptr;

    if (state_.settings.PMAfter) {
        ui_.SetStatusCaption(StatusCaption::WaitingForManager);
        manager_.StartAndWait(ManagerProgramPath(programFolder_));
    }

    const bool failedWrites = state_.FailedWrites > 0;
    ui_.SetStatusCaption(failedWrites ? StatusCaption::SyncError : StatusCaption::Complete);
    ResetRunState();
    return failedWrites ? Result(RunOutcome::CompletedWithErrors,
                                 "Some changes could not be stored. Please check the log.")
                        : Result(RunOutcome::Complete, "");
}

std::optional<RunResult> RunDriver::AskAboutDeletions() {
    for (const MassDeletion& deletion : FindMassDeletions(plan_, state_.settings)) {
        if (ui_.ConfirmMassDeletion(deletion)) continue;
        const std::string message =
            deletion.Summary() + " The synchronization was stopped before anything was written.";
        {
            ActivityLog log = ActivityLog::OpenForAppend(state_.settings.LogPath);
            log.WriteLine("Synchronization cannot continue.");
            log.WriteLine(std::string(kEventPrefix) + deletion.Summary());
            log.WriteLine(std::string(kEventPrefix) +
                          "The deletions were not confirmed, so nothing was written.");
            log.Close();
        }
        ui_.SetStatusCaption(StatusCaption::Stopped);
        ResetRunState();
        return Result(RunOutcome::DeletionsRefused, message);
    }
    return std::nullopt;
}

BackupRequest RunDriver::RunBackupRequest() const {
    const Settings& settings = state_.settings;
    return {.before = "the synchronization",
            .phoneBook = settings.PhoneBookPath,
            .sync = settings.SyncPath,
            .contacts = settings.ContactsPath,
            .log = settings.LogPath,
            .changedCards = {},
            .createdCards = {},
            .counts = CountsText(plan_.loaded),
            .plan = PlanText(plan_)};
}

void RunDriver::BackUpBeforeWriting(std::vector<std::string> changedCards,
                                    std::vector<std::string> createdCards) {
    if (backupDecided_) return;
    backupDecided_ = true;
    // Gone when this returns: what it kept for a run that writes nothing is
    // removed with it.
    std::unique_ptr<BackupUnderWay> backup = std::move(backupUnderWay_);
    if (safety_.backupsFolder.empty()) return;
    if (changedCards.empty() && createdCards.empty() && plan_.DatabasesUnchanged()) return;
    try {
        if (!backup) {
            backup = std::make_unique<BackupUnderWay>(safety_.backupsFolder, RunBackupRequest());
        }
        backup_ = backup->Finish(std::move(changedCards), std::move(createdCards));
        std::vector<std::string> retired =
            RetireOldBackups(safety_.backupsFolder, state_.settings.KeepBackups);
        // Their files go beside the writes, not before them (RetiredBackups.h).
        retiredRemoval_.reset();
        retiredRemoval_ =
            std::make_unique<RetiredBackupsRemoval>(safety_.backupsFolder, std::move(retired));
    } catch (const Error& error) {
        throw Error("The stores could not be backed up, so nothing was written. " +
                    std::string(error.what()));
    }
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
    return Result(RunOutcome::CapacityExceeded, message);
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
    return Result(RunOutcome::Failed, text);
}

}  // namespace velmora
