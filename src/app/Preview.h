#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/RunDriver.h"
#include "app/RunLock.h"
#include "run/RunPlan.h"
#include "run/Settings.h"

namespace velmora {

// What a synchronization would do now, found without writing anything.
struct PreviewReport {
    RunResult result;                     // how the run over the copies ended
    std::vector<std::string> logLines;    // the activity log it would write
    std::vector<std::string> conflicts;   // contacts the run would ask about
    std::vector<MassDeletion> deletions;  // what it would ask before writing
    std::vector<std::string> messages;    // message boxes it would show

    // The counts, conflicts and questions, then the log's lines.
    std::string Summary() const;
    std::string Text() const;
};

// Runs the whole synchronization over copies of the two databases in a
// temporary folder (copied through SQLite's online backup) and the card
// folder itself, opened so that saving it only checks what it would refuse
// (SaveMode::CheckOnly), with the settings of `store` pointing at the copies,
// no PhoneBook Manager, conflicts left undecided and names taken as
// proposed, then removes the copies. Nothing of the real stores, their log
// or their backups is written; the lines and messages name the real files.
// The lock is held throughout, so a run in progress is never read half-way
// (StoresInUse).
PreviewReport PreviewRun(const SettingsStore& store, const std::filesystem::path& programFolder,
                         const RunLocker& lock);

}  // namespace velmora
