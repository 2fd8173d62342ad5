#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/RunUi.h"

namespace velmora::test {

// A RunUi for tests: it records everything shown as lines of text
// ("caption: ...", "reset labels", "text: <stage caption>", "done: <stage
// caption>", "message: ...", "conflict: <outlook name> / <phone
// book name>", "names: <first>|<last>|<full>|<file as>", "mass deletion:
// <summary>") and answers the dialogs from a queue of scripted names, or from
// a policy (by default the proposed names are accepted, a conflict dialog is
// closed without a choice, and a run that would delete much goes on).
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

    // Keeps the given side's values as shown.
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
