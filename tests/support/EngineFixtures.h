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

// Compact text of a contact record, one string a test can compare:
//   id:name:flag:numbers
// where flag is the letter of model/RecordFlag.h ("" for none) and numbers lists, in canonical kind
// order, every kind with a number or a speed dial as <kind>=<number>/<speed>, separated by commas.
// Kinds are written with their tag prefix without the colon: W2 DC H W1 M F P O E.
//   "12:Ann Lee:M:H=5551234/3,M=5559876/,E=ann@example.org/7"
// A set is its records in order, joined by " | "; an empty set is "".
std::string Render(const SyncObject& record);
std::string Render(const SyncSet& set);

// The reverse of Render, so tests can state their sets in the same form. An
// address-book record may name the card it was loaded from in a fifth part,
// "12:Ann Lee:W::3" (Render leaves it out). Throws std::invalid_argument on
// text that does not follow it.
SyncObject ParseRecord(std::string_view text);
SyncSet ParseSet(std::string_view text);

// The lines of a CR LF text file; a line ended otherwise shows in the line
// it runs into, and a last line without CR LF comes back as it is.
std::vector<std::string> ReadLogLines(const std::filesystem::path& path);

// The parts of a text between the separators; "" gives one empty part.
std::vector<std::string_view> Split(std::string_view text, std::string_view separator);

// The lines of a log file joined by "\n", for a test to compare as one text;
// a CR or LF that does not end a line shows as <CR> or <LF>.
std::string LogText(const std::filesystem::path& path);

// Whether this process holds the file open (Linux: /proc/self/fd).
bool IsOpenInThisProcess(const std::filesystem::path& path);

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
