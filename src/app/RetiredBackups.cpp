#include "app/RetiredBackups.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "util/AtomicFile.h"

namespace velmora {

namespace {

constexpr std::string_view kRetiredSuffix = ".retired";

bool IsRetiredBackupName(std::string_view name) {
    return name.size() > 1 + kRetiredSuffix.size() && name.front() == '.' &&
           name.ends_with(kRetiredSuffix);
}

[[noreturn]] void FailToRemove(const std::filesystem::path& path, const std::error_code& error) {
    throw Error("The old backup file " + path.string() +
                " could not be removed: " + error.message() + ".");
}

// Removes `path` and all below it, deepest first; false when stopped first.
// A link is removed, never followed.
bool RemoveTree(const std::filesystem::path& path, const std::stop_token& stop) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) {
        // A few names at a time: a first run's backup holds thousands of
        // cards, and their names would cost the run's peak.
        constexpr std::size_t kNamesAtOnce = 256;
        std::vector<std::string> names;
        do {
            names.clear();
            for (auto it = std::filesystem::directory_iterator(path, error);
                 !error && it != std::filesystem::directory_iterator() &&
                 names.size() < kNamesAtOnce;
                 it.increment(error)) {
                names.push_back(it->path().filename().native());
            }
            // Gone meanwhile: another removal (a restore's) got there first.
            if (error == std::errc::no_such_file_or_directory) return true;
            if (error) FailToRemove(path, error);
            for (const std::string& name : names) {
                if (!RemoveTree(path / name, stop)) return false;
            }
        } while (names.size() == kNamesAtOnce);
    }
    if (stop.stop_requested()) return false;
    if (!std::filesystem::remove(path, error) && error) FailToRemove(path, error);
    return true;
}

}  // namespace

std::string RetiredBackupName(std::string_view backup) {
    return HiddenNameBeside(std::string(backup), kRetiredSuffix);
}

void RemoveRetiredBackups(const std::filesystem::path& backupsFolder, std::stop_token stop,
                          std::span<const std::string> stoppable) {
    std::vector<std::filesystem::path> earlier;
    std::vector<std::filesystem::path> now;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(backupsFolder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsRetiredBackupName(name)) continue;
        const bool isNow = std::find(stoppable.begin(), stoppable.end(), name) != stoppable.end();
        (isNow ? now : earlier).push_back(it->path());
    }
    if (error && error != std::errc::no_such_file_or_directory) FailToRemove(backupsFolder, error);
    for (const std::filesystem::path& folder : earlier)
        RemoveTree(folder, {});
    for (const std::filesystem::path& folder : now) {
        if (!RemoveTree(folder, stop)) return;
    }
}

RetiredBackupsRemoval::RetiredBackupsRemoval(std::filesystem::path backupsFolder,
                                             std::vector<std::string> retiredNow) {
    try {
        thread_ = std::jthread(
            [folder = std::move(backupsFolder), now = std::move(retiredNow)](std::stop_token stop) {
                try {
                    RemoveRetiredBackups(folder, stop, now);
                } catch (const Error&) {
                    // Hidden and out of the list, it waits for the next removal;
                    // a restore removes old backups itself and reports what fails.
                }
            });
    } catch (const std::system_error&) {
        // No thread to be had: the next removal takes them.
    }
}

}  // namespace velmora
