#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "model/SyncSet.h"
#include "run/RunState.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora::test {

// "12:Ann Lee:M:H=5551234/3,M=5559876/,E=ann@example.org/7"; a set joins
// its records with " | ".
std::string Render(const SyncObject& record);
std::string Render(const SyncSet& set);

// The reverse of Render; a fifth part names the record's card: "12:Ann:W::3".
SyncObject ParseRecord(std::string_view text);
SyncSet ParseSet(std::string_view text);

// The lines of a CR LF text file.
std::vector<std::string> ReadLogLines(const std::filesystem::path& path);

std::vector<std::string_view> Split(std::string_view text, std::string_view separator);

// The log's lines joined by "\n"; a stray CR or LF shows as <CR> or <LF>.
std::string LogText(const std::filesystem::path& path);

bool IsOpenInThisProcess(const std::filesystem::path& path);

// A run state over three sets in Render's form, the log in a temporary folder.
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
    // The log as one text, the temporary folder written as DIR.
    std::string Log() const {
        std::string text = LogText(state.settings.LogPath);
        const std::string folder = dir.Path().string();
        for (std::size_t at; (at = text.find(folder)) != std::string::npos;)
            text.replace(at, folder.size(), "DIR");
        return text;
    }
    bool LogIsOpen() const { return IsOpenInThisProcess(state.settings.LogPath); }

    TempDir dir;
    RunState state;
    ScriptedRunUi ui;
};

using Lines = std::vector<std::string>;

}  // namespace velmora::test
