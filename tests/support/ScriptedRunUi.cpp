#include "support/ScriptedRunUi.h"

namespace velmora::test {

void ScriptedRunUi::SetStatusCaption(std::string_view text) {
    caption = text;
    events.push_back("caption: " + caption);
}

void ScriptedRunUi::ResetStageLabels() {
    events.emplace_back("reset labels");
}

void ScriptedRunUi::ShowStageText(StageId stage) {
    events.push_back("text: " + std::string(LabelsOf(stage).textLabel));
}

void ScriptedRunUi::ShowStageDone(StageId stage) {
    events.push_back("done: " + std::string(LabelsOf(stage).doneLabel));
}

void ScriptedRunUi::ShowMessage(std::string_view text) {
    messages.emplace_back(text);
    events.push_back("message: " + std::string(text));
}

std::optional<ConflictChoice> ScriptedRunUi::ShowConflictDialog(const SyncObject& outlook,
                                                                const SyncObject& phoneBook) {
    events.push_back("conflict: " + outlook.ContactName + " / " + phoneBook.ContactName);
    if (conflictPolicy) return conflictPolicy(outlook, phoneBook);
    return std::nullopt;
}

std::optional<NameValues> ScriptedRunUi::ShowNamePrompt(std::string_view /*contactName*/,
                                                        const NameValues& proposed,
                                                        std::string_view nameField) {
    events.push_back("names: " + proposed.FirstName + "|" + proposed.LastName + "|" +
                     proposed.FullName + "|" + proposed.FileAs);
    if (!nameAnswers.empty()) {
        auto answer = nameAnswers.front();
        nameAnswers.pop_front();
        return answer;
    }
    if (namePolicy) return namePolicy(proposed, nameField);
    return std::nullopt;
}

ScriptedRunUi::ConflictPolicy ScriptedRunUi::Keep(ConflictSide side) {
    return [side](const SyncObject& outlook, const SyncObject& phoneBook) {
        return std::optional<ConflictChoice>(
            ConflictChoice{side, side == ConflictSide::Outlook ? outlook : phoneBook});
    };
}

ScriptedRunUi::NamePolicy ScriptedRunUi::AcceptProposed() {
    return [](const NameValues& proposed, std::string_view) {
        return std::optional<NameValues>(proposed);
    };
}

}  // namespace velmora::test
