#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/RunUi.h"

namespace velmora::test {

// Records what is shown as lines ("conflict: Ann / Ann", "names: f|l|full|file as")
// and answers from scripts; a conflict dialog is closed without a choice by default.
class ScriptedRunUi : public RunUi {
  public:
    using ConflictPolicy = std::function<std::optional<ConflictChoice>(
        const SyncObject& outlook, const SyncObject& phoneBook)>;
    using NamePolicy = std::function<std::optional<NameValues>(const NameValues& proposed,
                                                               std::string_view field)>;

    void SetStatusCaption(std::string_view caption) override { Show("caption: ", caption); }
    void ResetStageLabels() override { events.emplace_back("reset labels"); }
    void ShowStageText(StageId stage) override { Show("text: ", StageCaption(stage)); }
    void ShowStageDone(StageId stage) override { Show("done: ", StageCaption(stage)); }
    void ShowMessage(std::string_view text) override {
        messages.emplace_back(text);
        Show("message: ", text);
    }
    std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                     const SyncObject& phoneBook) override;
    std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                             const NameValues& proposed,
                                             std::string_view nameField) override;
    bool ConfirmMassDeletion(const MassDeletion& deletion) override {
        Show("mass deletion: ", deletion.Summary());
        return continueMassDeletions;
    }
    void ProcessPendingEvents() override { ++pendingEventCalls; }

    static ConflictPolicy Keep(ConflictSide side);

    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::deque<std::optional<NameValues>> nameAnswers;
    ConflictPolicy conflictPolicy;
    NamePolicy namePolicy = [](const NameValues& proposed, std::string_view) {
        return std::optional(proposed);
    };
    bool continueMassDeletions = true;
    int pendingEventCalls = 0;

  private:
    void Show(std::string_view what, std::string_view text) {
        events.push_back(std::string(what) + std::string(text));
    }
};

}  // namespace velmora::test
