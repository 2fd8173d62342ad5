#pragma once

#include <string>

#include "model/SyncObject.h"

namespace velmora::cli {

// The two records of a conflict side by side, with the conflict dialog's row
// labels: the name, then each number with its speed dial.
std::string RenderConflictTable(const SyncObject& outlook, const SyncObject& phoneBook);

}  // namespace velmora::cli
