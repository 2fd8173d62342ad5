#pragma once

#include <ostream>
#include <string>

#include "cli/CommandLine.h"
#include "cli/LineReader.h"
#include "run/RunUi.h"

namespace velmora::cli {

// A run shown in a terminal: one line per status caption and per stage as it
// starts, message-box texts as lines (on standard error once the run has
// failed), and the two dialogs as questions, or answered by the chosen mode.
class TerminalRunUi final : public RunUi {
  public:
    // `reader` is null when nobody is at a terminal to answer.
    TerminalRunUi(std::ostream& out, std::ostream& err, LineReader* reader, ConflictMode conflicts,
                  NameMode names, bool allowMassDelete = false);

    void SetStatusCaption(std::string_view caption) override;
    void ResetStageLabels() override {}
    void ShowStageText(StageId stage) override;
    void ShowStageDone(StageId) override {}
    void ShowMessage(std::string_view text) override;
    std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                     const SyncObject& phoneBook) override;
    std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                             const NameValues& proposed,
                                             std::string_view nameField) override;
    // Goes on when allowed by the option, asks at a terminal, stops otherwise.
    bool ConfirmMassDeletion(const MassDeletion& deletion) override;
    void ProcessPendingEvents() override {}

    // A yes-or-no question at the terminal (Enter and the end of input: no).
    static bool AskYes(std::ostream& err, LineReader& reader, std::string_view prompt);

  private:
    std::optional<NameValues> AskNames(std::string_view contactName, const NameValues& proposed,
                                       std::string_view nameField);

    std::ostream& out_;
    std::ostream& err_;
    LineReader* reader_;
    ConflictMode conflicts_;
    NameMode names_;
    bool allowMassDelete_;
    std::string caption_;
};

}  // namespace velmora::cli
