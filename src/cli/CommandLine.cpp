#include "cli/CommandLine.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace velmora::cli {

namespace {

constexpr int kMaxDemoContacts = 100000;

// One "--name=value" or "--name value" option.
struct Option {
    std::string name;
    std::optional<std::string> value;
};

class Arguments {
  public:
    explicit Arguments(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return at_ >= args_.size(); }
    const std::string& Next() { return args_[at_++]; }
    // The value of an option written as "--name value".
    std::optional<std::string> TakeValue() {
        if (Done() || args_[at_].starts_with("--")) return std::nullopt;
        return Next();
    }

  private:
    const std::vector<std::string>& args_;
    std::size_t at_ = 0;
};

Option SplitOption(const std::string& arg) {
    const auto equals = arg.find('=');
    if (equals == std::string::npos) return {arg, std::nullopt};
    return {arg.substr(0, equals), arg.substr(equals + 1)};
}

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

UsageError Unknown(std::string_view what, const std::string& arg) {
    return {"Unknown " + std::string(what) + " '" + arg + "'. Try 'velmora-sync --help'."};
}

Command ParseSync(Arguments& args, bool inputIsTerminal) {
    SyncCommand sync;
    // Without a terminal nobody can answer a name question; a conflict still
    // asks, so that no side wins unless the caller said which.
    sync.names = inputIsTerminal ? NameMode::Ask : NameMode::Accept;
    bool namesGiven = false;
    while (!args.Done()) {
        const std::string& arg = args.Next();
        if (arg == "--allow-mass-delete" || arg == "--dry-run") {
            (arg == "--dry-run" ? sync.dryRun : sync.allowMassDelete) = true;
            continue;
        }
        Option option = SplitOption(arg);
        if (option.name != "--conflicts" && option.name != "--names") {
            return Unknown("option", arg);
        }
        if (!option.value) option.value = args.TakeValue();
        const std::string value = option.value.value_or("");
        if (option.name == "--conflicts") {
            if (value == "ask") {
                sync.conflicts = ConflictMode::Ask;
            } else if (value == "outlook") {
                sync.conflicts = ConflictMode::KeepOutlook;
            } else if (value == "phonebook") {
                sync.conflicts = ConflictMode::KeepPhoneBook;
            } else {
                return UsageError{"--conflicts takes ask, outlook or phonebook, not '" + value +
                                  "'."};
            }
        } else {
            namesGiven = true;
            if (value == "ask") {
                sync.names = NameMode::Ask;
            } else if (value == "accept") {
                sync.names = NameMode::Accept;
            } else {
                return UsageError{"--names takes ask or accept, not '" + value + "'."};
            }
        }
    }
    if (namesGiven && sync.names == NameMode::Ask && !inputIsTerminal) {
        // A name question would come in the middle of writing the address book.
        return UsageError{
            "--names=ask needs a terminal to answer the name questions; use --names=accept to "
            "take the proposed names."};
    }
    return sync;
}

Command ParseRestore(Arguments& args) {
    RestoreCommand restore;
    bool list = false;
    while (!args.Done()) {
        const std::string& arg = args.Next();
        if (arg == "--list") {
            list = true;
        } else if (arg == "--yes") {
            restore.yes = true;
        } else if (arg.starts_with("-") || !restore.backup.empty()) {
            return Unknown("option", arg);
        } else {
            restore.backup = arg;
        }
    }
    if (list != restore.backup.empty() || (list && restore.yes)) {
        return UsageError{
            "restore takes --list, or the name of a backup (as --list shows it) and "
            "optionally --yes."};
    }
    return restore;
}

Command ParseDemo(Arguments& args) {
    DemoCommand demo;
    while (!args.Done()) {
        const std::string& arg = args.Next();
        Option option = SplitOption(arg);
        if (option.name != "--contacts" && option.name != "--seed") return Unknown("option", arg);
        if (!option.value) option.value = args.TakeValue();
        const std::string value = option.value.value_or("");
        if (option.name == "--contacts") {
            const auto count = ParseNumber<int>(value);
            if (!count || *count < 1 || *count > kMaxDemoContacts) {
                return UsageError{"--contacts takes a whole number from 1 to " +
                                  std::to_string(kMaxDemoContacts) + ", not '" + value + "'."};
            }
            demo.contacts = *count;
        } else {
            const auto seed = ParseNumber<std::uint32_t>(value);
            if (!seed) return UsageError{"--seed takes a whole number, not '" + value + "'."};
            demo.seed = *seed;
        }
    }
    return demo;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& args, bool inputIsTerminal) {
    Arguments arguments(args);
    if (arguments.Done()) return UsageError{"No command given. Try 'velmora-sync --help'."};
    const std::string& command = arguments.Next();
    if (command == "--help" || command == "-h" || command == "help") return HelpCommand{};
    if (command == "--version") return VersionCommand{};
    if (command == "sync") return ParseSync(arguments, inputIsTerminal);
    if (command == "restore") return ParseRestore(arguments);
    if (command == "demo") return ParseDemo(arguments);
    if (command == "report") {
        if (!arguments.Done()) return Unknown("option", arguments.Next());
        return ReportCommand{};
    }
    return Unknown("command", command);
}

std::string UsageText() {
    return R"(Usage: velmora-sync COMMAND [OPTIONS]

Keeps the phone book of your phone and your address book (a folder of vCard
files) in step, with the same settings as the Velmora window.

Commands:
  sync      Synchronize once.
              --conflicts=ask|outlook|phonebook
                  When both sides changed a contact differently: ask, or keep
                  the address book's (outlook) or the phone book's data.
                  Default: ask.
              --names=ask|accept
                  When a contact's names are written to the address book: ask
                  to confirm them, or take the proposed names. Default: ask
                  on a terminal, accept otherwise.
              --allow-mass-delete
                  Go on without asking when the run would empty a side or
                  delete more than the share of it set in the options.
                  Without this and without a terminal, such a run stops
                  before writing anything.
              --dry-run
                  Show what the run would do (the lines of its log and what
                  it adds, changes and deletes on each side) without writing
                  anything. Conflicts are listed, not asked.
  restore   Put the stores back as they were before a run. Each run that
            writes makes a backup first (the last 10 are kept).
              --list     list the backups
              NAME       restore that backup (the present state is backed
                         up first, so a restore can be undone)
              --yes      do not ask; needed without a terminal
  report    Write the inclusion report (which contacts take part).
  demo      Create a sample phone book and address book where the settings
            point, to try Velmora out. Refuses to touch existing data.
              --contacts N   how many contacts (default 40)
              --seed S       a different sample for each seed (default 1)

  --help     Show this text.
  --version  Show the version.

Exit status: 0 done, 1 the run stopped (see the message and the log),
2 the command line was not understood.
)";
}

}  // namespace velmora::cli
