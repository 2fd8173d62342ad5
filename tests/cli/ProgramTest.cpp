#include <algorithm>
#include <cstdlib>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/DatabaseFixtures.h"
#include "support/TempDir.h"

extern char** environ;

namespace velmora::cli {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs velmora-sync with its settings and data in `home`, input from
// /dev/null (so not a terminal), and collects what it prints.
Outcome RunProgram(const test::TempDir& home, std::vector<std::string> args) {
    args.insert(args.begin(), VELMORA_SYNC_PROGRAM);
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (home / "config").string(),
                                         "XDG_DATA_HOME=" + (home / "data").string(),
                                         "HOME=" + home.Path().string(), "PATH=/usr/bin:/bin"};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text(*variable);
        if (text.starts_with("ASAN_") || text.starts_with("UBSAN_")) environment.push_back(text);
    }
    const auto out = home / "out.txt";
    const auto err = home / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    Outcome outcome;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return outcome;
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = test::ReadFileBytes(out);
    outcome.err = test::ReadFileBytes(err);
    return outcome;
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
    const std::string firstLog = test::ReadFileBytes(data / "SyncLog.txt");
    EXPECT_NE(firstLog.find("has been added with the following values:"), std::string::npos);
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
    EXPECT_NE(test::ReadFileBytes(data / "SyncLog.txt").find("... The synchronization stopped: "),
              std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
