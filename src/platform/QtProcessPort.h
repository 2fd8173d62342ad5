#pragma once

#include "app/ShellAndWait.h"

namespace velmora {

// Starts programs with QProcess. The programs share this program's standard
// output and error, so one that writes much never blocks on a full pipe.
class QtProcessPort final : public ProcessPort {
  public:
    std::unique_ptr<StartedProcess> Start(const ProcessCommand& command) override;
    void StartDetached(const ProcessCommand& command) override;
    std::optional<std::filesystem::path> FindOnPath(std::string_view name) const override;
};

}  // namespace velmora
