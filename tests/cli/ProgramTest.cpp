#include <cstdlib>

#include <gmock/gmock.h>
#include <sys/wait.h>

#include "support/TempDir.h"

namespace velmora::cli {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

// Runs velmora-sync with its settings and data in `home`, input from
// /dev/null (so not a terminal); returns "<exit code>|<standard output>|<standard error>".
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

// The command line's contract: version, help, exit code 2 with one sentence
// on standard error for what it does not understand (including --names=ask
// without a terminal), and exit code 1 with the reason on standard error for
// a run that stops (here: there is no data yet).
TEST(VelmoraSync, CommandLineContract) {
    test::TempDir home;
    EXPECT_EQ(RunProgram(home, {"--version"}), "0|Velmora 0.0.4\n|");
    EXPECT_THAT(RunProgram(home, {"--help"}),
                AllOf(StartsWith("0|"), HasSubstr("--conflicts=ask|outlook|phonebook")));
    EXPECT_THAT(RunProgram(home, {}), MatchesRegex("2\\|\\|velmora-sync: [^\n]*\n"));
    EXPECT_THAT(RunProgram(home, {"sync", "--names=ask"}),
                MatchesRegex("2\\|\\|velmora-sync: [^\n]*--names=accept[^\n]*\n"));
    EXPECT_THAT(RunProgram(home, {"sync"}),
                AllOf(StartsWith("1|"),
                      HasSubstr((home / "data" / "Velmora" / "Data" / "Contacts").string())));
}

// demo, sync, sync again: the sample is made in the user's data folder; the
// first run links contacts by name and copies the others both ways without a
// conflict (nobody is at a terminal to settle one); the second finds nothing
// to do.
TEST(VelmoraSync, DemoThenTwoSynchronizations) {
    test::TempDir home;
    const auto data = home / "data" / "Velmora" / "Data";
    ASSERT_THAT(RunProgram(home, {"demo", "--contacts", "15", "--seed", "4"}),
                AllOf(StartsWith("0|"), HasSubstr(data.string())));
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
