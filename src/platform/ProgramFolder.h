#pragma once

#include <filesystem>

namespace velmora {

// The per-user folder that holds the data files, the inclusion report and the
// PhoneBook Manager: the host's application data folder + "/Velmora" (on
// Linux $XDG_DATA_HOME/Velmora), with the host's separators. It is created
// when missing; throws Error naming it when that fails.
std::filesystem::path ProgramFolder();

}  // namespace velmora
