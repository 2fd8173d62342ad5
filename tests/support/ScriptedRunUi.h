#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/RunUi.h"

namespace velmora::test {

// A RunUi for tests: it records everything shown as lines of text
// ("caption: ...", "text: LoadingOutlook", "done: LoadingOutlookDone",
// "message: ...", "conflict: <outlook name> / <phone book name>",
// "names: <first>|<last>|<full>|<file as>") and answers the dialogs from
// a queue of scripted names, or from a policy (a conflict dialog is closed
// without a choice when no policy is set).
class ScriptedRunUi : public RunUi {
  public:
    using ConflictPolicy = std::function<std::optional<ConflictChoice>(
        const SyncObject& outlook, const SyncObject& phoneBook)>;
    using NamePolicy = std::function<std::optional<NameValues>(const NameValues& proposed,
                                                               std::string_view field)>;

    void SetStatusCaption(std::string_view caption) override;
    void ResetStageLabels() override;
    void ShowStageText(StageId stage) override;
    void ShowStageDone(StageId stage) override;
    void ShowMessage(std::string_view text) override;
    std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                     const SyncObject& phoneBook) override;
    std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                             const NameValues& proposed,
                                             std::string_view nameField) override;
    void ProcessPendingEvents() override { ++pendingEventCalls; }

    // Keeps the given side's values as shown.
    static ConflictPolicy Keep(ConflictSide side);
    // Accepts the proposed names.
    static NamePolicy AcceptProposed();

    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::string caption;
    std::deque<std::optional<NameValues>> nameAnswers;
    ConflictPolicy conflictPolicy;
    NamePolicy namePolicy = AcceptProposed();
    int pendingEventCalls = 0;
};

}  // namespace velmora::test
