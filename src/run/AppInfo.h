#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The program's title, version and copyright notice, in one place for the
// activity log, the inclusion report, the main window and the About box.
inline constexpr std::string_view kAppTitle = "Velmora";
// The version is the project's (CMakeLists.txt), so a release changes it once.
inline constexpr int kVersionMajor = VELMORA_VERSION_MAJOR;
inline constexpr int kVersionMinor = VELMORA_VERSION_MINOR;
inline constexpr int kVersionRevision = VELMORA_VERSION_PATCH;
inline constexpr std::string_view kCopyrightNotice = "Copyright © 2026 The Velmora developers";

// "0.0.4" (major.minor.revision)
std::string VersionText();

// "Velmora, version: 0.0.4": the first line of the log and of the report.
std::string TitleVersionLine();

}  // namespace velmora
