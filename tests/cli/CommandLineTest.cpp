#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace velmora::cli {
namespace {

Command Parse(std::vector<std::string> args, bool terminal = true) {
    return ParseCommandLine(args, terminal);
}

std::string UsageMessage(const Command& command) {
    const auto* error = std::get_if<UsageError>(&command);
    return error != nullptr ? error->message : "(no usage error)";
}

// Sync options in both spellings, and the defaults with and without a terminal.
TEST(CommandLine, SyncOptionsAndDefaults) {
    auto sync = std::get<SyncCommand>(Parse({"sync"}));
    EXPECT_EQ(sync.conflicts, ConflictMode::Ask);
    EXPECT_EQ(sync.names, NameMode::Ask);

    sync = std::get<SyncCommand>(Parse({"sync"}, false));
    EXPECT_EQ(sync.conflicts, ConflictMode::Ask);
    EXPECT_EQ(sync.names, NameMode::Accept);

    sync = std::get<SyncCommand>(Parse({"sync", "--conflicts=outlook", "--names", "accept"}));
    EXPECT_EQ(sync.conflicts, ConflictMode::KeepOutlook);
    EXPECT_EQ(sync.names, NameMode::Accept);
    sync = std::get<SyncCommand>(Parse({"sync", "--conflicts", "phonebook"}, false));
    EXPECT_EQ(sync.conflicts, ConflictMode::KeepPhoneBook);
}

// Without a terminal nobody can answer name questions: --names=ask is refused
// before the run, naming the option and its other value.
TEST(CommandLine, NamesAskNeedsATerminal) {
    const std::string message = UsageMessage(Parse({"sync", "--names=ask"}, false));
    EXPECT_NE(message.find("--names=ask"), std::string::npos) << message;
    EXPECT_NE(message.find("--names=accept"), std::string::npos) << message;
    EXPECT_TRUE(std::holds_alternative<SyncCommand>(Parse({"sync", "--names=ask"}, true)));
}

// Mistakes are one sentence that names what was not understood.
TEST(CommandLine, UsageErrorsNameTheMistake) {
    EXPECT_NE(UsageMessage(Parse({})).find("No command"), std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"synch"})).find("'synch'"), std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"sync", "--conflict=ask"})).find("'--conflict=ask'"),
              std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"sync", "--conflicts=maybe"})).find("'maybe'"),
              std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"sync", "--conflicts"})).find("--conflicts takes"),
              std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"report", "now"})).find("'now'"), std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"demo", "--contacts=0"})).find("--contacts"), std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"demo", "--contacts", "many"})).find("'many'"),
              std::string::npos);
    EXPECT_NE(UsageMessage(Parse({"demo", "--seed=-1"})).find("--seed"), std::string::npos);
}

// The other commands.
TEST(CommandLine, OtherCommands) {
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(Parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<VersionCommand>(Parse({"--version"})));
    EXPECT_TRUE(std::holds_alternative<ReportCommand>(Parse({"report"})));
    const auto demo = std::get<DemoCommand>(Parse({"demo", "--contacts", "12", "--seed=7"}));
    EXPECT_EQ(demo.contacts, 12);
    EXPECT_EQ(demo.seed, 7u);
}

}  // namespace
}  // namespace velmora::cli
