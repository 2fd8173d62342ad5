#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ShellAndWait.h"
#include "model/Error.h"

namespace velmora::test {

// Records starts, runs each program for a scripted number of looks, or refuses.
class FakeProcessPort final : public ProcessPort {
  public:
    std::unique_ptr<StartedProcess> Start(const ProcessCommand& command) override {
        started.push_back(command);
        if (startFailure) throw Error(*startFailure);
        return std::make_unique<Process>(*this, looksBeforeEnd);
    }
    void StartDetached(const ProcessCommand& command) override {
        detached.push_back(command);
        if (startFailure) throw Error(*startFailure);
    }
    std::optional<std::filesystem::path> FindOnPath(std::string_view name) const override {
        return name == "wine" ? wine : std::nullopt;
    }

    std::vector<ProcessCommand> started;
    std::vector<ProcessCommand> detached;
    std::vector<std::chrono::milliseconds> looks;  // the interval of each look
    std::optional<std::string> startFailure;
    std::optional<std::filesystem::path> wine;  // where the search path finds "wine"
    int looksBeforeEnd = 0;              // looks that find each started program still running
    std::function<void()> whileRunning;  // called at each look that finds it running

  private:
    struct Process final : StartedProcess {
        Process(FakeProcessPort& port, int left) : port(port), left(left) {}
        WaitOutcome WaitForEnd(std::chrono::milliseconds interval) override {
            port.looks.push_back(interval);
            if (left-- == 0) return WaitOutcome::Ended;
            if (port.whileRunning) port.whileRunning();
            return WaitOutcome::StillRunning;
        }
        FakeProcessPort& port;
        int left;
    };
};

}  // namespace velmora::test
