#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/SyncSet.h"
#include "run/Settings.h"

namespace velmora {

// Everything the stages of one run share. The front end owns one and passes it
// to every stage; nothing in it survives a run except the settings.
struct RunState {
    SyncSet OutlookSet;
    SyncSet PhoneBookSet;
    SyncSet SyncDataSet;

    Settings settings;

    // Positions (1-based) of the three records of the conflict being shown.
    int ConflictOutlookIndex = 0;
    int ConflictPhoneBookIndex = 0;
    int ConflictSyncIndex = 0;

    // What the name prompt confirmed last.
    std::string NewFirstName;
    std::string NewLastName;
    std::string NewFullName;
    std::string NewFileAs;

    std::filesystem::path ManagerPath;

    // Steps of a writer that failed and were logged as such; a run with any
    // ends with the error caption instead of reporting success.
    int FailedWrites = 0;

    // Set by the driver for the writers of its run: the first of them calls it
    // right before it stores anything, with the card files the address book
    // is about to write over or delete and those it is about to create, so
    // that they are backed up first. It throws when that fails.
    std::function<void(const std::vector<std::filesystem::path>& changedCards,
                       const std::vector<std::filesystem::path>& createdCards)>
        BeforeFirstWrite;
};

// The PhoneBook Manager program, looked for in the program folder.
inline constexpr std::string_view kManagerProgramName = "idenpm.exe";

// Empties the three sets, clears the conflict positions and name results
// (the full name is kept), sets ManagerPath and reloads the settings.
void ResetRunState(RunState& state, const SettingsStore& store,
                   const std::filesystem::path& programFolder);

}  // namespace velmora
