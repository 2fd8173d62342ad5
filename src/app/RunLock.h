#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "model/Error.h"

namespace velmora {

// Held while a run (or a restore, or a preview) works on the stores; another
// one over the same stores is refused until it is released.
class RunLock {
  public:
    virtual ~RunLock() = default;
};

// The stores are in use by another run. The message names its program and
// process, so the person knows which window or terminal to look at.
class StoresInUse : public Error {
  public:
    using Error::Error;
};

// Takes the lock of the stores whose sync database is at the given path;
// throws StoresInUse when another holds it, Error when it cannot be taken.
using RunLocker = std::function<std::unique_ptr<RunLock>(const std::filesystem::path& syncPath)>;

}  // namespace velmora
