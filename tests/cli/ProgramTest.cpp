#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/DatabaseFixtures.h"
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

// The command line's contract: version, help, and exit code 2 with one
// sentence on standard error for what it does not understand, including
// --names=ask without a terminal.
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
}

// demo, sync, sync again: the first run links and copies the sample
// contacts, the second finds nothing to do; demo then refuses to overwrite.
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
    EXPECT_NE(
        test::ReadFileBytes(data / "SyncLog.txt").find("has been added with the following values:"),
        std::string::npos);
    const std::string phoneBook = test::PhoneBookText(data / "PhoneBook.db");
    const std::string sync = test::SyncContactsText(data / "Velmora.db");

    run = RunProgram(home, {"sync", "--conflicts=outlook"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(data / "SyncLog.txt").find("\r\n... "), std::string::npos);
    EXPECT_EQ(test::PhoneBookText(data / "PhoneBook.db"), phoneBook);
    EXPECT_EQ(test::SyncContactsText(data / "Velmora.db"), sync);

    run = RunProgram(home, {"demo"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("already exists"), std::string::npos);
    EXPECT_EQ(test::PhoneBookText(data / "PhoneBook.db"), phoneBook);
}

// A conflict with nobody at a terminal and --conflicts=ask stops the run
// before anything is written, with exit code 1 and a message naming the option.
TEST(VelmoraSync, UnansweredConflictStopsTheRun) {
    test::TempDir home;
    const auto data = home / "data" / "Velmora" / "Data";
    ASSERT_EQ(RunProgram(home, {"demo", "--contacts", "10"}).exitCode, 0);
    ASSERT_EQ(RunProgram(home, {"sync"}).exitCode, 0);
    // Both sides change the first shared contact's mobile number, differently.
    test::ExecuteSql(data / "PhoneBook.db",
                     "UPDATE tblContactList SET Number = '2125550100' WHERE ContactID = 1 AND "
                     "NumberType = 4");
    test::ExecuteSql(data / "Velmora.db",
                     "UPDATE SyncContacts SET Mobile = '0000000000' WHERE ContactID = 1");
    const std::string phoneBook = test::PhoneBookText(data / "PhoneBook.db");

    const Outcome run = RunProgram(home, {"sync"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("--conflicts=outlook"), std::string::npos) << run.err;
    EXPECT_EQ(test::PhoneBookText(data / "PhoneBook.db"), phoneBook);
}

}  // namespace
}  // namespace velmora::cli
