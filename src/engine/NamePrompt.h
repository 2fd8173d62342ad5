#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "run/RunUi.h"

namespace velmora {

// The name prompt's check on OK: New File As must have a value, and so must
// the box of the name field in use. Returns the message to show when the
// values are refused, nullopt when they are accepted. Empty first and last
// names are accepted.
std::optional<std::string> NameOK(const NameValues& values, std::string_view nameField);

}  // namespace velmora
