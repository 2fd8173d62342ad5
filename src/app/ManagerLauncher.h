#pragma once

#include <filesystem>
#include <string_view>

namespace velmora {

// The PhoneBook Manager program, looked for in the program folder.
inline constexpr std::string_view kManagerProgramName = "idenpm.exe";

inline std::filesystem::path ManagerProgramPath(const std::filesystem::path& programFolder) {
    return programFolder / kManagerProgramName;
}

// Starts the phone's own manager program. The run uses the waiting start; the
// window's menu item starts it without waiting.
class ManagerLauncher {
  public:
    virtual ~ManagerLauncher() = default;

    // Starts the program and returns when it has ended. A program that cannot
    // be started returns at once, as if it had run.
    virtual void StartAndWait(const std::filesystem::path& managerPath) = 0;
};

}  // namespace velmora
