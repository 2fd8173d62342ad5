#include <sstream>

#include <gmock/gmock.h>

#include "cli/ConflictTable.h"
#include "cli/TerminalRunUi.h"
#include "model/Error.h"

namespace velmora::cli {
namespace {

// Answers from a script, then ends the input; records each prompt.
struct ScriptedReader : LineReader {
    std::optional<std::string> ReadLine(std::string_view prompt,
                                        std::string_view initial) override {
        prompts.push_back(std::string(prompt) + "[" + std::string(initial) + "]");
        return next < answers.size() ? std::optional(answers[next++]) : std::nullopt;
    }
    std::vector<std::string> answers;
    std::size_t next = 0;
    std::vector<std::string> prompts;
};

SyncObject Contact(const char* name, const char* mobile, const char* speed) {
    SyncObject r;
    r.ContactName = name;
    r.SetNumber(NumberKind::Mobile, mobile);
    r.SetSpeed(NumberKind::Mobile, speed);
    return r;
}

class TerminalRunUiTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    const SyncObject outlook = Contact("Zoë Smith", "5551234567", "3");
    const SyncObject phoneBook = Contact("Ann Smyth", "5559876543", "4");
};

// Conflicts are kept by mode or asked; with nobody to ask the run stops.
TEST_F(TerminalRunUiTest, SettlesConflictsByModeOrQuestion) {
    TerminalRunUi keepPhoneBook(out, err, nullptr, ConflictMode::KeepPhoneBook, NameMode::Accept);
    auto choice = keepPhoneBook.ShowConflictDialog(outlook, phoneBook).value();
    EXPECT_EQ(choice.side, ConflictSide::PhoneBook);
    EXPECT_EQ(choice.values.Number(NumberKind::Mobile), "5559876543");

    ScriptedReader reader;
    reader.answers = {"x", "o", ""};
    TerminalRunUi asking(out, err, &reader, ConflictMode::Ask, NameMode::Accept);
    choice = asking.ShowConflictDialog(outlook, phoneBook).value();
    EXPECT_EQ(choice.side, ConflictSide::Outlook);
    EXPECT_EQ(choice.values.ContactName, "Zoë Smith");
    EXPECT_EQ(asking.ShowConflictDialog(outlook, phoneBook), std::nullopt);  // Enter
    EXPECT_EQ(asking.ShowConflictDialog(outlook, phoneBook), std::nullopt);  // end of input
    EXPECT_NE(err.str().find("Please answer"), std::string::npos);
    TerminalRunUi unattended(out, err, nullptr, ConflictMode::Ask, NameMode::Accept);
    EXPECT_THAT([&] { unattended.ShowConflictDialog(outlook, phoneBook); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr("--conflicts=outlook")));

    const std::string table = RenderConflictTable(outlook, phoneBook);
    EXPECT_NE(table.find("Name .............  Zoë Smith"), std::string::npos) << table;
    EXPECT_NE(table.find("Mobile ...........  5551234567  3"), std::string::npos) << table;
}

// Names are accepted as proposed, or asked until they pass the check.
TEST_F(TerminalRunUiTest, ConfirmsNames) {
    TerminalRunUi accepting(out, err, nullptr, ConflictMode::Ask, NameMode::Ask);
    EXPECT_EQ(accepting.ShowNamePrompt("Ann Smith", {"", "", "Ann Smith", ""}, "Full Name"),
              (NameValues{"", "", "Ann Smith", "Ann Smith"}));

    ScriptedReader reader;
    reader.answers = {"Ann", "Smith", "",          "Smith, Ann",  // refused: no full name
                      "Ann", "Smith", "Ann Smith", "Smith, Ann"};
    TerminalRunUi asking(out, err, &reader, ConflictMode::Ask, NameMode::Ask);
    EXPECT_EQ(asking.ShowNamePrompt("Ann Smith", {"", "", "Ann Smith", ""}, "Full Name"),
              (NameValues{"Ann", "Smith", "Ann Smith", "Smith, Ann"}));
    EXPECT_EQ(reader.prompts[2], "New Full Name: [Ann Smith]");
    EXPECT_NE(err.str().find("'New Full Name' fields must each have a value."), std::string::npos);
    EXPECT_EQ(asking.ShowNamePrompt("Ann", {}, "File As"), std::nullopt);  // end of input
}

// A mass deletion: allowed by the option, refused without a terminal, or asked.
TEST_F(TerminalRunUiTest, ConfirmsMassDeletions) {
    const MassDeletion deletion{DeletionSide::Outlook, 9, 10, false};
    EXPECT_TRUE(TerminalRunUi(out, err, nullptr, ConflictMode::Ask, NameMode::Accept, true)
                    .ConfirmMassDeletion(deletion));
    EXPECT_FALSE(TerminalRunUi(out, err, nullptr, ConflictMode::Ask, NameMode::Accept)
                     .ConfirmMassDeletion(deletion));
    EXPECT_NE(err.str().find("--allow-mass-delete"), std::string::npos);

    ScriptedReader reader;
    reader.answers = {"maybe", "y", ""};
    TerminalRunUi asking(out, err, &reader, ConflictMode::Ask, NameMode::Accept);
    EXPECT_TRUE(asking.ConfirmMassDeletion(deletion));
    EXPECT_FALSE(asking.ConfirmMassDeletion(deletion));
    EXPECT_NE(out.str().find("This run would delete 9 of 10 contacts from Outlook."),
              std::string::npos);
    EXPECT_NE(err.str().find("Please answer y or n."), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
