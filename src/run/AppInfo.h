#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The program's title, version and copyright notice, in one place for the
// activity log, the inclusion report, the main window and the About box.
inline constexpr std::string_view kAppTitle = "Velmora";
inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 4;
inline constexpr std::string_view kCopyrightNotice = "Copyright © 2026 The Velmora developers";

// "0.0.4"
std::string VersionText();

// "Velmora, version: 0.0.4": the first line of the log and of the report.
std::string TitleVersionLine();

}  // namespace velmora
