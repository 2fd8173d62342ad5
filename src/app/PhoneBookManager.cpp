#include "app/PhoneBookManager.h"

#include <string>
#include <system_error>

#include "model/Error.h"
#include "model/Text.h"
#include "run/RunUi.h"

namespace velmora {

namespace {

bool IsWindowsProgram(const std::filesystem::path& path) {
    return EqualsIgnoringCase(path.extension().string(), ".exe");
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

constexpr std::string_view kCannotStart = "The iDEN PhoneBook Manager could not be started. ";

}  // namespace

ProcessCommand ManagerCommand(const std::filesystem::path& managerPath,
                              const ProcessPort& processes, bool hostRunsWindowsPrograms) {
    if (!hostRunsWindowsPrograms && IsWindowsProgram(managerPath)) {
        if (const auto wine = processes.FindOnPath("wine")) {
            return {*wine, {managerPath.string()}};
        }
    }
    return {managerPath, {}};
}

void StartPhoneBookManager(bool wait, const std::filesystem::path& managerPath,
                           ProcessPort& processes, RunUi& ui) {
    // The file is looked for first: otherwise wine would start and complain,
    // where nobody sees it, about a manager that is not there.
    const bool present = IsFile(managerPath);
    if (wait) {
        // A manager that cannot be started counts as one that has run.
        if (!present) return;
        ShellAndWaitInfo info;
        info.CommandLine = ManagerCommand(managerPath, processes);
        ShellAndWait(info, processes, ui);
        return;
    }
    if (!present) {
        ui.ShowMessage(std::string(kCannotStart) + "The file " + managerPath.string() +
                       " does not exist.");
        return;
    }
    try {
        processes.StartDetached(ManagerCommand(managerPath, processes));
    } catch (const Error& error) {
        ui.ShowMessage(std::string(kCannotStart) + error.what());
    }
}

}  // namespace velmora
