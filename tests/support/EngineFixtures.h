#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/SyncSet.h"

namespace velmora::test {

// Compact text of a contact record, one string a test can compare:
//   id:name:flag:numbers
// where numbers lists, in canonical kind order, every kind with a number or a
// speed dial as <kind>=<number>/<speed>, separated by commas. Kinds are
// written with their tag prefix without the colon: W2 DC H W1 M F P O E.
//   "12:Ann Lee:M:H=5551234/3,M=5559876/,E=ann@example.org/7"
// A set is its records in order, joined by " | "; an empty set is "".
std::string Render(const SyncObject& record);
std::string Render(const SyncSet& set);

// The reverse of Render, so tests can state their sets in the same form.
// Throws std::invalid_argument on text that does not follow it.
SyncObject ParseRecord(std::string_view text);
SyncSet ParseSet(std::string_view text);

// The lines of a CR LF text file; a line ended otherwise shows in the line
// it runs into, and a last line without CR LF comes back as it is.
std::vector<std::string> ReadLogLines(const std::filesystem::path& path);

// Whether this process holds the file open (Linux: /proc/self/fd).
bool IsOpenInThisProcess(const std::filesystem::path& path);

}  // namespace velmora::test
