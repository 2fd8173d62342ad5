#include "gui/WidgetRunUi.h"

#include <QCoreApplication>

#include "gui/DialogHost.h"
#include "gui/NamePrompt.h"
#include "gui/StatusFrame.h"
#include "gui/VelmoraConflict.h"
#include "model/Error.h"
#include "platform/QtText.h"

namespace velmora::gui {

void WidgetRunUi::SetStatusCaption(std::string_view caption) {
    status_.SetCaption(caption);
}

void WidgetRunUi::ResetStageLabels() {
    status_.ResetStageLabels();
}

void WidgetRunUi::ShowStageText(StageId stage) {
    status_.ShowStageText(stage);
}

void WidgetRunUi::ShowStageDone(StageId stage) {
    status_.ShowStageDone(stage);
}

void WidgetRunUi::ShowMessage(std::string_view text) {
    if (quitRequested_) return;
    dialogs_.ShowMessage(&owner_, ToQString(text));
}

std::optional<ConflictChoice> WidgetRunUi::ShowConflictDialog(const SyncObject& outlook,
                                                              const SyncObject& phoneBook) {
    VelmoraConflict dialog(outlook, phoneBook, &owner_);
    if (dialogs_.ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

std::optional<NameValues> WidgetRunUi::ShowNamePrompt(std::string_view /*contactName*/,
                                                      const NameValues& proposed,
                                                      std::string_view nameField) {
    NamePrompt prompt(proposed, std::string(nameField), dialogs_, &owner_);
    if (dialogs_.ExecModal(prompt) != QDialog::Accepted) return std::nullopt;
    return prompt.Confirmed();
}

bool WidgetRunUi::ConfirmMassDeletion(const MassDeletion& deletion) {
    // Nobody is left to ask once the program is closing: write nothing.
    if (quitRequested_) return false;
    return Ask(dialogs_, &owner_, ToQString(deletion.Question()), QStringLiteral("Continue"),
               QStringLiteral("Stop"));
}

void WidgetRunUi::ProcessPendingEvents() {
    QCoreApplication::processEvents();
    if (quitRequested_) throw Error("The program was closed while the synchronization waited.");
}

}  // namespace velmora::gui
