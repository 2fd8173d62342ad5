#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace velmora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitStopped = 1;  // the run stopped or failed
inline constexpr int kExitUsage = 2;

// How a conflict between the two sides is settled.
enum class ConflictMode { Ask, KeepOutlook, KeepPhoneBook };
// How the names of a contact written to the address book are confirmed.
enum class NameMode { Ask, Accept };

struct SyncCommand {
    ConflictMode conflicts = ConflictMode::Ask;
    NameMode names = NameMode::Ask;
    bool allowMassDelete = false;  // go on without asking when a run would delete much
    bool dryRun = false;           // show what the run would do, write nothing
};
// "restore --list", or "restore NAME [--yes]".
struct RestoreCommand {
    std::string backup;  // empty: list the backups
    bool yes = false;    // restore without asking
};
struct ReportCommand {};
struct DemoCommand {
    int contacts = 40;
    std::uint32_t seed = 1;
};
struct HelpCommand {};
struct VersionCommand {};
struct UsageError {
    std::string message;
};

using Command = std::variant<SyncCommand, RestoreCommand, ReportCommand, DemoCommand, HelpCommand,
                             VersionCommand, UsageError>;

// Reads the arguments after the program name. Without a terminal on standard
// input nobody can answer a question, which changes the defaults and refuses
// --names=ask.
Command ParseCommandLine(const std::vector<std::string>& args, bool inputIsTerminal);

std::string UsageText();

}  // namespace velmora::cli
