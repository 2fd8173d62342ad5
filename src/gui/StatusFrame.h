#pragma once

#include <QGroupBox>
#include <array>
#include <string_view>

#include "run/RunUi.h"

class QLabel;

namespace velmora::gui {

// The object names of a stage's two labels in the status frame.
struct StageLabels {
    StageId id;
    std::string_view textLabel;  // its caption
    std::string_view doneLabel;  // "Done."
};

inline constexpr std::array<StageLabels, kStageCount> kStageLabels{{
    {StageId::LoadOutlookContacts, "LoadingOutlook", "LoadingOutlookDone"},
    {StageId::LoadPhoneBookRecords, "LoadingPhoneBook", "LoadingPhoneBookDone"},
    {StageId::LoadSyncRecords, "LoadingSync", "LoadingSyncDone"},
    {StageId::AssignContactIDs, "AssignIDs", "AssignIDsDone"},
    {StageId::FlagDeletedItems, "FlaggingDeleted", "FlaggingDeletedDone"},
    {StageId::FlagNewItems, "FlaggingNew", "FlaggingNewDone"},
    {StageId::AssignSpeedDials, "AssignSpeeds", "AssignSpeedsDone"},
    {StageId::FlagModifiedItems, "FlaggingModified", "FlaggingModifiedDone"},
    {StageId::SyncModifiedItems, "SyncingModified", "SyncingModifiedDone"},
    {StageId::SyncNewItems, "SyncingNew", "SyncingNewDone"},
    {StageId::WriteOutlookContacts, "WritingOutlook", "WritingOutlookDone"},
    {StageId::WritePhoneBookDatabase, "WritingPhoneBook", "WritingPhoneBookDone"},
    {StageId::WriteSyncDatabase, "WritingSync", "WritingSyncDone"},
}};

// The frame "Status" of the main window: its title is the status line, and it
// holds a row per stage, the stage's text at the left and "Done." to its right.
// Hidden labels keep their room, so the window does not change size during a run.
class StatusFrame final : public QGroupBox {
    Q_OBJECT

  public:
    explicit StatusFrame(QWidget* parent = nullptr);

    // Each change is painted at once: a run keeps the window's thread busy.
    void SetCaption(std::string_view caption);
    void ResetStageLabels();
    void ShowStageText(StageId stage);
    void ShowStageDone(StageId stage);

  private:
    static void ShowNow(QLabel& label);

    std::array<QLabel*, kStageCount> text_{};
    std::array<QLabel*, kStageCount> done_{};
};

}  // namespace velmora::gui
