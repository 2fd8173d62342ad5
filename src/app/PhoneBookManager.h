#pragma once

#include <filesystem>

#include "app/ManagerLauncher.h"
#include "app/ShellAndWait.h"

namespace velmora {

class RunUi;

#ifdef _WIN32
inline constexpr bool kHostRunsWindowsPrograms = true;
#else
inline constexpr bool kHostRunsWindowsPrograms = false;
#endif

// The command that starts the manager program. A Windows program (".exe", in
// any letter case) on a host that cannot run one itself goes through `wine`
// when wine is on the search path.
ProcessCommand ManagerCommand(const std::filesystem::path& managerPath,
                              const ProcessPort& processes,
                              bool hostRunsWindowsPrograms = kHostRunsWindowsPrograms);

// Starts the PhoneBook Manager. With `wait` it returns when the manager has
// ended, or at once and silently when it cannot be started (the run goes on).
// Without `wait` it returns at once; a manager that cannot be started is
// reported in a message box.
void StartPhoneBookManager(bool wait, const std::filesystem::path& managerPath,
                           ProcessPort& processes, RunUi& ui);

// The launcher the run driver uses: the waiting start over a process port.
class ProcessManagerLauncher final : public ManagerLauncher {
  public:
    ProcessManagerLauncher(ProcessPort& processes, RunUi& ui) : processes_(processes), ui_(ui) {}

    void StartAndWait(const std::filesystem::path& managerPath) override {
        StartPhoneBookManager(true, managerPath, processes_, ui_);
    }

  private:
    ProcessPort& processes_;
    RunUi& ui_;
};

}  // namespace velmora
