#include "support/ScriptedRunUi.h"

namespace velmora::test {

std::optional<ConflictChoice> ScriptedRunUi::ShowConflictDialog(const SyncObject& outlook,
                                                                const SyncObject& phoneBook) {
    events.push_back("conflict: " + outlook.ContactName + " / " + phoneBook.ContactName);
    return conflictPolicy ? conflictPolicy(outlook, phoneBook) : std::nullopt;
}

std::optional<NameValues> ScriptedRunUi::ShowNamePrompt(std::string_view /*contactName*/,
                                                        const NameValues& proposed,
                                                        std::string_view nameField) {
    events.push_back("names: " + proposed.FirstName + "|" + proposed.LastName + "|" +
                     proposed.FullName + "|" + proposed.FileAs);
    if (nameAnswers.empty()) return namePolicy(proposed, nameField);
    auto answer = nameAnswers.front();
    nameAnswers.pop_front();
    return answer;
}

ScriptedRunUi::ConflictPolicy ScriptedRunUi::Keep(ConflictSide side) {
    return [side](const SyncObject& outlook, const SyncObject& phoneBook) {
        return std::optional<ConflictChoice>(
            ConflictChoice{side, side == ConflictSide::Outlook ? outlook : phoneBook});
    };
}

}  // namespace velmora::test
