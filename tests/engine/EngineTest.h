#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "run/RunState.h"
#include "support/EngineFixtures.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora::test {

// A run state over three sets given in the compact record form, with the log
// in a temporary folder.
class EngineTest : public ::testing::Test {
  protected:
    EngineTest() { state.settings.LogPath = dir / "Data" / "SyncLog.txt"; }

    void Load(std::string_view outlook, std::string_view phoneBook, std::string_view sync) {
        state.OutlookSet = ParseSet(outlook);
        state.PhoneBookSet = ParseSet(phoneBook);
        state.SyncDataSet = ParseSet(sync);
    }

    std::string Outlook() const { return Render(state.OutlookSet); }
    std::string PhoneBook() const { return Render(state.PhoneBookSet); }
    std::string Sync() const { return Render(state.SyncDataSet); }
    std::vector<std::string> Log() const { return ReadLogLines(state.settings.LogPath); }
    bool LogIsOpen() const { return IsOpenInThisProcess(state.settings.LogPath); }

    TempDir dir;
    RunState state;
    ScriptedRunUi ui;
};

using Lines = std::vector<std::string>;

}  // namespace velmora::test
