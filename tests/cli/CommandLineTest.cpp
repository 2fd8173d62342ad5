#include <gmock/gmock.h>

#include "cli/CommandLine.h"

namespace velmora::cli {
namespace {

// A command as one line of text, so a case compares one string.
std::string Describe(const Command& command) {
    constexpr const char* kConflicts[] = {"ask", "outlook", "phonebook"};
    if (const auto* sync = std::get_if<SyncCommand>(&command)) {
        return std::string("sync conflicts=") + kConflicts[static_cast<int>(sync->conflicts)] +
               (sync->names == NameMode::Ask ? " names=ask" : " names=accept") +
               (sync->allowMassDelete ? " allow-mass-delete" : "") +
               (sync->dryRun ? " dry-run" : "");
    }
    if (const auto* restore = std::get_if<RestoreCommand>(&command)) {
        return restore->backup.empty()
                   ? "restore list"
                   : "restore " + restore->backup + (restore->yes ? " yes" : "");
    }
    if (const auto* demo = std::get_if<DemoCommand>(&command))
        return "demo " + std::to_string(demo->contacts) + " " + std::to_string(demo->seed);
    if (const auto* usage = std::get_if<UsageError>(&command)) return "usage: " + usage->message;
    return std::holds_alternative<ReportCommand>(command) ? "report" : "help or version";
}

// Each command line, at a terminal or not, and what it is read as.
TEST(CommandLine, ReadsEachCommandLine) {
    const std::tuple<std::vector<std::string>, bool, std::string> cases[] = {
        {{"sync"}, true, "sync conflicts=ask names=ask"},
        {{"sync"}, false, "sync conflicts=ask names=accept"},
        {{"sync", "--conflicts=outlook", "--names", "accept"},
         true,
         "sync conflicts=outlook names=accept"},
        {{"sync", "--conflicts", "phonebook"}, false, "sync conflicts=phonebook"},
        {{"sync", "--names=ask"}, true, "sync conflicts=ask names=ask"},
        {{"demo", "--contacts", "12", "--seed=7"}, true, "demo 12 7"},
        {{"report"}, true, "report"},
        {{"sync", "--dry-run", "--allow-mass-delete"},
         false,
         "sync conflicts=ask names=accept allow-mass-delete dry-run"},
        {{"restore", "--list"}, false, "restore list"},
        {{"restore", "2026-03-14_15-04-05", "--yes"}, false, "restore 2026-03-14_15-04-05 yes"},
        {{"restore"}, true, "usage: restore takes --list"},
        {{"restore", "--list", "2026-03-14_15-04-05"}, true, "usage: restore takes"},
        {{"restore", "a", "b"}, true, "'b'"},
        {{"sync", "--conflict=ask"}, true, "'--conflict=ask'"},
        {{"sync", "--conflicts=maybe"}, true, "'maybe'"},
        {{"sync", "--conflicts"}, true, "usage: --conflicts takes"},
        {{"report", "now"}, true, "'now'"},
        {{"demo", "--contacts=0"}, true, "usage: --contacts"},
        {{"demo", "--contacts", "many"}, true, "'many'"},
        {{"demo", "--seed=-1"}, true, "usage: --seed"},
    };
    for (const auto& [args, terminal, expected] : cases) {
        EXPECT_THAT(Describe(ParseCommandLine(args, terminal)), ::testing::HasSubstr(expected))
            << ::testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace velmora::cli
