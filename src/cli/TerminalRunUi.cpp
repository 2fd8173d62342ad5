#include "cli/TerminalRunUi.h"

#include <array>

#include "cli/ConflictTable.h"
#include "engine/NamePrompt.h"
#include "model/Error.h"

namespace velmora::cli {

TerminalRunUi::TerminalRunUi(std::ostream& out, std::ostream& err, LineReader* reader,
                             ConflictMode conflicts, NameMode names, bool allowMassDelete)
    : out_(out),
      err_(err),
      reader_(reader),
      conflicts_(conflicts),
      names_(names),
      allowMassDelete_(allowMassDelete) {}

void TerminalRunUi::SetStatusCaption(std::string_view caption) {
    caption_ = caption;
    out_ << caption << std::endl;
}

void TerminalRunUi::ShowStageText(StageId stage) {
    out_ << "  " << StageCaption(stage) << std::endl;
}

void TerminalRunUi::ShowMessage(std::string_view text) {
    // The run shows its error caption before the message of a stop.
    std::ostream& stream =
        caption_ == StatusCaption::SyncError || caption_ == StatusCaption::Stopped ? err_ : out_;
    stream << text << std::endl;
}

std::optional<ConflictChoice> TerminalRunUi::ShowConflictDialog(const SyncObject& outlook,
                                                                const SyncObject& phoneBook) {
    switch (conflicts_) {
        case ConflictMode::KeepOutlook:
            out_ << "  Conflict for " << outlook.ContactName << ": keeping the Outlook data."
                 << std::endl;
            return ConflictChoice{ConflictSide::Outlook, outlook};
        case ConflictMode::KeepPhoneBook:
            out_ << "  Conflict for " << phoneBook.ContactName << ": keeping the PhoneBook data."
                 << std::endl;
            return ConflictChoice{ConflictSide::PhoneBook, phoneBook};
        case ConflictMode::Ask:
            break;
    }
    if (reader_ == nullptr) {
        // Conflicts are settled before anything is written, so stopping here
        // leaves every store as it was.
        throw Error(outlook.ContactName +
                    " was changed differently on both sides and nobody is at a terminal to "
                    "choose; run again from a terminal, or with --conflicts=outlook or "
                    "--conflicts=phonebook.");
    }
    out_ << "\nConflict: " << outlook.ContactName << " was changed differently on both sides.\n\n"
         << RenderConflictTable(outlook, phoneBook) << std::endl;
    for (;;) {
        const auto answer = reader_->ReadLine(
            "Keep which data? o = Outlook, p = PhoneBook, Enter = decide next time: ", "");
        if (!answer || answer->empty()) return std::nullopt;
        if (*answer == "o" || *answer == "O") return ConflictChoice{ConflictSide::Outlook, outlook};
        if (*answer == "p" || *answer == "P") {
            return ConflictChoice{ConflictSide::PhoneBook, phoneBook};
        }
        err_ << "Please answer o, p, or press Enter." << std::endl;
    }
}

bool TerminalRunUi::ConfirmMassDeletion(const MassDeletion& deletion) {
    if (allowMassDelete_) {
        out_ << "  " << deletion.Summary() << " Going on: --allow-mass-delete was given."
             << std::endl;
        return true;
    }
    if (reader_ == nullptr) {
        err_ << "Nobody is at a terminal to confirm the deletions; run again from a terminal, or "
                "with --allow-mass-delete to allow them."
             << std::endl;
        return false;
    }
    out_ << "\n" << deletion.Question() << "\n" << std::flush;
    return AskYes(err_, *reader_, "Continue and delete them? (y = continue, n = stop): ");
}

bool TerminalRunUi::AskYes(std::ostream& err, LineReader& reader, std::string_view prompt) {
    for (;;) {
        const auto answer = reader.ReadLine(prompt, "");
        if (!answer || answer->empty() || *answer == "n" || *answer == "N") return false;
        if (*answer == "y" || *answer == "Y") return true;
        err << "Please answer y or n." << std::endl;
    }
}

std::optional<NameValues> TerminalRunUi::ShowNamePrompt(std::string_view contactName,
                                                        const NameValues& proposed,
                                                        std::string_view nameField) {
    if (names_ == NameMode::Ask && reader_ != nullptr) {
        return AskNames(contactName, proposed, nameField);
    }
    NameValues accepted = proposed;
    if (accepted.FileAs.empty()) accepted.FileAs = contactName;
    return accepted;
}

std::optional<NameValues> TerminalRunUi::AskNames(std::string_view contactName,
                                                  const NameValues& proposed,
                                                  std::string_view nameField) {
    out_ << "\nThe name for " << contactName
         << " appears to have changed. Please confirm the new values (edit them, or press "
            "Enter to keep what is shown).\n"
         << std::flush;
    NameValues values = proposed;
    const std::array<std::pair<const char*, std::string NameValues::*>, 4> boxes{{
        {"New First Name: ", &NameValues::FirstName},
        {"New Last Name: ", &NameValues::LastName},
        {"New Full Name: ", &NameValues::FullName},
        {"New File As: ", &NameValues::FileAs},
    }};
    for (;;) {
        for (const auto& [prompt, field] : boxes) {
            auto answer = reader_->ReadLine(prompt, values.*field);
            if (!answer) return std::nullopt;
            values.*field = std::move(*answer);
        }
        const auto refusal = NameOK(values, nameField);
        if (!refusal) return values;
        err_ << *refusal << std::endl;
    }
}

}  // namespace velmora::cli
