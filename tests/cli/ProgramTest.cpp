#include <csignal>
#include <cstdlib>

#include <gmock/gmock.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/StoreLock.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

// "<exit code>|<standard output>|<standard error>" of a run in `home`, not at a terminal.
std::string RunProgram(const test::TempDir& home, const std::vector<std::string>& args) {
    std::string command = "XDG_CONFIG_HOME='" + (home / "config").string() + "' XDG_DATA_HOME='" +
                          (home / "data").string() + "' HOME='" + home.Path().string() + "' '" +
                          VELMORA_SYNC_PROGRAM + "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " </dev/null >'" + (home / "out.txt").string() + "' 2>'" +
               (home / "err.txt").string() + "'";
    const int status = std::system(command.c_str());
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "|" +
           test::ReadFileBytes(home / "out.txt") + "|" + test::ReadFileBytes(home / "err.txt");
}

// "<exit code>|<what the terminal showed>", typing the next answer at each `prompt`.
std::string RunAtTerminal(const test::TempDir& home, const std::vector<std::string>& args,
                          const std::string& prompt, std::vector<std::string> answers) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("HOME", home.Path().c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(VELMORA_SYNC_PROGRAM)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(VELMORA_SYNC_PROGRAM, argv.data());
        _exit(127);
    }
    std::string shown;
    std::size_t answered = 0;
    char buffer[4096];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
        // Only a prompt shown after the last answer asks for the next one.
        const std::size_t at = shown.find(prompt, answered);
        if (at != std::string::npos && !answers.empty()) {
            const std::string line = answers.front() + "\r";
            answers.erase(answers.begin());
            if (write(terminal, line.data(), line.size()) < 0) break;
            answered = at + prompt.size();
        }
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "|" + shown;
}

// Exit code 2 and one sentence for a usage error, 1 and the reason for a stopped run.
TEST(VelmoraSync, CommandLineContract) {
    test::TempDir home;
    EXPECT_EQ(RunProgram(home, {"--version"}), "0|Velmora " VELMORA_PROJECT_VERSION "\n|");
    EXPECT_THAT(RunProgram(home, {"--help"}),
                AllOf(StartsWith("0|"), HasSubstr("--conflicts=ask|outlook|phonebook")));
    EXPECT_THAT(RunProgram(home, {}), MatchesRegex("2\\|\\|velmora-sync: [^\n]*\n"));
    EXPECT_THAT(RunProgram(home, {"sync", "--names=ask"}),
                MatchesRegex("2\\|\\|velmora-sync: [^\n]*--names=accept[^\n]*\n"));
    EXPECT_THAT(RunProgram(home, {"sync"}),
                AllOf(StartsWith("1|"),
                      HasSubstr((home / "data" / "Velmora" / "Data" / "Contacts").string())));
}

// A mass deletion is refused, asked and previewed; its backup then puts it back.
TEST(VelmoraSync, MassDeletionIsAskedAndABackupPutsItBack) {
    test::TempDir home;
    const auto data = home / "data" / "Velmora" / "Data";
    const auto phoneBook = data / "PhoneBook.db";
    ASSERT_THAT(RunProgram(home, {"demo", "--contacts", "12", "--seed", "2"}), StartsWith("0|"));
    ASSERT_THAT(RunProgram(home, {"sync"}), StartsWith("0|"));
    std::filesystem::rename(data / "Contacts", home / "moved");
    std::filesystem::create_directories(data / "Contacts");
    const std::string before = test::ReadFileBytes(phoneBook);

    EXPECT_THAT(RunProgram(home, {"sync"}),
                AllOf(StartsWith("1|"), HasSubstr("--allow-mass-delete"),
                      HasSubstr("This run would delete 11 of 11 contacts from the PhoneBook.")));
    EXPECT_THAT(RunAtTerminal(home, {"sync"}, "(y = continue, n = stop): ", {"n"}),
                AllOf(StartsWith("1|"), HasSubstr("Outlook holds no contacts now")));
    EXPECT_THAT(RunProgram(home, {"sync", "--dry-run"}),
                AllOf(StartsWith("0|"), HasSubstr("PhoneBook:      0 added, 0 changed, 11 deleted"),
                      HasSubstr(" has been deleted from Outlook.\n")));
    EXPECT_EQ(test::ReadFileBytes(phoneBook), before);

    ASSERT_THAT(RunAtTerminal(home, {"sync"}, "(y = continue, n = stop): ", {"y"}),
                AllOf(StartsWith("0|"), HasSubstr("backed up in")));
    EXPECT_NE(test::ReadFileBytes(phoneBook), before);
    const std::string list = RunProgram(home, {"restore", "--list"});
    const auto newest = list.rfind("\n  20");
    ASSERT_NE(newest, std::string::npos) << list;
    const std::string name = list.substr(newest + 3, list.find(' ', newest + 3) - newest - 3);
    EXPECT_THAT(RunProgram(home, {"restore", name}), AllOf(StartsWith("1|"), HasSubstr("--yes")));
    EXPECT_THAT(RunProgram(home, {"restore", "nope", "--yes"}),
                AllOf(StartsWith("1|"), HasSubstr("'nope'")));
    EXPECT_THAT(RunProgram(home, {"restore", name, "--yes"}),
                AllOf(StartsWith("0|"), HasSubstr("has been restored")));

    std::filesystem::remove_all(data / "Contacts");
    std::filesystem::rename(home / "moved", data / "Contacts");
    ASSERT_THAT(RunProgram(home, {"sync"}), StartsWith("0|"));
    EXPECT_THAT(test::ReadFileBytes(data / "SyncLog.txt"), ::testing::Not(HasSubstr("\r\n... ")));
}

// A second run is refused naming the holder; a killed run leaves nothing stuck.
TEST(VelmoraSync, OneRunAtATimeOverTheDemoData) {
    test::TempDir home;
    const auto data = home / "data" / "Velmora" / "Data";
    ASSERT_THAT(RunProgram(home, {"demo", "--contacts", "15", "--seed", "4"}),
                AllOf(StartsWith("0|"), HasSubstr(data.string())));
    const RunLocker lock = FileRunLocker("velmora");
    {
        const auto held = lock(data / "Velmora.db");
        EXPECT_THAT(RunProgram(home, {"sync"}),
                    MatchesRegex("1\\|[^|]*\\|Another synchronization [^\n]*\\(velmora, process " +
                                 std::to_string(getpid()) + "\\)[^\n]*\n"));
        EXPECT_FALSE(std::filesystem::exists(data / "SyncLog.txt"));
    }

    const pid_t killed = fork();
    if (killed == 0) {
        const auto held = lock(data / "Velmora.db");
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_THAT(test::ReadFileBytes(data / "Velmora.db.lock"),
                StartsWith(std::to_string(killed) + "\n"));
    ASSERT_THAT(RunProgram(home, {"sync"}),
                AllOf(StartsWith("0|"), HasSubstr("  Writing changes to Sync database . . .\n"),
                      HasSubstr("Status: Synchronization complete.\n")));
    EXPECT_THAT(test::ReadFileBytes(data / "SyncLog.txt"),
                AllOf(HasSubstr("in Outlook has been matched with"),
                      HasSubstr("is new to Outlook."), HasSubstr("is new to the PhoneBook.")));
    ASSERT_THAT(RunProgram(home, {"sync"}), StartsWith("0|"));
    EXPECT_THAT(test::ReadFileBytes(data / "SyncLog.txt"), ::testing::Not(HasSubstr("\r\n... ")));
}

}  // namespace
}  // namespace velmora::cli
