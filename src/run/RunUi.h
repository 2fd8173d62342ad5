#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/NumberKinds.h"
#include "model/SyncObject.h"
#include "run/RunPlan.h"

namespace velmora {

// The thirteen stages of a run, in run order.
enum class StageId {
    LoadOutlookContacts,
    LoadPhoneBookRecords,
    LoadSyncRecords,
    AssignContactIDs,
    FlagDeletedItems,
    FlagNewItems,
    AssignSpeedDials,
    FlagModifiedItems,
    SyncModifiedItems,
    SyncNewItems,
    WriteOutlookContacts,
    WritePhoneBookDatabase,
    WriteSyncDatabase,
};
inline constexpr std::size_t kStageCount = 13;

// What the status frame shows while each stage runs, in run order, and once it is done.
inline constexpr std::array<std::string_view, kStageCount> kStageCaptions{
    "Loading Outlook contacts . . .",
    "Loading PhoneBook records . . .",
    "Loading records from previous sync . . .",
    "Verifying that each Outlook contact has a contact ID . . .",
    "Flagging deleted items . . .",
    "Flagging new items . . .",
    "Verifying that each phone number has a speed dial . . .",
    "Flagging modified items . . .",
    "Synchronizing modified items . . .",
    "Synchronizing new items . . .",
    "Writing changes to Outlook . . .",
    "Writing changes to PhoneBook . . .",
    "Writing changes to Sync database . . .",
};
inline constexpr std::string_view kDoneCaption = "Done.";

constexpr std::string_view StageCaption(StageId id) {
    return kStageCaptions[static_cast<std::size_t>(id)];
}

// Captions of the status frame.
namespace StatusCaption {
inline constexpr std::string_view Idle = "Status: Idle";
inline constexpr std::string_view WaitingForManager = "Status: Waiting for PhoneBook Manager . . .";
inline constexpr std::string_view InProgress = "Status: Synchronization in progress . . .";
inline constexpr std::string_view Complete = "Status: Synchronization complete.";
inline constexpr std::string_view SyncError =
    "Status: Synchronization error. Please check the log.";
inline constexpr std::string_view CreatingReport = "Status: Creating Inclusion Report . . .";
inline constexpr std::string_view Stopped = "Status: Synchronization stopped. Nothing was written.";
inline constexpr std::string_view Previewing = "Status: Preparing the preview . . .";
inline constexpr std::string_view Restoring = "Status: Restoring a backup . . .";
}  // namespace StatusCaption

// The four names of the name prompt.
struct NameValues {
    std::string FirstName;
    std::string LastName;
    std::string FullName;
    std::string FileAs;

    bool operator==(const NameValues&) const = default;
};

enum class ConflictSide { Outlook, PhoneBook };

// The row captions of the conflict dialog.
inline constexpr std::string_view kConflictNameLabel = "Name ..................";
inline constexpr std::string_view kConflictSpeedDialLabel = "Speed Dial";
inline constexpr PerKind<std::string_view> kConflictKindLabels{
    "Work 2 ................",  "Direct Connect ....",       "Home ..................",
    "Work 1 ................",  "Mobile .................",  "Fax ......................",
    "Pager ..................", "Other ...................", "Email ..................."};

constexpr std::string_view ConflictLabel(NumberKind kind) {
    return EntryOf(kConflictKindLabels, kind);
}

// The person's choice in the conflict dialog: the side kept and the name,
// numbers and speed dials of that column as they stood when the button was
// pressed (the person may have edited them). ContactID and Flag are unused.
struct ConflictChoice {
    ConflictSide side = ConflictSide::Outlook;
    SyncObject values;
};

// How a run shows itself to the person. The window implements it with
// widgets, the terminal program with lines of text, tests with a script.
class RunUi {
  public:
    virtual ~RunUi() = default;

    virtual void SetStatusCaption(std::string_view caption) = 0;
    virtual void ResetStageLabels() = 0;  // hides all 26 labels
    virtual void ShowStageText(StageId stage) = 0;
    virtual void ShowStageDone(StageId stage) = 0;

    // A message box with only an OK button and the program's title as caption.
    virtual void ShowMessage(std::string_view text) = 0;

    // The conflict dialog over the two records; nullopt when it was closed
    // without a choice.
    virtual std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                             const SyncObject& phoneBook) = 0;

    // The name prompt for the contact named `contactName`, filled with proposed
    // values; nullopt when it was closed without OK. Only values that passed
    // the prompt's own check come back.
    virtual std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                                     const NameValues& proposed,
                                                     std::string_view nameField) = 0;

    // Asked before writing when the run would delete much of one side (see
    // FindMassDeletions): true to continue, false to stop with nothing written.
    virtual bool ConfirmMassDeletion(const MassDeletion& deletion) = 0;

    // Lets the window handle what is pending (used while waiting for a program).
    virtual void ProcessPendingEvents() = 0;
};

}  // namespace velmora
