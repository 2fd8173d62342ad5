#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
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

    // Steps of a writer that failed and were logged as such; a run with any
    // ends with the error caption instead of reporting success.
    int FailedWrites = 0;

    // Rows the phone book holds beyond one per contact and kind of number,
    // found by its load: its writer removes them, which is a write even when
    // no contact changes.
    int ExtraPhoneRows = 0;

    // Set by the driver for the writers of its run: the first of them calls it
    // right before it stores anything, with the card files the address book
    // is about to write over or delete and those it is about to create (their
    // names in its folder), so that they are backed up first. It throws when
    // that fails.
    std::function<void(std::vector<std::string> changedCards,
                       std::vector<std::string> createdCards)>
        BeforeFirstWrite;
    // Set beside it: the address book's writer calls it with each card file
    // as soon as a change to it is made, so that its backup begins while the
    // writer goes on. It does not throw; BeforeFirstWrite reports failures.
    std::function<void(std::string_view card)> CardFileChanging;
};

// What a store's writer reports back. A writer changes its own store only;
// the caller applies the report to the run.
struct [[nodiscard]] WriteReport {
    // Steps that failed and were logged as "... Could not ...".
    int failedWrites = 0;
    // Contacts of which the writer stored nothing: their sync records have to
    // stay as loaded, or the next run would take the store's old state for a
    // change of its own.
    std::vector<std::string> unstoredContactIDs;
};

// Counts the report's failures and keeps the sync record of each unstored
// contact as loaded (without a flag), so that the next run finds the
// difference again and carries the change once more.
void ApplyWriteReport(RunState& state, const WriteReport& report);

// Empties the three sets, clears the failure count and reloads the settings.
void ResetRunState(RunState& state, const SettingsStore& store,
                   const std::filesystem::path& programFolder);

}  // namespace velmora
