#pragma once

#include "run/RunUi.h"

class QWidget;

namespace velmora::gui {

class DialogHost;
class StatusFrame;

// How a run shows itself in the main window: the status frame, message boxes,
// and the conflict dialog and name prompt shown modally over the window.
class WidgetRunUi final : public RunUi {
  public:
    WidgetRunUi(QWidget& owner, StatusFrame& status, DialogHost& dialogs)
        : owner_(owner), status_(status), dialogs_(dialogs) {}

    void SetStatusCaption(std::string_view caption) override;
    void ResetStageLabels() override;
    void ShowStageText(StageId stage) override;
    void ShowStageDone(StageId stage) override;
    void ShowMessage(std::string_view text) override;
    std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                     const SyncObject& phoneBook) override;
    // The dialog identifies the contact by the proposed names it shows.
    std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                             const NameValues& proposed,
                                             std::string_view nameField) override;

    // A message box naming the side and the count, with Continue and Stop.
    bool ConfirmMassDeletion(const MassDeletion& deletion) override;

    // Handles the window's pending events. When the person closed the program
    // meanwhile, throws Error so the run stops here instead of going on unseen.
    void ProcessPendingEvents() override;

    // The person closed the program while a run waits: no more message boxes,
    // and the run stops at its next look at the events.
    void RequestQuit() { quitRequested_ = true; }

  private:
    QWidget& owner_;
    StatusFrame& status_;
    DialogHost& dialogs_;
    bool quitRequested_ = false;
};

}  // namespace velmora::gui
