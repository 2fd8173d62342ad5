#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class RunUi;

// A program and its arguments. They are passed to the program as they are,
// never through a shell, so a path with blanks cannot start another program.
struct ProcessCommand {
    std::filesystem::path program;
    std::vector<std::string> arguments;

    bool operator==(const ProcessCommand&) const = default;
};

enum class WaitOutcome {
    Ended,         // the program has ended
    StillRunning,  // the interval passed and the program still runs
};

// A program started by this one and not yet known to have ended.
class StartedProcess {
  public:
    virtual ~StartedProcess() = default;
    virtual WaitOutcome WaitForEnd(std::chrono::milliseconds interval) = 0;
};

// How programs are started on this host.
class ProcessPort {
  public:
    virtual ~ProcessPort() = default;

    // Starts a program to be waited for. Throws Error naming the program when
    // it cannot be started.
    virtual std::unique_ptr<StartedProcess> Start(const ProcessCommand& command) = 0;

    // Starts a program that runs on its own. Throws Error naming the program
    // when it cannot be started.
    virtual void StartDetached(const ProcessCommand& command) = 0;

    // The full path of a program on the search path, nullopt when there is none.
    virtual std::optional<std::filesystem::path> FindOnPath(std::string_view name) const = 0;
};

// What ShellAndWait is given.
struct ShellAndWaitInfo {
    ProcessCommand CommandLine;
    std::int32_t PollInterval = 0;  // milliseconds between two looks; below 1 means 1000
};

inline constexpr std::chrono::milliseconds kDefaultPollInterval{1000};

// Starts the program and waits for its end, letting the window handle its
// pending events between two looks at the program. Returns true when the
// program was started and has ended; false, at once, when it could not be
// started. There is no overall time limit and the program is never ended by us.
bool ShellAndWait(const ShellAndWaitInfo& info, ProcessPort& processes, RunUi& ui);

}  // namespace velmora
