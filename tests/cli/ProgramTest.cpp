#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/TempDir.h"

namespace velmora::cli {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs velmora-sync with its settings and data in `home`, input from
// /dev/null (so not a terminal), and collects what it prints.
Outcome RunProgram(const test::TempDir& home, const std::vector<std::string>& args) {
    std::string command = "XDG_CONFIG_HOME='" + (home / "config").string() + "' XDG_DATA_HOME='" +
                          (home / "data").string() + "' HOME='" + home.Path().string() + "' '" +
                          VELMORA_SYNC_PROGRAM + "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " </dev/null >'" + (home / "out.txt").string() + "' 2>'" +
               (home / "err.txt").string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadFileBytes(home / "out.txt"),
            test::ReadFileBytes(home / "err.txt")};
}

// The command line's contract: version, help, exit code 2 with one sentence
// on standard error for what it does not understand (including --names=ask
// without a terminal), and exit code 1 with the reason on standard error for
// a run that stops (here: there is no data yet).
TEST(VelmoraSync, CommandLineContract) {
    test::TempDir home;
    Outcome run = RunProgram(home, {"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Velmora 0.0.4\n");
    run = RunProgram(home, {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("--conflicts=ask|outlook|phonebook"), std::string::npos);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"sync", "--conflicts=both"}, {"sync", "--names=ask"}}) {
        run = RunProgram(home, args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.err.starts_with("velmora-sync: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_NE(run.err.find("--names=accept"), std::string::npos);

    run = RunProgram(home, {"sync"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find((home / "data" / "Velmora" / "Data" / "Contacts").string()),
              std::string::npos)
        << run.err;
}

// demo, sync, sync again: the sample is made in the user's data folder; the
// first run links contacts by name and copies the others both ways without a
// conflict (nobody is at a terminal to settle one); the second finds nothing
// to do and leaves the databases as they were.
TEST(VelmoraSync, DemoThenTwoSynchronizations) {
    test::TempDir home;
    const auto data = home / "data" / "Velmora" / "Data";
    Outcome run = RunProgram(home, {"demo", "--contacts", "15", "--seed", "4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(data.string()), std::string::npos);

    run = RunProgram(home, {"sync"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("  Writing changes to Sync database . . .\n"), std::string::npos);
    EXPECT_NE(run.out.find("Status: Synchronization complete.\n"), std::string::npos);
    const std::string log = test::ReadFileBytes(data / "SyncLog.txt");
    for (const char* line :
         {"in Outlook has been matched with", "is new to Outlook.", "is new to the PhoneBook."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    const std::string phoneBook = test::ReadFileBytes(data / "PhoneBook.db");
    const std::string sync = test::ReadFileBytes(data / "Velmora.db");

    run = RunProgram(home, {"sync"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(data / "SyncLog.txt").find("\r\n... "), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(data / "PhoneBook.db"), phoneBook);
    EXPECT_EQ(test::ReadFileBytes(data / "Velmora.db"), sync);
}

}  // namespace
}  // namespace velmora::cli
