#pragma once

#include <filesystem>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velmora {

// Old backups beyond the number kept are retired at once and removed after.
// Removing a backup's cards frees the last link to the old file of each card
// the run wrote over, and on a file system that hands freed blocks back to
// the disk as they are freed (mounted with "discard") each such removal
// waits for the disk: about a second for a first run's backup of 6 000
// cards. Renamed to a hidden name in the backups folder, a retired backup
// leaves the list at once, and its files go beside the run's writes and
// after them.

// A hidden name, unique in the folder, for retiring the backup of that name.
std::string RetiredBackupName(std::string_view backup);

// Removes the retired backups in the folder, file by file. Those left by an
// earlier removal go first and whatever `stop` asks; those named in
// `stoppable` (retired just now) go until `stop` asks. So a removal cut
// short by the end of every run leaves at most one run's backups behind, not
// a pile that grows from run to run. Throws Error naming what could not be
// removed.
void RemoveRetiredBackups(const std::filesystem::path& backupsFolder, std::stop_token stop = {},
                          std::span<const std::string> stoppable = {});

// RemoveRetiredBackups on a thread of its own, from construction until the
// backups are gone or it is destroyed; destroyed, it waits for those retired
// before `retiredNow` to go. What is left, or could not be removed, waits
// for the next removal.
class RetiredBackupsRemoval {
  public:
    RetiredBackupsRemoval(std::filesystem::path backupsFolder, std::vector<std::string> retiredNow);

  private:
    std::jthread thread_;
};

}  // namespace velmora
