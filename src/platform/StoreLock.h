#pragma once

#include <string>

#include "app/RunLock.h"

namespace velmora {

// The lock of the stores as a file next to the sync database
// (<sync database>.lock). It is held with the system's file lock, which ends
// with the process that holds it, so a run that crashed or was killed leaves
// nothing stuck; the file's text names the holder (its process ID and
// program) for the message of a run that is refused.
RunLocker FileRunLocker(std::string program);

}  // namespace velmora
